#pragma once

#include <string>

namespace zq {

// What a folder entry is, without following symbolic links.
enum class EntryKind { Missing, Directory, Regular, Symlink, Other };

struct DirectoryEntry {
  std::string name;
  EntryKind kind = EntryKind::Other;
};

// One listing of a folder, read entry by entry so a walk can stop between
// entries. "." and ".." are listed like any other entry. A folder that cannot
// be opened gives a listing that is not open and lists nothing.
class DirectoryListing {
 public:
  explicit DirectoryListing(const std::string& folder);
  ~DirectoryListing();
  DirectoryListing(const DirectoryListing&) = delete;
  DirectoryListing& operator=(const DirectoryListing&) = delete;

  bool IsOpen() const { return dir_ != nullptr; }
  // True when the folder lies on a kernel pseudo file system (proc, sysfs,
  // debugfs, cgroup, ...): its "files" are kernel interfaces, some of which
  // block or lose data when read (/proc/kmsg), and none holds user data.
  bool OnPseudoFileSystem() const;
  // The next entry; false when there is none (or the listing failed).
  bool Next(DirectoryEntry& entry);

 private:
  void* dir_ = nullptr;  // DIR*, kept out of the header
};

// Kind of `path` itself (a symbolic link is reported as Symlink).
EntryKind PathKind(const std::string& path);
// Kind of what `path` leads to, links followed (a dangling link is Missing).
EntryKind TargetKind(const std::string& path);

}  // namespace zq
