#include "ui/Skins.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "platform/ProgramFolder.h"
#include "storage/Profile.h"
#include "storage/Settings.h"
#include "ui/SkinTable.h"

namespace zq {
namespace {

std::string& CurrentName() {
  static std::string name = kDefaultSkinName;
  return name;
}

QString ToQ(const std::string& text) {
  return QString::fromStdString(text);
}

bool IsSafeSkinName(const std::string& skin) {
  return !skin.empty() && skin != "." && skin != ".." && skin.find(kPathSeparator) == std::string::npos &&
         skin.find('\\') == std::string::npos && skin.find('\0') == std::string::npos;
}

// A skin made on the original platform may spell a file in another case;
// its file system did not care, so neither do we.
QString FindSkinFile(const std::string& skin, const std::string& file) {
  const QString exact = ToQ(SkinFilePath(skin, file));
  if (QFileInfo(exact).isFile()) return exact;
  QDir folder(ToQ(SkinFolder() + skin));
  const QString wanted = ToQ(file);
  for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden)) {
    if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return folder.filePath(entry);
  }
  return {};
}

}  // namespace

const std::string& CurrentSkinName() {
  return CurrentName();
}
void SetCurrentSkinName(const std::string& name) {
  CurrentName() = name;
}

std::string SkinFolder() {
  return GetAppFilePath(std::string("Skin") + kPathSeparator);
}

std::string SkinFilePath(const std::string& skin, const std::string& file) {
  return SkinFolder() + skin + kPathSeparator + file;
}

SkinCheck CheckSkin(const std::string& skin) {
  SkinCheck check;
  if (!IsSafeSkinName(skin)) {
    check.result = SkinCheck::Result::BadName;
    return check;
  }
  const QFileInfo folder(ToQ(SkinFolder() + skin));
  if (!folder.isDir()) {
    check.result = SkinCheck::Result::NoFolder;
    return check;
  }
  for (const std::string& file : SkinFileNames()) {
    const QString path = FindSkinFile(skin, file);
    if (path.isEmpty()) {
      check.result = SkinCheck::Result::MissingFile;
      check.file = file;
      return check;
    }
    QImageReader reader(path);
    if (!reader.canRead() || !reader.size().isValid() || reader.size().isEmpty()) {
      check.result = SkinCheck::Result::UnreadableFile;
      check.file = file;
      return check;
    }
  }
  return check;
}

std::string SkinRefusalText(const std::string& skin, const SkinCheck& check) {
  switch (check.result) {
    case SkinCheck::Result::Complete:
      return "";
    case SkinCheck::Result::BadName:
      return "皮肤名称无效：" + skin;
    case SkinCheck::Result::NoFolder:
      return "找不到皮肤：" + skin;
    case SkinCheck::Result::MissingFile:
      return "皮肤“" + skin + "”缺少文件：" + check.file;
    case SkinCheck::Result::UnreadableFile:
      return "皮肤“" + skin + "”的文件无法读取：" + check.file;
  }
  return "";
}

std::string LoadStartupSkinName() {
  std::string name = Settings::Live().Text("Normal", "Skin");
  if (!CheckSkin(name).Ok()) name = kDefaultSkinName;
  SetCurrentSkinName(name);
  return name;
}

QPixmap LoadSkinPicture(const std::string& file) {
  return LoadSkinPicture(CurrentSkinName(), file);
}

QPixmap LoadSkinPicture(const std::string& skin, const std::string& file) {
  if (!IsSafeSkinName(skin)) return {};
  const QString path = FindSkinFile(skin, file);
  if (path.isEmpty()) return {};
  QImageReader reader(path);
  const QImage image = reader.read();
  if (image.isNull()) return {};
  return QPixmap::fromImage(image);
}

}  // namespace zq
