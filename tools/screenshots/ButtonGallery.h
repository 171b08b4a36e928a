#pragma once

#include <QImage>

// Every button style, scheme and XP type in its normal, hover, focused,
// pressed and disabled looks, each at twice its size.
QImage RenderButtonGallery();
