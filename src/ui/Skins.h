#pragma once

#include <QPixmap>
#include <string>

namespace zq {

// The skin the installation ships and falls back to.
inline constexpr const char* kDefaultSkinName = "经典蓝";

// The current skin name, held for the whole run.
const std::string& CurrentSkinName();
void SetCurrentSkinName(const std::string& name);

// The skin folder ("Skin" in the program folder, with a trailing separator).
std::string SkinFolder();

// Path of one file of a skin: program folder, "Skin", skin, file.
std::string SkinFilePath(const std::string& skin, const std::string& file);

// Outcome of checking a skin before it is applied.
struct SkinCheck {
  enum class Result { Complete, BadName, NoFolder, MissingFile, UnreadableFile };
  Result result = Result::Complete;
  std::string file;  // the first missing or unreadable file
  bool Ok() const { return result == Result::Complete; }
};

// Whether `skin` names a folder of the skin folder that holds every file of
// the skin table as a readable picture. Names that could leave the skin
// folder ("", ".", "..", anything with a separator) are bad names.
SkinCheck CheckSkin(const std::string& skin);

// The message that refuses a skin, naming what is missing.
std::string SkinRefusalText(const std::string& skin, const SkinCheck& check);

// Reads [Normal] Skin from Settings.ini and makes it current; a skin that is
// not complete gives way to the shipped default. Returns the name in use.
std::string LoadStartupSkinName();

// One picture of the current skin; a null pixmap when it is missing or cannot
// be decoded (never an error that ends the caller).
QPixmap LoadSkinPicture(const std::string& file);
QPixmap LoadSkinPicture(const std::string& skin, const std::string& file);

}  // namespace zq
