#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zq {

// `count` random capital letters, each one of A to Y (Z never occurs).
std::string RandomLetters(int32_t count);

// The quarantine folder of the installation, ending in the separator.
std::string QuarantineFolder();

// True when `value` comes back unchanged from a profile file: at most 254
// bytes, valid UTF-8, no line break or NUL, no blanks at either end and not
// wrapped in quotes (the reader would strip them).
bool CanStoreInProfile(std::string_view value);

// Appends one record to Quarantine.ini. Returns its number, 0 when nothing
// was stored.
int32_t AddQuarantineRecord(const std::string& source, const std::string& quarantined);

// Moves a detected file into the quarantine folder under a random name and
// records it. True only when the copy is on disk, the record reads back
// exactly and the original is gone. On false the original is where it was,
// and neither a copy nor a live record is left behind.
bool MoveToQuarantine(const std::string& path);

}  // namespace zq
