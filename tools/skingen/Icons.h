#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

// Vector glyphs of the skins, drawn into a square.
enum class Icon {
  Shield,   // shield with a tick: security state, product mark
  Report,   // document with a magnifier: scan results
  Defense,  // shield with a bolt: active defense
  Apps,     // four tiles: software
  Chip,     // memory scan
  Disk,     // full-disk scan
  Folder,   // custom scan
  Gear,     // settings
  Refresh,  // update
  Help,     // help
  Home,     // home page
  Shirt,    // skin
  Warning,  // alerts
  Cross,    // close
  Minus,    // minimise
  Bell,     // notices
  List,     // lists
  Lock,     // quarantine
};

// `main` fills the glyph, `detail` draws the marks inside it.
void PaintIcon(QPainter& painter, Icon icon, const QRectF& box, const QColor& main, const QColor& detail);
