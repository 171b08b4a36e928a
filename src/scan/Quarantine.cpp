#include "scan/Quarantine.h"

#include "platform/Directory.h"
#include "platform/Encoding.h"
#include "platform/FileOps.h"
#include "platform/Ini.h"
#include "platform/Random.h"
#include "storage/Profile.h"
#include "storage/RecordFile.h"

namespace zq {
namespace {

std::string QuarantineIndexPath() {
  return GetAppFilePath("Quarantine.ini");
}

// A name already taken in the quarantine folder is never overwritten (it is
// another quarantined file); a fresh name is drawn instead, a few times.
constexpr int kNameAttempts = 16;
constexpr unsigned kQuarantineFileMode = 0600;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string RandomLetters(int32_t count) {
  std::string letters;
  for (int32_t i = 0; i < count; ++i) letters += static_cast<char>('A' + RandomBelow(25));
  return letters;
}

std::string QuarantineFolder() {
  return GetAppFilePath("quarantine/");
}

bool CanStoreInProfile(std::string_view value) {
  if (value.size() > kProfileValueLimit || !IsSafeIniValue(value) || !IsValidUtf8(value)) return false;
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) return false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.front() == value.back())
    return false;
  return true;
}

int32_t AddQuarantineRecord(const std::string& source, const std::string& quarantined) {
  return AppendRecord(QuarantineIndexPath(), QuarantineRecordLayout(), {source, quarantined});
}

bool MoveToQuarantine(const std::string& path) {
  // The record is what restores the file, so it must hold the full path as it
  // will be read back; a path it cannot hold is not quarantined at all.
  const std::string source = AbsolutePath(path);
  if (source.empty() || !CanStoreInProfile(source)) return false;
  // Only a regular file itself: through a link, the copy would be taken from
  // the target but only the link deleted.
  if (PathKind(path) != EntryKind::Regular) return false;
  const std::string folder = AbsolutePath(QuarantineFolder());

  std::string target;
  for (int attempt = 0;; ++attempt) {
    if (attempt == kNameAttempts) return false;
    target = folder + RandomLetters(8) + ".tmp";
    if (!CanStoreInProfile(target)) return false;
    const CopyResult copied = CopyToNewFile(path, target, kQuarantineFileMode);
    if (copied == CopyResult::Copied) break;
    if (copied == CopyResult::Failed) return false;
  }

  // Record before deleting: once the original is gone, the record must already
  // be there, or a failed write would leave a copy nobody can restore.
  const std::string index = QuarantineIndexPath();
  const int32_t number = AddQuarantineRecord(source, target);
  bool recorded = number > 0;
  if (recorded) {
    const RecordWalk walk = RecordWalk::Load(index);
    recorded = walk.Field(number, "SourceFile") == source && walk.Field(number, "QuarantineFile") == target;
  }
  if (recorded && RemoveFile(path)) return true;

  if (number > 0) BlankRecord(index, QuarantineRecordLayout(), RecordKey(number));
  RemoveFile(target);
  return false;
}

}  // namespace zq
