#include "shell/SystemIntegration.h"

#include "platform/DesktopIntegration.h"
#include "platform/MemoryTrim.h"
#include "platform/Priority.h"
#include "platform/ProgramFolder.h"
#include "platform/Yield.h"

namespace zq {

void AddAutorun() {
  WriteAutostartEntry(ExecutablePath());
}

void RemoveAutorun() {
  if (const auto file = AutostartEntryFile()) RemoveIntegrationFile(file->root, file->parent, file->name);
}

bool RegisterFileVerb() {
  return WriteFileManagerActions(FileManagerTarget::kFiles, ExecutablePath());
}

bool RegisterFolderVerb() {
  return WriteFileManagerActions(FileManagerTarget::kFolders, ExecutablePath());
}

void UnregisterVerbs() {
  for (const auto target : {FileManagerTarget::kFiles, FileManagerTarget::kFolders}) {
    for (const auto& file : FileManagerActionFiles(target)) {
      DeleteRegistryKey(file.root, file.parent, file.name);
      Yield();
    }
  }
}

void DeleteRegistryKey(const std::string& root, const std::string& path, const std::string& name) {
  RemoveIntegrationFile(root, path, name);
}

void EnableDebugPrivilege() {}

bool SetProcessPriority(uint32_t priorityClass) {
  switch (priorityClass) {
    case kBelowNormalPriorityClass:
      return SetOwnPriority(ProcessPriority::kBelowNormal);
    case kNormalPriorityClass:
      return SetOwnPriority(ProcessPriority::kNormal);
    default:
      return false;
  }
}

void TrimWorkingSet() {
  TrimFreeMemory();
}

}  // namespace zq
