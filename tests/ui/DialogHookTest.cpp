// The hooks that answer message boxes and file dialogs in tests.
#include <gtest/gtest.h>

#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

namespace zq {
namespace {

TEST(MessageBoxHookTest, QueuedAnswersComeFirstThenTheStandingOne) {
  MessageBoxHook::Reset();
  MessageBoxHook::SetNextAnswer(MessageAnswer::No);
  MessageBoxHook::SetNextAnswer(MessageAnswer::Yes);
  EXPECT_EQ(ShowMessage(nullptr, QStringLiteral("一"), MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(ShowMessage(nullptr, QStringLiteral("二"), MessageButtons::YesNo), MessageAnswer::Yes);
  // The test main answers every other box with OK.
  EXPECT_EQ(ShowMessage(nullptr, QStringLiteral("三")), MessageAnswer::Ok);
  EXPECT_EQ(MessageBoxHook::AskedTexts(),
            (std::vector<QString>{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}));
  MessageBoxHook::Reset();
  EXPECT_TRUE(MessageBoxHook::AskedTexts().empty());
}

TEST(FileDialogHookTest, QueuedNamesAnswerTheDialog) {
  FileDialogHook::SetNextFileName(QStringLiteral("/tmp/a.exe"));
  FileDialogHook::SetNextFileName(QString());
  EXPECT_EQ(ChooseOpenFile(nullptr, QStringLiteral("打开"), QString()), QStringLiteral("/tmp/a.exe"));
  EXPECT_EQ(ChooseOpenFile(nullptr, QStringLiteral("打开"), QString()), QString());
  FileDialogHook::Reset();
}

}  // namespace
}  // namespace zq
