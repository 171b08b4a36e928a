#include "ui/FileDialog.h"

#include <QFileDialog>
#include <deque>

namespace zq {
namespace {

std::deque<QString>& NextNames() {
  static std::deque<QString> names;
  return names;
}

}  // namespace

QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter) {
  if (!NextNames().empty()) {
    const QString name = NextNames().front();
    NextNames().pop_front();
    return name;
  }
  return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

namespace FileDialogHook {
void SetNextFileName(const QString& name) {
  NextNames().push_back(name);
}
void Reset() {
  NextNames().clear();
}
}  // namespace FileDialogHook

}  // namespace zq
