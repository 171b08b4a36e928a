#include "TestSample.h"

#include <cstdint>
#include <cstring>

namespace zq {
namespace {

void Put16(std::string& image, size_t at, uint16_t v) {
  image[at] = static_cast<char>(v & 0xFF);
  image[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& image, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

constexpr char kMarker[] =
    "ZQ-TEST-SAMPLE\r\n"
    "This file is harmless. It holds no program code, only this text in a\r\n"
    "valid executable layout, so that a scanner can be checked end to end.\r\n";

}  // namespace

std::string BuildTestSample() {
  constexpr size_t kLfanew = 0x80;
  constexpr size_t kHeaders = 0x200;  // one file-alignment unit
  constexpr size_t kRaw = 0x200;
  std::string image(kHeaders + kRaw, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 60, kLfanew);

  std::memcpy(&image[kLfanew], "PE\0\0", 4);
  const size_t fh = kLfanew + 4;
  Put16(image, fh + 0, 0x014C);  // i386
  Put16(image, fh + 2, 1);       // one section
  Put16(image, fh + 16, 224);    // PE32 optional header
  Put16(image, fh + 18, 0x0102);

  const size_t oh = fh + 20;
  Put16(image, oh + 0, 0x010B);
  Put32(image, oh + 8, kRaw);       // SizeOfInitializedData
  Put32(image, oh + 24, 0x1000);    // BaseOfData
  Put32(image, oh + 28, 0x400000);  // ImageBase
  Put32(image, oh + 32, 0x1000);    // SectionAlignment
  Put32(image, oh + 36, 0x200);     // FileAlignment
  Put16(image, oh + 40, 6);         // OS version
  Put16(image, oh + 48, 6);         // subsystem version
  Put32(image, oh + 56, 0x2000);    // SizeOfImage
  Put32(image, oh + 60, kHeaders);  // SizeOfHeaders
  Put16(image, oh + 68, 3);         // console
  Put32(image, oh + 72, 0x100000);
  Put32(image, oh + 76, 0x1000);
  Put32(image, oh + 80, 0x100000);
  Put32(image, oh + 84, 0x1000);
  Put32(image, oh + 92, 16);

  const size_t entry = oh + 224;
  std::memcpy(&image[entry], ".zqtest", 7);
  Put32(image, entry + 8, sizeof kMarker - 1);  // VirtualSize
  Put32(image, entry + 12, 0x1000);             // VirtualAddress
  Put32(image, entry + 16, kRaw);               // SizeOfRawData
  Put32(image, entry + 20, kHeaders);           // PointerToRawData
  Put32(image, entry + 36, 0x40000040);         // initialised data, read-only
  std::memcpy(&image[kHeaders], kMarker, sizeof kMarker - 1);
  return image;
}

}  // namespace zq
