#include "ui/MessageBox.h"

#include <QMessageBox>

namespace zq {
namespace {

struct HookState {
  std::deque<MessageAnswer> next;
  std::optional<MessageAnswer> standing;
  std::vector<QString> asked;
};

HookState& Hook() {
  static HookState state;
  return state;
}

}  // namespace

MessageAnswer ShowMessage(QWidget* parent, const QString& text, MessageButtons buttons) {
  HookState& hook = Hook();
  hook.asked.push_back(text);
  if (!hook.next.empty()) {
    const MessageAnswer answer = hook.next.front();
    hook.next.pop_front();
    return answer;
  }
  if (hook.standing) return *hook.standing;
  const QString title = QStringLiteral("澄岳杀毒");
  if (buttons == MessageButtons::YesNo) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
               ? MessageAnswer::Yes
               : MessageAnswer::No;
  }
  QMessageBox::information(parent, title, text);
  return MessageAnswer::Ok;
}

namespace MessageBoxHook {
void SetNextAnswer(MessageAnswer answer) {
  Hook().next.push_back(answer);
}
void SetStandingAnswer(std::optional<MessageAnswer> answer) {
  Hook().standing = answer;
}
const std::vector<QString>& AskedTexts() {
  return Hook().asked;
}
void Reset() {
  Hook().next.clear();
  Hook().asked.clear();
}
}  // namespace MessageBoxHook

}  // namespace zq
