#include "platform/DesktopIntegration.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/FileIo.h"
#include "platform/ProgramFolder.h"

namespace zq {
namespace {
constexpr char kActionName[] = "澄岳杀毒";

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return home;
  const passwd* pw = ::getpwuid(::getuid());
  return pw && pw->pw_dir && *pw->pw_dir == '/' ? pw->pw_dir : "";
}

std::string XdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && *value == '/') return value;
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + kPathSeparator + fallback;
}

bool HasControlCharacter(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

bool WriteIntegrationFile(const IntegrationFile& file, const std::string& content, bool executable) {
  std::error_code ec;
  std::filesystem::create_directories(file.root + kPathSeparator + file.parent, ec);
  if (ec) return false;
  const std::string path = file.FullPath();
  const unsigned mode = executable ? 0755 : 0644;
  // chmod as well: an existing file keeps its old mode on replacement.
  return WriteFileAtomic(path, content, mode) && ::chmod(path.c_str(), mode) == 0;
}

std::optional<std::string> DolphinServiceMenu(FileManagerTarget target, const std::string& exe) {
  const auto quoted = DesktopExecArgument(exe);
  if (!quoted) return std::nullopt;
  return std::string("[Desktop Entry]\n") + "Type=Service\n" + "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n" +
         "MimeType=" + (target == FileManagerTarget::kFiles ? "all/allfiles;" : "inode/directory;") + "\n" +
         "Actions=zqScan;\n\n" + "[Desktop Action zqScan]\n" + "Name=" + kActionName + "\n" +
         "Exec=" + *quoted + " %f\n";
}

std::optional<std::string> NautilusScript(const std::string& exe) {
  // Nautilus passes the chosen names relative to the folder it runs the script in.
  return "#!/bin/sh\n"
         "# 澄岳杀毒: hands each chosen file or folder to the program.\n"
         "for f in \"$@\"; do\n"
         "  case $f in /*) ;; *) f=\"$PWD/$f\" ;; esac\n"
         "  " +
         ShellQuote(exe) +
         " \"$f\" &\n"
         "done\n";
}

std::optional<std::string> NemoAction(FileManagerTarget target, const std::string& exe) {
  if (HasControlCharacter(exe)) return std::nullopt;
  // Nemo reads the line as a key-file string (backslash escapes), expands its
  // own % tokens, then splits it like a shell.
  std::string command;
  for (char c : ShellQuote(exe)) {
    if (c == '\\') command.push_back('\\');
    command.push_back(c);
    if (c == '%') command.push_back('%');
  }
  return std::string("[Nemo Action]\n") + "Name=" + kActionName + "\n" + "Exec=" + command + " %F\n" +
         "Quote=double\n" + "Selection=s\n" +
         "Extensions=" + (target == FileManagerTarget::kFiles ? "nodirs;" : "dir;") + "\n";
}
}  // namespace

std::string XdgConfigHome() {
  return XdgFolder("XDG_CONFIG_HOME", ".config");
}
std::string XdgDataHome() {
  return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::optional<std::string> DesktopExecArgument(std::string_view arg) {
  if (arg.empty() || HasControlCharacter(arg)) return std::nullopt;
  constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";
  const bool quote = arg.find_first_of(kReserved) != std::string_view::npos;
  std::string out;
  if (quote) out.push_back('"');
  for (char c : arg) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out.push_back('\\');
    if (c == '%') out.push_back('%');
    out.push_back(c);
  }
  if (quote) out.push_back('"');
  // The Exec value is itself a string value, where a backslash is escaped.
  std::string escaped;
  for (char c : out) {
    if (c == '\\') escaped.push_back('\\');
    escaped.push_back(c);
  }
  return escaped;
}

std::string ShellQuote(std::string_view arg) {
  std::string out = "'";
  for (char c : arg) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out.push_back(c);
    }
  }
  out.push_back('\'');
  return out;
}

std::string IntegrationFile::FullPath() const {
  return root + kPathSeparator + parent + kPathSeparator + name;
}

std::optional<IntegrationFile> AutostartEntryFile() {
  const std::string root = XdgConfigHome();
  if (root.empty()) return std::nullopt;
  return IntegrationFile{root, "autostart", "ZQ.desktop"};
}

bool WriteAutostartEntry(const std::string& executable) {
  const auto file = AutostartEntryFile();
  const auto exec = DesktopExecArgument(executable);
  if (!file || !exec) return false;
  const std::string content = std::string("[Desktop Entry]\n") + "Type=Application\n" +
                              "Name=" + kActionName + "\n" + "Exec=" + *exec + "\n" + "Terminal=false\n" +
                              "X-GNOME-Autostart-enabled=true\n";
  return WriteIntegrationFile(*file, content, false);
}

std::vector<IntegrationFile> FileManagerActionFiles(FileManagerTarget target) {
  const std::string root = XdgDataHome();
  if (root.empty()) return {};
  const bool files = target == FileManagerTarget::kFiles;
  return {
      {root, "kio/servicemenus", files ? "zq-scan-file.desktop" : "zq-scan-folder.desktop"},
      {root, "nautilus/scripts", kActionName},
      {root, "nemo/actions", files ? "zq-scan-file.nemo_action" : "zq-scan-folder.nemo_action"},
  };
}

bool WriteFileManagerActions(FileManagerTarget target, const std::string& executable) {
  const auto files = FileManagerActionFiles(target);
  if (files.empty() || executable.empty()) return false;
  // Dolphin only runs service menus from a user's folder when they are executable.
  const std::optional<std::string> contents[] = {DolphinServiceMenu(target, executable),
                                                 NautilusScript(executable), NemoAction(target, executable)};
  bool ok = true;
  for (size_t i = 0; i < files.size(); ++i) {
    ok = contents[i] && WriteIntegrationFile(files[i], *contents[i], true) && ok;
  }
  return ok;
}

bool RemoveIntegrationFile(const std::string& root, const std::string& parent, const std::string& name) {
  if (root.empty() || name.empty() || name == "." || name == ".." ||
      name.find(kPathSeparator) != std::string::npos) {
    return false;
  }
  const std::string path = root + kPathSeparator + parent + kPathSeparator + name;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  // Like a registry key with subkeys, a folder that is not empty stays.
  const int r = S_ISDIR(st.st_mode) ? ::rmdir(path.c_str()) : ::unlink(path.c_str());
  return r == 0 || errno == ENOENT;
}

}  // namespace zq
