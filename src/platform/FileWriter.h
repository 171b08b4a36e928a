#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zq {

// Writes a file in many small pieces at the cost of a copy each: the pieces
// are gathered in memory and go to the file in large writes.
class BufferedFileWriter {
 public:
  BufferedFileWriter() = default;
  ~BufferedFileWriter();
  BufferedFileWriter(const BufferedFileWriter&) = delete;
  BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

  // Creates or empties the file. A symbolic link in its place is refused.
  bool Create(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // False once any write has failed; later writes are dropped.
  bool Write(const char* data, size_t size);
  // Writes out what is gathered and closes. False when anything was lost.
  bool Close();
  // As Close, but the bytes are on the disk before it returns.
  bool Commit();

 private:
  bool Flush();

  int fd_ = -1;
  bool failed_ = false;
  std::vector<char> buffer_;
  size_t used_ = 0;
};

// Moves `from` over `to` in one step: `to` holds either its old or its new
// content at every moment. A replaced file's permission bits are kept.
bool ReplaceFileWith(const std::string& from, const std::string& to);

}  // namespace zq
