#include "support/PeBuilder.h"

#include <algorithm>
#include <cstring>

namespace zq::test {
namespace {

void Put16(std::string& image, size_t at, uint16_t v) {
  image[at] = static_cast<char>(v & 0xFF);
  image[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& image, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t AlignSection(uint64_t size) {
  return static_cast<uint32_t>((size + 4095) / 4096 * 4096);
}

}  // namespace

PeBuilder& PeBuilder::AddSection(std::string name, std::string data) {
  Section s;
  s.name = std::move(name);
  s.data = std::move(data);
  return AddSection(std::move(s));
}

PeBuilder& PeBuilder::AddSection(Section section) {
  sections_.push_back(std::move(section));
  return *this;
}

PeBuilder& PeBuilder::NumberOfSections(int16_t count) {
  numberOfSections_ = count;
  return *this;
}

PeBuilder& PeBuilder::Lfanew(uint32_t offset) {
  lfanew_ = offset;
  return *this;
}

PeBuilder& PeBuilder::LfanewField(uint32_t value) {
  lfanewField_ = value;
  return *this;
}

std::string PeBuilder::Build() const {
  const size_t count = sections_.size();
  const size_t tableAt = size_t{lfanew_} + 248;
  const uint32_t headersSize = AlignFile(tableAt + 40 * count);

  // Place the raw data and size the image.
  struct Placed {
    uint32_t size, pointer, rva, virtualSize;
  };
  std::vector<Placed> placed;
  uint32_t nextRaw = headersSize;
  uint32_t nextRva = AlignSection(headersSize);
  uint32_t sizeOfCode = 0, sizeOfData = 0;
  for (const auto& s : sections_) {
    Placed p;
    p.size = s.sizeOfRawData.value_or(AlignFile(s.data.size()));
    const bool hasRaw = p.size != 0 || !s.data.empty();
    p.pointer = s.pointerToRawData.value_or(hasRaw ? nextRaw : 0);
    // An overridden size reserves only the room the data needs, so hostile
    // sizes do not blow up the image.
    if (!s.pointerToRawData && hasRaw) nextRaw += AlignFile(s.sizeOfRawData ? s.data.size() : p.size);
    p.virtualSize = std::max<uint32_t>(static_cast<uint32_t>(s.data.size()), 1);
    p.rva = nextRva;
    nextRva += AlignSection(p.virtualSize);
    ((s.characteristics & 0x20) ? sizeOfCode : sizeOfData) += AlignFile(p.size);
    placed.push_back(p);
  }

  std::string image(std::max<size_t>(nextRaw, headersSize), '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 60, lfanewField_.value_or(lfanew_));

  std::memcpy(&image[lfanew_], "PE\0\0", 4);
  const size_t fh = lfanew_ + 4;
  Put16(image, fh + 0, 0x014C);  // i386
  Put16(image, fh + 2,
        numberOfSections_ ? static_cast<uint16_t>(*numberOfSections_) : static_cast<uint16_t>(count));
  Put16(image, fh + 16, 224);     // SizeOfOptionalHeader
  Put16(image, fh + 18, 0x0102);  // executable image, 32-bit machine

  const size_t oh = fh + 20;
  Put16(image, oh + 0, 0x010B);  // PE32
  image[oh + 2] = 14;            // linker version
  Put32(image, oh + 4, sizeOfCode);
  Put32(image, oh + 8, sizeOfData);
  Put32(image, oh + 16, 0);  // no entry point: these images carry no code
  Put32(image, oh + 20, placed.empty() ? 0x1000 : placed.front().rva);
  Put32(image, oh + 24, placed.empty() ? 0x1000 : placed.front().rva);
  Put32(image, oh + 28, 0x00400000);  // ImageBase
  Put32(image, oh + 32, 0x1000);      // SectionAlignment
  Put32(image, oh + 36, 0x200);       // FileAlignment
  Put16(image, oh + 40, 6);           // OS version
  Put16(image, oh + 48, 6);           // subsystem version
  Put32(image, oh + 56, nextRva);     // SizeOfImage
  Put32(image, oh + 60, headersSize);
  Put16(image, oh + 68, 3);  // console subsystem
  Put32(image, oh + 72, 0x100000);
  Put32(image, oh + 76, 0x1000);
  Put32(image, oh + 80, 0x100000);
  Put32(image, oh + 84, 0x1000);
  Put32(image, oh + 92, 16);  // NumberOfRvaAndSizes

  for (size_t i = 0; i < count; ++i) {
    const auto& s = sections_[i];
    const auto& p = placed[i];
    const size_t e = tableAt + 40 * i;
    std::memcpy(&image[e], s.name.data(), std::min<size_t>(s.name.size(), 8));
    Put32(image, e + 8, p.virtualSize);
    Put32(image, e + 12, p.rva);
    Put32(image, e + 16, p.size);
    Put32(image, e + 20, p.pointer);
    Put32(image, e + 36, s.characteristics);
    // Raw data lands inside the image only as far as the image reaches.
    if (p.pointer < image.size()) {
      const size_t n = std::min<size_t>(s.data.size(), image.size() - p.pointer);
      std::memcpy(&image[p.pointer], s.data.data(), n);
    }
  }
  return image;
}

std::string PeBuilder::RawSection(const std::string& image, uint32_t pointerToRawData,
                                  uint32_t sizeOfRawData) {
  std::string raw(sizeOfRawData, '\0');
  if (pointerToRawData < image.size()) {
    const size_t n = std::min<size_t>(sizeOfRawData, image.size() - pointerToRawData);
    std::memcpy(raw.data(), image.data() + pointerToRawData, n);
  }
  return raw;
}

}  // namespace zq::test
