#include "platform/Directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

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

bool DirectoryListing::OnPseudoFileSystem() const {
  if (!dir_) return false;
  struct statfs fs {};
  if (::fstatfs(::dirfd(static_cast<DIR*>(dir_)), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case 0x62656570UL:  // configfs
    case 0x65735543UL:  // fusectl
    case AUTOFS_SUPER_MAGIC:
    case BINFMTFS_MAGIC:
    case HUGETLBFS_MAGIC:
    case NSFS_MAGIC:
    case 0x19800202UL:  // mqueue
      return true;
    default:
      return false;
  }
}

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
