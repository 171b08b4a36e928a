#pragma once

#include "ui/SkinnedWindow.h"

class QComboBox;
class QLabel;

namespace zq {

class Command;

// The skin chooser: lists the skin folders, applies the chosen one to every
// window and then saves it.
class FormSkin : public SkinnedWindow {
  Q_OBJECT

 public:
  explicit FormSkin(QWidget* parent = nullptr);

  // Fills the list with the sub-folders of `folder` that match `pattern`
  // ("*.*" means every name); names beginning with "." are left out.
  void InitSkins(const QString& folder, const QString& pattern);

  QComboBox* ComboSkin() const { return comboSkin_; }
  Command* CommandOK() const { return commandOK_; }

 protected:
  void FormLoad() override;

 private:
  void OnOk();

  QLabel* label_;
  QComboBox* comboSkin_;
  Command* commandOK_;
};

}  // namespace zq
