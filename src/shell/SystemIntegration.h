#pragma once

#include <cstdint>
#include <string>

namespace zq {

// Priority classes the scan runs ask for.
inline constexpr uint32_t kBelowNormalPriorityClass = 0x4000;
inline constexpr uint32_t kNormalPriorityClass = 0x20;

// The start-up entry that starts the program at log-on.
void AddAutorun();
void RemoveAutorun();

// The file-manager actions 澄岳杀毒 that hand a file or a folder to the
// program; true when every action file was written.
bool RegisterFileVerb();
bool RegisterFolderVerb();
void UnregisterVerbs();

// Removes one integration file or empty folder: `name` inside root/path.
void DeleteRegistryKey(const std::string& root, const std::string& path, const std::string& name);

// Nothing to enable on this system: reading other processes needs root.
void EnableDebugPrivilege();

// kBelowNormalPriorityClass lowers the program for a scan run,
// kNormalPriorityClass puts it back; false when that could not be done (or
// for any other class).
bool SetProcessPriority(uint32_t priorityClass);

// Returns free memory to the system after heavy work.
void TrimWorkingSet();

}  // namespace zq
