#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace zq {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Every message box of the program goes through here, so that a test can
// answer it instead of a modal dialog blocking the run.
MessageAnswer ShowMessage(QWidget* parent, const QString& text, MessageButtons buttons = MessageButtons::Ok);

// The test hook: queued answers are used (and the box not shown) first; then
// the standing answer, if any. Every text asked is recorded.
namespace MessageBoxHook {
void SetNextAnswer(MessageAnswer answer);
void SetStandingAnswer(std::optional<MessageAnswer> answer);
const std::vector<QString>& AskedTexts();
void Reset();
}  // namespace MessageBoxHook

}  // namespace zq
