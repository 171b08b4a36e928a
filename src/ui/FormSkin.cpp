#include "ui/FormSkin.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "platform/Yield.h"
#include "storage/Profile.h"
#include "storage/Settings.h"
#include "ui/Command.h"
#include "ui/FormRegistry.h"
#include "ui/MessageBox.h"
#include "ui/Skins.h"

namespace zq {
namespace {

const FormRegistrar kRegistrar("FormSkin", [] { return new FormSkin; });

}  // namespace

FormSkin::FormSkin(QWidget* parent) : SkinnedWindow("FormSkin", parent) {
  const PixelRect panel = Layout().panel;
  label_ = new QLabel(QStringLiteral("皮肤列表："), this);
  label_->setGeometry(panel.x + 16, panel.y + 34, 70, 22);
  comboSkin_ = new QComboBox(this);
  comboSkin_->setObjectName(QStringLiteral("ComboSkin"));
  // Typed names are allowed; OK checks them like listed ones.
  comboSkin_->setEditable(true);
  comboSkin_->setInsertPolicy(QComboBox::NoInsert);
  comboSkin_->setGeometry(panel.x + 86, panel.y + 34, panel.width - 86 - 20, 22);
  commandOK_ = new Command(QStringLiteral("确定"), this);
  commandOK_->setObjectName(QStringLiteral("CommandOK"));
  commandOK_->setGeometry(width() - 8 - 8 - 65,
                          height() - kFooterHeight + (kFooterHeight - kButtonHeight) / 2 - 2, 65,
                          kButtonHeight);
  connect(commandOK_, &Command::Click, this, &FormSkin::OnOk);
}

void FormSkin::FormLoad() {
  comboSkin_->clear();
  InitSkins(QString::fromStdString(GetAppFilePath("Skin/")), QStringLiteral("*.*"));
  comboSkin_->setEditText(QString::fromStdString(CurrentSkinName()));
}

void FormSkin::InitSkins(const QString& folder, const QString& pattern) {
  QString base = folder.trimmed();
  if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
  QDir dir(base);
  // "*.*" matched every name on the original platform, dotted or not.
  const QString filter = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
  const QStringList entries = dir.entryList(
      QStringList{filter}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& entry : entries) {
    Yield();
    if (entry.startsWith(QLatin1Char('.'))) continue;
    const QFileInfo info(dir.filePath(entry));
    // Real folders only: a link is not a skin of ours.
    if (!info.isDir() || info.isSymLink()) continue;
    const QString name = entry.trimmed();
    if (!name.isEmpty()) comboSkin_->addItem(name);
  }
}

void FormSkin::OnOk() {
  const std::string name = comboSkin_->currentText().trimmed().toStdString();
  const SkinCheck check = CheckSkin(name);
  if (!check.Ok()) {
    // An incomplete skin would leave windows half painted: refuse it.
    ShowMessage(this, QString::fromStdString(SkinRefusalText(name, check)));
    return;
  }
  SetCurrentSkinName(name);
  ReSkinAllForms();
  Yield();
  if (!WriteIniValue(SettingsPath(), "Normal", "Skin", name)) {
    ShowMessage(this, QStringLiteral("皮肤已更换，但无法保存到设置文件。"));
  }
  RunCloseAction();
}

}  // namespace zq
