#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <map>
#include <string>

// The colours of one skin.
struct Palette {
  QString name;
  QColor titleTop, titleBottom;    // title strip of every window
  QColor headerTop, headerBottom;  // the main window's tab band
  QColor border;                   // outer window border
  QColor bodyTop, bodyBottom;      // window body
  QColor panelBorder, panelTint;   // framed panels, unselected tabs
  QColor accentLight, accent, accentDark;
  QColor text;  // dark text on light ground
};

Palette ClassicBlue();
Palette JadeGreen();

// Every bitmap of a skin, by file name.
std::map<std::string, QImage> PaintSkin(const Palette& palette);
