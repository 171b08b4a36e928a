#include "ButtonGallery.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <vector>

#include "ui/Command.h"
#include "ui/UiFont.h"
#include "ui/WindowLayout.h"

namespace {

struct Row {
  int buttonType;
  int colorScheme;
  int xpType;
  QString caption;
  int width;
};

enum class Look { Normal, Hover, Focused, Pressed, Disabled };

QImage Snapshot(const Row& row, Look look) {
  zq::Command button(row.caption, nullptr);
  button.SetButtonType(row.buttonType);
  button.SetColorScheme(row.colorScheme);
  button.SetXpType(row.xpType);
  if (row.colorScheme == 2) button.SetBackColor(zq::Rgb(150, 190, 235));
  button.resize(row.width, zq::kButtonHeight);
  switch (look) {
    case Look::Normal:
      break;
    case Look::Hover: {
      QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
      QApplication::sendEvent(&button, &move);
      break;
    }
    case Look::Focused: {
      QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
      QApplication::sendEvent(&button, &in);
      break;
    }
    case Look::Pressed:
      button.DrawButton(2, true);
      break;
    case Look::Disabled:
      button.SetEnabled(false);
      break;
  }
  // Outside the button's region the background shows.
  QImage shot(button.Surface().Image().size(), QImage::Format_RGB32);
  shot.fill(QColor(255, 255, 255));
  QPainter p(&shot);
  p.setClipRegion(zq::MakeButtonRegion(row.buttonType, row.width, zq::kButtonHeight));
  p.drawImage(0, 0, button.Surface().Image());
  return shot;
}

}  // namespace

QImage RenderButtonGallery() {
  std::vector<Row> rows;
  for (int scheme = 1; scheme <= 3; ++scheme) {
    for (int xp = 1; xp <= 3; ++xp) rows.push_back({1, scheme, xp, QStringLiteral("确定"), 65});
  }
  for (int type = 2; type <= 5; ++type) {
    for (int scheme = 1; scheme <= 3; ++scheme) rows.push_back({type, scheme, 3, QStringLiteral("取消"), 65});
  }
  rows.push_back({1, 1, 3, QStringLiteral("&Ok"), 65});
  rows.push_back({1, 1, 3, QStringLiteral("检测病毒库更新"), 57});
  rows.push_back({4, 1, 3, QStringLiteral("隔离"), 73});

  const int scale = 2;
  const int labelWidth = 230;
  const int cellWidth = 89 * scale + 24;
  const int rowHeight = 25 * scale + 16;
  const char* looks[] = {"normal", "hover", "focused", "pressed", "disabled"};
  QImage sheet(labelWidth + 5 * cellWidth + 10, 40 + static_cast<int>(rows.size()) * rowHeight + 10,
               QImage::Format_RGB32);
  sheet.fill(QColor(250, 250, 250));
  QPainter p(&sheet);
  QFont font = zq::ProgramFont();
  p.setFont(font);
  p.setPen(QColor(40, 40, 40));
  for (int c = 0; c < 5; ++c)
    p.drawText(QRect(labelWidth + c * cellWidth, 8, cellWidth, 24), Qt::AlignLeft, looks[c]);
  for (size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    const int y = 40 + static_cast<int>(r) * rowHeight;
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRect(10, y, labelWidth - 10, 25 * scale), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("ButtonType %1  ColorScheme %2  XpType %3")
                   .arg(row.buttonType)
                   .arg(row.colorScheme)
                   .arg(row.xpType));
    for (int c = 0; c < 5; ++c) {
      const QImage shot = Snapshot(row, static_cast<Look>(c));
      p.drawImage(QRect(labelWidth + c * cellWidth, y, shot.width() * scale, shot.height() * scale), shot);
    }
  }
  return sheet;
}
