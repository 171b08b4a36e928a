// One main for the window tests: a QApplication on the offscreen platform,
// and message boxes answered instead of shown.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/MessageBox.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  zq::MessageBoxHook::SetStandingAnswer(zq::MessageAnswer::Ok);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
