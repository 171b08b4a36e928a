#include "platform/Directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace zq {
namespace {

EntryKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISREG(mode)) return EntryKind::Regular;
  if (S_ISLNK(mode)) return EntryKind::Symlink;
  return EntryKind::Other;
}

}  // namespace

DirectoryListing::DirectoryListing(const std::string& folder) : dir_(::opendir(folder.c_str())) {}

DirectoryListing::~DirectoryListing() {
  if (dir_) ::closedir(static_cast<DIR*>(dir_));
}

bool DirectoryListing::Next(DirectoryEntry& entry) {
  if (!dir_) return false;
  DIR* dir = static_cast<DIR*>(dir_);
  const dirent* d = ::readdir(dir);
  if (!d) return false;
  entry.name = d->d_name;
  switch (d->d_type) {
    case DT_DIR:
      entry.kind = EntryKind::Directory;
      break;
    case DT_REG:
      entry.kind = EntryKind::Regular;
      break;
    case DT_LNK:
      entry.kind = EntryKind::Symlink;
      break;
    case DT_UNKNOWN: {
      // Some file systems leave the type to a stat of the entry itself.
      struct stat st {};
      entry.kind = ::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? KindOfMode(st.st_mode)
                                                                                     : EntryKind::Missing;
      break;
    }
    default:
      entry.kind = EntryKind::Other;
  }
  return true;
}

EntryKind PathKind(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return EntryKind::Missing;
  return KindOfMode(st.st_mode);
}

EntryKind TargetKind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return EntryKind::Missing;
  return KindOfMode(st.st_mode);
}

}  // namespace zq
