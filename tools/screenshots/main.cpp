// zq-screenshots PROGRAMDIR OUTDIR
#include <QApplication>
#include <QDir>
#include <QImage>
#include <cstdio>

#include "ButtonGallery.h"
#include "SkinPreview.h"
#include "platform/ProgramFolder.h"
#include "ui/FormRegistry.h"
#include "ui/FormSkin.h"
#include "ui/MessageBox.h"
#include "ui/SkinTable.h"
#include "ui/SkinnedWindow.h"
#include "ui/Skins.h"

namespace {

bool Save(const QImage& image, const QString& outDir, const QString& name) {
  const QString path = QDir(outDir).filePath(name + QStringLiteral(".png"));
  if (!image.save(path)) {
    std::fprintf(stderr, "zq-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: zq-screenshots PROGRAMDIR OUTDIR\n");
    return 2;
  }
  zq::SetProgramFolder(argv[1]);
  const QString outDir = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(outDir);
  zq::MessageBoxHook::SetStandingAnswer(zq::MessageAnswer::Ok);
  // Windows register themselves from their own files; naming each class here
  // makes sure its file is linked into this program. Later windows add theirs.
  const std::vector<const QMetaObject*> windows = {&zq::FormSkin::staticMetaObject};
  (void)windows;

  bool ok = Save(RenderButtonGallery(), outDir, QStringLiteral("buttons"));
  for (const char* skin : {"经典蓝", "翡翠绿"}) {
    const QString tag = QString::fromUtf8(skin);
    if (!zq::CheckSkin(skin).Ok()) {
      std::fprintf(stderr, "zq-screenshots: skin %s is not complete\n", skin);
      ok = false;
      continue;
    }
    zq::SetCurrentSkinName(skin);
    // Every window that has registered itself, as it looks in this skin.
    for (const zq::SkinWindowEntry& entry : zq::SkinTable()) {
      if (!zq::IsFormRegistered(entry.window)) continue;
      zq::SkinnedWindow* form = zq::LoadForm(entry.window);
      if (!form) continue;
      form->ReSkinMe();
      ok &= Save(form->grab().toImage(), outDir, QString::fromUtf8(entry.window) + QStringLiteral("-") + tag);
    }
    ok &=
        Save(RenderMainWindowPreview(skin), outDir, QStringLiteral("skin-") + tag + QStringLiteral("-main"));
    ok &=
        Save(RenderSettingPreview(skin), outDir, QStringLiteral("skin-") + tag + QStringLiteral("-setting"));
    ok &= Save(RenderDialogSheet(skin), outDir, QStringLiteral("skin-") + tag + QStringLiteral("-dialogs"));
    ok &= Save(RenderImageStates(skin), outDir, QStringLiteral("skin-") + tag + QStringLiteral("-states"));
  }
  return ok ? 0 : 1;
}
