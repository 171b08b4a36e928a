#include "ConsoleView.h"

namespace zq {

std::string PrintablePath(const std::string& path) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

void ConsoleView::AddResultRow(const std::string&, const std::string& path, const std::string& name,
                               const std::string& outcome) {
  ++rows_;
  std::string line = PrintablePath(path) + ": " + PrintablePath(name) + " FOUND";
  if (showOutcome_) line += " " + outcome;
  line += '\n';
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

}  // namespace zq
