// zq-skingen OUTDIR: paints the shipped skins into OUTDIR/<skin name>/.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "BmpWriter.h"
#include "SkinArt.h"
#include "ui/SkinTable.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: zq-skingen OUTDIR\n");
    return 2;
  }
  const QString outDir = QString::fromLocal8Bit(argv[1]);
  for (const Palette& palette : {ClassicBlue(), JadeGreen()}) {
    const QString folder = QDir(outDir).filePath(palette.name);
    if (!QDir().mkpath(folder)) {
      std::fprintf(stderr, "zq-skingen: cannot create %s\n", qPrintable(folder));
      return 1;
    }
    const auto files = PaintSkin(palette);
    // Every file of the skin table, and nothing the table does not know.
    for (const std::string& name : zq::SkinFileNames()) {
      const auto it = files.find(name);
      if (it == files.end()) {
        std::fprintf(stderr, "zq-skingen: no painting for %s\n", name.c_str());
        return 1;
      }
      if (!WriteBmp24(it->second, QDir(folder).filePath(QString::fromStdString(name)))) {
        std::fprintf(stderr, "zq-skingen: cannot write %s\n", name.c_str());
        return 1;
      }
    }
    if (files.size() != zq::SkinFileNames().size()) {
      std::fprintf(stderr, "zq-skingen: painted files that no window uses\n");
      return 1;
    }
  }
  return 0;
}
