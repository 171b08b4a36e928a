#pragma once

#include <string>
#include <string_view>

namespace zq::test {

// Writes signature files byte by byte, independently of the engine, so tests
// state exactly what lies on disk.
class SignatureWriter {
 public:
  explicit SignatureWriter(std::string folder) : folder_(std::move(folder)) {}

  // One 66-byte record: the key cut or zero-padded to 32 bytes, the name
  // blank-filled to 32 bytes, then `trailer` (two bytes).
  static std::string Record(std::string_view key, std::string_view name, std::string_view trailer = "\r\n");

  // Appends a record to the bucket file of the key's upper-cased first
  // character ("G.sig" when it is no hex digit).
  void Add(std::string_view key, std::string_view name) const;
  // Appends a record to G.sig.
  void AddGeneral(std::string_view key, std::string_view name) const;
  // Appends raw bytes to the named file ("3.sig", "G.sig").
  void AppendRaw(std::string_view fileName, std::string_view bytes) const;
  // Creates all seventeen files empty (leaving existing ones as they are).
  void CreateAll() const;

  std::string PathOf(std::string_view fileName) const;

 private:
  std::string folder_;
};

}  // namespace zq::test
