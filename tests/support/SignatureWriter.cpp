#include "support/SignatureWriter.h"

#include <fstream>
#include <stdexcept>

namespace zq::test {

std::string SignatureWriter::Record(std::string_view key, std::string_view name, std::string_view trailer) {
  std::string record(key.substr(0, 32));
  record.resize(32, '\0');
  std::string field(name.substr(0, 32));
  field.resize(32, ' ');
  record += field;
  std::string tail(trailer.substr(0, 2));
  tail.resize(2, '\0');
  return record + tail;
}

void SignatureWriter::Add(std::string_view key, std::string_view name) const {
  char c = key.empty() ? 'G' : key[0];
  if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
  AppendRaw(std::string(1, hex ? c : 'G') + ".sig", Record(key, name));
}

void SignatureWriter::AddGeneral(std::string_view key, std::string_view name) const {
  AppendRaw("G.sig", Record(key, name));
}

void SignatureWriter::AppendRaw(std::string_view fileName, std::string_view bytes) const {
  std::ofstream out(PathOf(fileName), std::ios::binary | std::ios::app);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + PathOf(fileName));
}

void SignatureWriter::CreateAll() const {
  for (char c : std::string_view("0123456789ABCDEFG")) AppendRaw(std::string(1, c) + ".sig", "");
}

std::string SignatureWriter::PathOf(std::string_view fileName) const {
  return folder_ + "/" + std::string(fileName);
}

}  // namespace zq::test
