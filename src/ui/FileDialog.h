#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace zq {

// The open-file dialog of the program; "" when the user cancels. Goes through
// a test hook like the message boxes, so no test waits on a modal dialog.
QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter);

namespace FileDialogHook {
// Queued names are returned in turn (an empty name is a cancel) instead of
// showing the dialog.
void SetNextFileName(const QString& name);
void Reset();
}  // namespace FileDialogHook

}  // namespace zq
