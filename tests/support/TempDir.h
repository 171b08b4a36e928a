#pragma once

#include <string>
#include <string_view>

namespace zq::test {

// A fresh folder under $TMPDIR, removed with everything in it when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Full path of a name inside the folder.
  std::string Path(std::string_view name) const;
  // Writes bytes to a file inside the folder (creating parent folders); returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  // Bytes of a file inside the folder ("" when missing).
  std::string Read(std::string_view name) const;
  bool Exists(std::string_view name) const;

 private:
  std::string path_;
};

// A temporary program folder: ProgramFolder() points at it for the life of the
// object. The data/ template is not copied; tests write what they need.
class TempProgramFolder : public TempDir {
 public:
  TempProgramFolder();
  ~TempProgramFolder();
};

}  // namespace zq::test
