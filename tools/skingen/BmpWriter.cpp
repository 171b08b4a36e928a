#include "BmpWriter.h"

#include <QSaveFile>
#include <cstdint>
#include <vector>

namespace {

void Put16(std::vector<char>& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::vector<char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

bool WriteBmp24(const QImage& source, const QString& path) {
  if (source.isNull()) return false;
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const uint32_t width = static_cast<uint32_t>(image.width());
  const uint32_t height = static_cast<uint32_t>(image.height());
  const uint32_t stride = (width * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * height;
  std::vector<char> out;
  out.reserve(54 + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + pixelBytes);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixelBytes);
  Put32(out, 3780);  // 96 dpi
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (uint32_t x = 0; x < width; ++x) {
      out.push_back(static_cast<char>(qBlue(line[x])));
      out.push_back(static_cast<char>(qGreen(line[x])));
      out.push_back(static_cast<char>(qRed(line[x])));
    }
    for (uint32_t pad = width * 3; pad < stride; ++pad) out.push_back(0);
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size()))
    return false;
  return file.commit();
}
