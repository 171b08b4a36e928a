#pragma once

#include <QImage>
#include <QString>

// Writes a 24-bit uncompressed Windows bitmap (bottom-up rows padded to four
// bytes), the one format every skin file has. False when it cannot be written.
bool WriteBmp24(const QImage& image, const QString& path);
