#pragma once

#include <QImage>
#include <string>

// A skin's bitmaps put together the way the windows place them.
QImage RenderMainWindowPreview(const std::string& skin);
QImage RenderSettingPreview(const std::string& skin);
QImage RenderDialogSheet(const std::string& skin);
QImage RenderImageStates(const std::string& skin);
