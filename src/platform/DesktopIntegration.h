#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

// Base folders of the XDG base-directory rules: the variable when it holds an
// absolute path, else the default under the home folder; "" when neither is known.
std::string XdgConfigHome();
std::string XdgDataHome();

// One argument of a desktop entry's Exec key, as written in the file: quoted
// when it holds a reserved character, '%' doubled, backslashes escaped for the
// string value. nullopt for text no Exec line can carry (control characters).
std::optional<std::string> DesktopExecArgument(std::string_view arg);

// An argument for a POSIX shell, in single quotes.
std::string ShellQuote(std::string_view arg);

// One file or folder the program adds to the desktop: `name` inside `parent`
// inside the base folder `root`.
struct IntegrationFile {
  std::string root;
  std::string parent;
  std::string name;
  std::string FullPath() const;
};

// The start-up entry: $XDG_CONFIG_HOME/autostart/ZQ.desktop.
std::optional<IntegrationFile> AutostartEntryFile();

// Writes the start-up entry that starts `executable` at log-on.
bool WriteAutostartEntry(const std::string& executable);

enum class FileManagerTarget { kFiles, kFolders };

// The file-manager actions named 澄岳杀毒 for files or for folders: a Dolphin
// service menu, a Nautilus script (one for both: Nautilus offers scripts for
// any selection) and a Nemo action. Empty when XDG_DATA_HOME is unknown.
std::vector<IntegrationFile> FileManagerActionFiles(FileManagerTarget target);

// Writes them so that each runs `executable` with the chosen path as its one
// argument; true when every file was written.
bool WriteFileManagerActions(FileManagerTarget target, const std::string& executable);

// Removes one file, or one empty folder, `name` inside root/parent. A name
// that is not a single path component is refused; a missing one is no error.
bool RemoveIntegrationFile(const std::string& root, const std::string& parent, const std::string& name);

}  // namespace zq
