// The skin chooser, re-skinning every window, and the chrome of skinned windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QTest>

#include "UiTestSupport.h"
#include "storage/Profile.h"
#include "support/TempDir.h"
#include "ui/Command.h"
#include "ui/FormRegistry.h"
#include "ui/FormSkin.h"
#include "ui/ImageArray.h"
#include "ui/MessageBox.h"
#include "ui/SkinTable.h"
#include "ui/Skins.h"

namespace zq {
namespace {

using test::MoveOver;
using test::Press;
using test::Release;

// Stands in for windows that other parts of the program build.
class FakeForm : public SkinnedWindow {
 public:
  explicit FakeForm(const char* name) : SkinnedWindow(name) {}
  static std::vector<std::string>& Loads() {
    static std::vector<std::string> loads;
    return loads;
  }
  int customCloses = 0;

 protected:
  void FormLoad() override {
    // What the settings file says while the window is being loaded.
    Loads().push_back(WindowName() + ":" + ReadIniValue(GetAppFilePath("Settings.ini"), "Normal", "Skin"));
  }
  void CustomCloseAction() override { ++customCloses; }
};

void RegisterFakes() {
  static const bool registered = [] {
    for (const char* name : {"FormAbout", "FormScan", "FormVevezoRezezad"}) {
      RegisterForm(name, [name] { return new FakeForm(name); });
    }
    return true;
  }();
  (void)registered;
}

QColor BackgroundColour(SkinnedWindow* window) {
  return window->Background().toImage().pixelColor(2, 2);
}

void DeleteAllForms() {
  for (const SkinWindowEntry& entry : SkinTable()) {
    for (SkinnedWindow* form : LiveForms(entry.window)) delete form;
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class SkinChooser : public ::testing::Test {
 protected:
  SkinChooser() {
    RegisterFakes();
    FakeForm::Loads().clear();
    MessageBoxHook::Reset();
    test::WriteSolidSkin(kDefaultSkinName, Qt::blue);
    test::WriteSolidSkin("Red", Qt::red);
    folder.Write("Settings.ini", "[Normal]\r\nSkin=经典蓝\r\n");
    SetCurrentSkinName(kDefaultSkinName);
  }
  ~SkinChooser() override {
    DeleteAllForms();
    SetCurrentSkinName(kDefaultSkinName);
  }

  FormSkin* OpenChooser() {
    auto* form = static_cast<FormSkin*>(LoadForm("FormSkin"));
    form->show();
    return form;
  }
  std::string SavedSkin() { return ReadIniValue(GetAppFilePath("Settings.ini"), "Normal", "Skin"); }
  static QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
  }

  test::TempProgramFolder folder;
};

TEST_F(SkinChooser, ListsOnlySkinFolders) {
  folder.Write("Skin/readme.txt", "not a skin");
  folder.Write("Skin/.hidden/x", "");
  folder.Write("Skin/Blue.v2/x", "");
  FormSkin* chooser = OpenChooser();
  EXPECT_EQ(Items(chooser->ComboSkin()), (QStringList{"Blue.v2", "Red", QStringLiteral("经典蓝")}));

  chooser->ComboSkin()->clear();
  chooser->InitSkins(QString::fromStdString("  " + folder.path() + "/Skin  "), QStringLiteral("R*"));
  EXPECT_EQ(Items(chooser->ComboSkin()), QStringList{"Red"});
}

TEST_F(SkinChooser, ShowsTheCurrentNameEvenWhenItIsNoFolder) {
  SetCurrentSkinName("Gone");
  FormSkin* chooser = OpenChooser();
  EXPECT_EQ(chooser->ComboSkin()->currentText(), QStringLiteral("Gone"));
}

TEST_F(SkinChooser, OkAppliesTheSkinEverywhereAndThenSavesIt) {
  auto* main = static_cast<FakeForm*>(LoadForm("FormScan"));
  main->show();
  ASSERT_EQ(BackgroundColour(main), QColor(Qt::blue));
  FakeForm::Loads().clear();
  QPointer<FormSkin> chooser = OpenChooser();
  chooser->ComboSkin()->setEditText(QStringLiteral("Red"));
  QTest::mouseClick(chooser->CommandOK(), Qt::LeftButton);

  EXPECT_TRUE(MessageBoxHook::AskedTexts().empty());
  EXPECT_EQ(CurrentSkinName(), "Red");
  EXPECT_EQ(SavedSkin(), "Red");
  EXPECT_EQ(BackgroundColour(main), QColor(Qt::red));
  // Missing registered windows were created hidden, in order, before the name was saved.
  EXPECT_EQ(FakeForm::Loads(), (std::vector<std::string>{"FormVevezoRezezad:经典蓝", "FormAbout:经典蓝"}));
  ASSERT_EQ(LiveForms("FormAbout").size(), 1u);
  EXPECT_FALSE(LiveForms("FormAbout")[0]->isVisible());
  EXPECT_EQ(BackgroundColour(LiveForms("FormAbout")[0]), QColor(Qt::red));
  // Kinds nobody registered are skipped.
  EXPECT_TRUE(LiveForms("FormQuarantine").empty());
  // The chooser closed and went away.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(chooser.isNull());
}

TEST_F(SkinChooser, RefusesASkinThatLacksAFile) {
  test::WriteSolidSkin("Broken", Qt::green);
  QFile::remove(QString::fromStdString(SkinFilePath("Broken", "Min1.bmp")));
  auto* main = static_cast<FakeForm*>(LoadForm("FormScan"));
  FormSkin* chooser = OpenChooser();
  chooser->ComboSkin()->setEditText(QStringLiteral("Broken"));
  QTest::mouseClick(chooser->CommandOK(), Qt::LeftButton);

  ASSERT_EQ(MessageBoxHook::AskedTexts().size(), 1u);
  EXPECT_TRUE(MessageBoxHook::AskedTexts()[0].contains(QStringLiteral("Min1.bmp")));
  EXPECT_EQ(CurrentSkinName(), kDefaultSkinName);
  EXPECT_EQ(SavedSkin(), kDefaultSkinName);
  EXPECT_EQ(BackgroundColour(main), QColor(Qt::blue));
  EXPECT_TRUE(chooser->isVisible());
}

TEST_F(SkinChooser, RefusesANameThatNamesNoFolder) {
  FormSkin* chooser = OpenChooser();
  chooser->ComboSkin()->setEditText(QStringLiteral("Nowhere"));
  QTest::mouseClick(chooser->CommandOK(), Qt::LeftButton);
  ASSERT_EQ(MessageBoxHook::AskedTexts().size(), 1u);
  EXPECT_TRUE(MessageBoxHook::AskedTexts()[0].contains(QStringLiteral("Nowhere")));
  EXPECT_EQ(SavedSkin(), kDefaultSkinName);
}

TEST_F(SkinChooser, CloseImageHasThreeLooksAndClosesWithoutChanges) {
  QPointer<FormSkin> chooser = OpenChooser();
  chooser->ComboSkin()->setEditText(QStringLiteral("Red"));
  ImageArray* close = chooser->CloseImages();
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->pos(), QPoint(4560 / 15, 0));
  MoveOver(close, QPoint(5, 5));
  EXPECT_EQ(close->VisibleIndex(), 1);
  MoveOver(chooser, QPoint(100, 100));
  EXPECT_EQ(close->VisibleIndex(), 0);
  Press(close, QPoint(5, 5));
  EXPECT_EQ(close->VisibleIndex(), 2);
  Release(close, QPoint(5, 5));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(chooser.isNull());
  EXPECT_EQ(CurrentSkinName(), kDefaultSkinName);
  EXPECT_EQ(SavedSkin(), kDefaultSkinName);
}

TEST_F(SkinChooser, ReleaseOutsideTheCloseImageDoesNothing) {
  FormSkin* chooser = OpenChooser();
  ImageArray* close = chooser->CloseImages();
  Press(close, QPoint(5, 5));
  Release(close, QPoint(60, 5));
  EXPECT_TRUE(chooser->isVisible());
  EXPECT_EQ(close->VisibleIndex(), 0);
}

TEST_F(SkinChooser, OneGestureRunsTheCloseActionOnce) {
  FakeForm alert("FormAlertVirus");
  alert.Load();
  ImageArray* close = alert.CloseImages();
  Press(close, QPoint(5, 5));
  Release(close, QPoint(5, 5));  // the release and the click it makes
  EXPECT_EQ(alert.customCloses, 1);
  Press(close, QPoint(5, 5));
  Release(close, QPoint(5, 5));
  EXPECT_EQ(alert.customCloses, 2);
}

TEST_F(SkinChooser, HidingWindowsCloseOnlyOnAReleaseOfThePressedLook) {
  FakeForm setting("FormSetting");
  setting.Load();
  setting.show();
  ImageArray* close = setting.CloseImages();
  EXPECT_EQ(close->pos(), QPoint(8760 / 15, 0));
  MoveOver(close, QPoint(5, 5));
  Release(close, QPoint(5, 5));  // a release that began elsewhere
  EXPECT_TRUE(setting.isVisible());
  Press(close, QPoint(5, 5));
  Release(close, QPoint(5, 5));
  EXPECT_FALSE(setting.isVisible());
  // Hidden, not unloaded.
  EXPECT_EQ(LiveForms("FormSetting").size(), 1u);
}

TEST_F(SkinChooser, LeftButtonOnTheBackgroundDragsTheWindow) {
  FormSkin* chooser = OpenChooser();
  chooser->move(100, 100);
  const QPoint start = chooser->pos();
  Press(chooser, QPoint(50, 60), Qt::RightButton);
  MoveOver(chooser, QPoint(80, 100), Qt::RightButton);
  Release(chooser, QPoint(80, 100), Qt::RightButton);
  EXPECT_EQ(chooser->pos(), start);
  Press(chooser, QPoint(50, 60));
  test::SendMouse(chooser, QEvent::MouseMove, QPoint(80, 100), Qt::NoButton, Qt::LeftButton);
  Release(chooser, QPoint(80, 100));
  EXPECT_EQ(chooser->pos(), start + QPoint(30, 40));
}

}  // namespace
}  // namespace zq
