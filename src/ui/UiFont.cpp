#include "ui/UiFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace zq {

QString ProgramFontFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const QString& wanted : {QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                  QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("文泉驿微米黑")}) {
      if (installed.contains(wanted, Qt::CaseInsensitive)) return wanted;
    }
    return QStringLiteral("WenQuanYi Micro Hei");
  }();
  return family;
}

QFont ProgramFont() {
  QFont font(ProgramFontFamily());
  // Pixels rather than points, so the size does not follow the screen's dpi.
  font.setPixelSize(12);
  return font;
}

}  // namespace zq
