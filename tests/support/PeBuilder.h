#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq::test {

// Builds PE32 images in memory: sane headers (file alignment 512, section
// alignment 4096) so real PE tools accept them, with every field the detector
// reads open to override for hostile cases.
class PeBuilder {
 public:
  struct Section {
    std::string name;  // at most 8 bytes
    std::string data;  // raw bytes; padded with zeros to SizeOfRawData in the file
    // Overrides of the table entry; by default SizeOfRawData is the data size
    // rounded up to 512 and PointerToRawData the next free aligned offset.
    std::optional<uint32_t> sizeOfRawData;
    std::optional<uint32_t> pointerToRawData;
    uint32_t characteristics = 0x40000040;  // initialised data, readable
  };

  PeBuilder& AddSection(std::string name, std::string data);
  PeBuilder& AddSection(Section section);
  // Value written to NumberOfSections instead of the real count.
  PeBuilder& NumberOfSections(int16_t count);
  // Offset of the PE signature (default 0x80); headers move with it.
  PeBuilder& Lfanew(uint32_t offset);
  // Value written at offset 60 without moving the headers.
  PeBuilder& LfanewField(uint32_t value);

  // The image. The raw data of a section is placed where its table entry says
  // (explicit pointers beyond the end extend nothing: the file ends with the
  // last section placed by default).
  std::string Build() const;

  // Raw bytes of section `i` as the detector reads them: SizeOfRawData bytes
  // from PointerToRawData of the built image, zeros past its end.
  static std::string RawSection(const std::string& image, uint32_t pointerToRawData, uint32_t sizeOfRawData);

 private:
  std::vector<Section> sections_;
  std::optional<int16_t> numberOfSections_;
  uint32_t lfanew_ = 0x80;
  std::optional<uint32_t> lfanewField_;
};

// Aligns up to the PE file alignment.
inline uint32_t AlignFile(uint64_t size) {
  return static_cast<uint32_t>((size + 511) / 512 * 512);
}

}  // namespace zq::test
