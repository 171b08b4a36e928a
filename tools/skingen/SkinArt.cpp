#include "SkinArt.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "Icons.h"
#include "ui/SkinTable.h"
#include "ui/WindowLayout.h"

namespace {

using zq::FindPlacement;
using zq::FindWindowLayout;
using zq::PixelRect;
using zq::WindowLayout;

const QString kProduct = QStringLiteral("澄岳杀毒软件");

QFont ArtFont(int pixels, bool bold) {
  static const QString family = [] {
    const QStringList families = QFontDatabase::families();
    for (const QString& f : {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("文泉驿微米黑")}) {
      if (families.contains(f)) return f;
    }
    return QStringLiteral("Sans Serif");
  }();
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QRect ToQRect(const PixelRect& r) {
  return QRect(r.x, r.y, r.width, r.height);
}

void ShadowText(QPainter& p, const QRectF& r, int flags, const QString& text, const QColor& colour,
                int alpha = 90) {
  p.setPen(QColor(0, 0, 0, alpha));
  p.drawText(r.translated(0, 1), flags, text);
  p.setPen(colour);
  p.drawText(r, flags, text);
}

// Body, title strip and border shared by every window, so the close images
// fit every title strip.
void PaintFrame(QPainter& p, int w, int h, const Palette& pal) {
  QLinearGradient body(0, 0, 0, h);
  body.setColorAt(0, pal.bodyTop);
  body.setColorAt(1, pal.bodyBottom);
  p.fillRect(0, 0, w, h, body);
  const int strip = zq::kTitleStripHeight;
  QLinearGradient title(0, 0, 0, strip);
  title.setColorAt(0, pal.titleTop);
  title.setColorAt(1, pal.titleBottom);
  p.fillRect(0, 0, w, strip, title);
  p.fillRect(0, 0, w, strip / 2, QColor(255, 255, 255, 28));
  p.fillRect(0, 1, w, 1, QColor(255, 255, 255, 70));
  p.fillRect(0, strip - 1, w, 1, pal.titleBottom.darker(125));
}

void PaintBorder(QPainter& p, int w, int h, const Palette& pal) {
  p.setPen(pal.border);
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, w - 1, h - 1);
}

void PaintTitle(QPainter& p, const Palette& pal, const QString& title, Icon icon) {
  PaintIcon(p, icon, QRectF(8, 5, 19, 19), QColor(255, 255, 255), pal.titleBottom);
  p.setFont(ArtFont(13, true));
  const QRectF productRect(33, 0, 200, zq::kTitleStripHeight);
  ShadowText(p, productRect, Qt::AlignVCenter | Qt::AlignLeft, kProduct, Qt::white);
  if (title.isEmpty()) return;
  const int productWidth = p.fontMetrics().horizontalAdvance(kProduct);
  p.setFont(ArtFont(12, false));
  p.setPen(QColor(255, 255, 255, 120));
  const int sep = 33 + productWidth + 9;
  p.drawLine(sep, 10, sep, 20);
  ShadowText(p, QRectF(sep + 9, 0, 200, zq::kTitleStripHeight), Qt::AlignVCenter | Qt::AlignLeft, title,
             QColor(255, 255, 255, 235), 60);
}

void PaintPanel(QPainter& p, const QRect& r, const Palette& pal, const QColor& top, const QColor& bottom) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  // A soft shadow under the panel lifts it off the body.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 14));
  p.drawRoundedRect(QRectF(r).adjusted(0, 1, 1, 2), 4, 4);
  QLinearGradient fill(r.topLeft(), r.bottomLeft());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.setBrush(fill);
  p.setPen(QPen(pal.panelBorder, 1));
  p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  p.restore();
}

QImage NewImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

QImage DialogBackground(const Palette& pal, const char* window, const QString& title, Icon icon) {
  const WindowLayout* layout = FindWindowLayout(window);
  QImage image = NewImage(layout->width, layout->height);
  QPainter p(&image);
  p.setRenderHint(QPainter::TextAntialiasing);
  PaintFrame(p, layout->width, layout->height, pal);
  PaintTitle(p, pal, title, icon);
  PaintPanel(p, ToQRect(layout->panel), pal, Qt::white, Qt::white);
  if (layout->footer) {
    // A faint rule between the panel and the button row.
    const int y = layout->height - zq::kFooterHeight + 5;
    p.fillRect(16, y, layout->width - 32, 1,
               QColor(pal.panelBorder.red(), pal.panelBorder.green(), pal.panelBorder.blue(), 70));
  }
  PaintBorder(p, layout->width, layout->height, pal);
  return image;
}

QImage MainBackground(const Palette& pal) {
  const WindowLayout* layout = FindWindowLayout("FormScan");
  const int w = layout->width;
  const int h = layout->height;
  QImage image = NewImage(w, h);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  PaintFrame(p, w, h, pal);
  // The tab band below the title strip, with soft light arcs on its right.
  const QRect band(0, zq::kTitleStripHeight, w, 108 - zq::kTitleStripHeight + 1);
  QLinearGradient bandFill(band.topLeft(), band.bottomLeft());
  bandFill.setColorAt(0, pal.headerTop);
  bandFill.setColorAt(1, pal.headerBottom);
  p.fillRect(band, bandFill);
  p.save();
  p.setClipRect(band);
  p.setPen(Qt::NoPen);
  for (const auto& [cx, cy, radius, alpha] :
       {std::tuple{600, 20, 150, 16}, std::tuple{470, 140, 110, 12}, std::tuple{660, 120, 80, 18}}) {
    QRadialGradient glow(cx, cy, radius);
    glow.setColorAt(0, QColor(255, 255, 255, alpha * 2));
    glow.setColorAt(0.7, QColor(255, 255, 255, alpha));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glow);
    p.drawEllipse(QPoint(cx, cy), radius, radius);
  }
  p.restore();
  PaintTitle(p, pal, QString(), Icon::Shield);
  p.setFont(ArtFont(12, false));
  ShadowText(p, QRectF(404, 40, 220, 22), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("云安全 · 主动防御 · 实时守护"), QColor(255, 255, 255, 225), 70);

  PaintPanel(p, ToQRect(layout->panel), pal, Qt::white, Qt::white);
  const QRect strip = ToQRect(FindPlacement("FormScan", "PictureScanBottoms")->rect);
  PaintPanel(p, strip, pal, Qt::white, pal.panelTint);
  p.setPen(QPen(QColor(pal.panelBorder.red(), pal.panelBorder.green(), pal.panelBorder.blue(), 110), 1,
                Qt::DotLine));
  p.drawLine(strip.left() + 12, strip.top() + 23, strip.right() - 12, strip.top() + 23);
  p.setRenderHint(QPainter::Antialiasing, false);
  PaintBorder(p, w, h, pal);
  return image;
}

QImage Crop(const QImage& background, const char* window, const char* control) {
  return background.copy(ToQRect(FindPlacement(window, control)->rect));
}

// ---- image controls ----

enum class TitleButton { Close, Min, Skin };

QImage TitleButtonImage(const QImage& background, const char* control, TitleButton kind, int state,
                        const Palette& pal) {
  QImage image = Crop(background, "FormScan", control);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area(0.5, -4, image.width() - 1, image.height() + 3.5);
  if (state > 0) {
    QColor top, bottom;
    if (kind == TitleButton::Close) {
      top = state == 1 ? QColor(238, 96, 82) : QColor(190, 44, 36);
      bottom = state == 1 ? QColor(206, 48, 40) : QColor(160, 30, 26);
    } else {
      top = state == 1 ? QColor(255, 255, 255, 80) : QColor(0, 0, 0, 40);
      bottom = state == 1 ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 60);
    }
    QLinearGradient fill(0, 0, 0, image.height());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setBrush(fill);
    p.setPen(QPen(state == 1 ? QColor(255, 255, 255, 90) : pal.border, 1));
    p.drawRoundedRect(area, 4, 4);
  }
  const double shift = state == 2 ? 1 : 0;
  const double cx = image.width() / 2.0 + shift;
  const double cy = image.height() / 2.0 + shift;
  switch (kind) {
    case TitleButton::Close:
      PaintIcon(p, Icon::Cross, QRectF(cx - 4.5, cy - 4.5, 9, 9), Qt::white, Qt::white);
      break;
    case TitleButton::Min:
      PaintIcon(p, Icon::Minus, QRectF(cx - 5, cy - 4, 10, 7), Qt::white, Qt::white);
      break;
    case TitleButton::Skin:
      PaintIcon(p, Icon::Shirt, QRectF(cx - 8, cy - 8, 16, 16), Qt::white, Qt::white);
      break;
  }
  // The right edge of the window runs through the close image.
  if (kind == TitleButton::Close) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pal.border);
    p.drawLine(image.width() - 1, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, 0, image.width() - 1, 0);
  }
  return image;
}

QImage MainTabImage(const QImage& background, const char* control, Icon icon, const QString& caption,
                    bool selected, const Palette& pal) {
  QImage image = Crop(background, "FormScan", control);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const int w = image.width();
  const int h = image.height();
  if (selected) {
    QPainterPath tab;
    tab.moveTo(0.5, h);
    tab.lineTo(0.5, 6);
    tab.quadTo(0.5, 0.5, 6, 0.5);
    tab.lineTo(w - 6, 0.5);
    tab.quadTo(w - 0.5, 0.5, w - 0.5, 6);
    tab.lineTo(w - 0.5, h);
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, QColor(255, 255, 255));
    fill.setColorAt(0.55, QColor(250, 252, 255));
    fill.setColorAt(1, Qt::white);
    p.setBrush(fill);
    p.setPen(QPen(pal.panelBorder, 1));
    p.drawPath(tab);
    // The tab opens into the page below it.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(1, h - 1, w - 2, 1, Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(6, 1.5, w - 12, 2), pal.accent);
    PaintIcon(p, icon, QRectF((w - 34) / 2.0, 7, 34, 34), pal.accent, Qt::white);
    p.setFont(ArtFont(13, true));
    p.setPen(pal.accentDark);
    p.drawText(QRectF(0, 44, w, 20), Qt::AlignCenter, caption);
  } else {
    PaintIcon(p, icon, QRectF((w - 34) / 2.0, 7, 34, 34), QColor(255, 255, 255, 235), pal.headerBottom);
    p.setFont(ArtFont(13, true));
    ShadowText(p, QRectF(0, 44, w, 20), Qt::AlignCenter, caption, Qt::white);
  }
  return image;
}

QImage LinkImage(const QImage& background, const char* control, Icon icon, const QString& caption,
                 const Palette& pal) {
  QImage image = Crop(background, "FormScan", control);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(QPen(QColor(255, 255, 255, 60), 1));
  p.setBrush(QColor(255, 255, 255, 22));
  p.drawRoundedRect(QRectF(0.5, 0.5, image.width() - 1, image.height() - 1), 11, 11);
  PaintIcon(p, icon, QRectF(7, 5, 14, 14), Qt::white, pal.headerBottom);
  p.setFont(ArtFont(12, false));
  ShadowText(p, QRectF(23, 0, image.width() - 25, image.height()), Qt::AlignVCenter | Qt::AlignLeft, caption,
             Qt::white, 70);
  return image;
}

QImage ScanButtonImage(const QImage& background, const char* control, Icon icon, const QString& caption,
                       const QString& note, bool hover, const Palette& pal) {
  QImage image = Crop(background, "FormScan", control);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF body(1.5, 1.5, image.width() - 3, image.height() - 3);
  if (hover) {
    p.setPen(QPen(QColor(pal.accentLight.red(), pal.accentLight.green(), pal.accentLight.blue(), 120), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(-0.5, -0.5, 0.5, 0.5), 7, 7);
  }
  QLinearGradient fill(0, body.top(), 0, body.bottom());
  // Hover lifts the button a little; white captions must stay readable.
  const QColor top = hover ? pal.accentLight.lighter(104) : pal.accentLight;
  const QColor mid = hover ? pal.accent.lighter(110) : pal.accent;
  const QColor bottom = hover ? pal.accentDark.lighter(114) : pal.accentDark;
  fill.setColorAt(0, top);
  fill.setColorAt(0.48, mid);
  fill.setColorAt(1, bottom);
  p.setPen(QPen(pal.accentDark.darker(hover ? 105 : 120), 1));
  p.setBrush(fill);
  p.drawRoundedRect(body, 6, 6);
  // Glass: the upper half is lighter.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, hover ? 60 : 45));
  p.drawRoundedRect(QRectF(body.left() + 1, body.top() + 1, body.width() - 2, body.height() * 0.46), 5, 5);
  PaintIcon(p, icon, QRectF(12, (image.height() - 36) / 2.0, 36, 36), QColor(255, 255, 255, 240),
            pal.accentDark);
  p.setFont(ArtFont(16, true));
  ShadowText(p, QRectF(58, 9, image.width() - 62, 24), Qt::AlignLeft | Qt::AlignVCenter, caption, Qt::white,
             100);
  p.setFont(ArtFont(11, false));
  ShadowText(p, QRectF(58, 33, image.width() - 62, 18), Qt::AlignLeft | Qt::AlignVCenter, note,
             QColor(255, 255, 255, 235), 70);
  return image;
}

QImage SettingTabImage(const QImage& background, const char* control, const QString& caption, bool selected,
                       const Palette& pal) {
  QImage image = Crop(background, "FormSetting", control);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const int w = image.width();
  const int h = image.height();
  QPainterPath tab;
  tab.moveTo(0.5, h);
  tab.lineTo(0.5, 5);
  tab.quadTo(0.5, 0.5, 5, 0.5);
  tab.lineTo(w - 5, 0.5);
  tab.quadTo(w - 0.5, 0.5, w - 0.5, 5);
  tab.lineTo(w - 0.5, h);
  QLinearGradient fill(0, 0, 0, h);
  if (selected) {
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, Qt::white);
  } else {
    fill.setColorAt(0, pal.panelTint.lighter(103));
    fill.setColorAt(1, pal.panelTint.darker(104));
  }
  p.setBrush(fill);
  p.setPen(QPen(pal.panelBorder, 1));
  p.drawPath(tab);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (selected) {
    p.fillRect(1, h - 1, w - 2, 1, Qt::white);
    p.fillRect(3, 1, w - 6, 3, pal.accent);
  }
  p.setRenderHint(QPainter::Antialiasing);
  p.setFont(ArtFont(13, selected));
  p.setPen(selected ? pal.accentDark : QColor(pal.text.red(), pal.text.green(), pal.text.blue(), 190));
  p.drawText(QRectF(0, selected ? 3 : 2, w, h - 2), Qt::AlignCenter, caption);
  return image;
}

}  // namespace

Palette ClassicBlue() {
  return Palette{QStringLiteral("经典蓝"), QColor(0x4a, 0x97, 0xe6), QColor(0x1f, 0x66, 0xc2),
                 QColor(0x1f, 0x66, 0xc2), QColor(0x10, 0x4a, 0x98), QColor(0x0c, 0x3b, 0x7a),
                 QColor(0xf2, 0xf7, 0xfd), QColor(0xda, 0xe7, 0xf6), QColor(0x9e, 0xbf, 0xe3),
                 QColor(0xe3, 0xee, 0xfb), QColor(0x6f, 0xb8, 0xff), QColor(0x2a, 0x80, 0xe0),
                 QColor(0x12, 0x55, 0xae), QColor(0x1d, 0x35, 0x50)};
}

Palette JadeGreen() {
  return Palette{QStringLiteral("翡翠绿"), QColor(0x37, 0xbb, 0x86), QColor(0x14, 0x88, 0x5a),
                 QColor(0x14, 0x88, 0x5a), QColor(0x0a, 0x66, 0x43), QColor(0x08, 0x52, 0x36),
                 QColor(0xf1, 0xfa, 0xf5), QColor(0xd6, 0xee, 0xe1), QColor(0x91, 0xcf, 0xb0),
                 QColor(0xe1, 0xf4, 0xea), QColor(0x6c, 0xdc, 0xa6), QColor(0x22, 0xa8, 0x6b),
                 QColor(0x0e, 0x78, 0x4a), QColor(0x17, 0x3d, 0x2c)};
}

std::map<std::string, QImage> PaintSkin(const Palette& pal) {
  std::map<std::string, QImage> files;
  const QImage main = MainBackground(pal);
  files["Scan.bmp"] = main;

  const std::tuple<const char*, TitleButton, const char*> titleButtons[] = {
      {"ImageExit", TitleButton::Close, "Exit"},
      {"ImageMin", TitleButton::Min, "Min"},
      {"ImageSkin", TitleButton::Skin, "Skin"}};
  for (const auto& [control, kind, stem] : titleButtons) {
    for (int state = 0; state < 3; ++state) {
      files[std::string(stem) + std::to_string(state) + ".bmp"] =
          TitleButtonImage(main, control, kind, state, pal);
    }
  }

  const std::tuple<const char*, Icon, const char*, QString, QString> scans[] = {
      {"ImageMemoryScan", Icon::Chip, "QuickScan", QStringLiteral("内存扫描"),
       QStringLiteral("快速检查运行中的程序")},
      {"ImageFullDiskScan", Icon::Disk, "FullScan", QStringLiteral("全盘扫描"),
       QStringLiteral("全面检查所有磁盘")},
      {"ImageCustomerScan", Icon::Folder, "CustomerScan", QStringLiteral("自定义扫描"),
       QStringLiteral("扫描指定的文件夹")}};
  for (const auto& [control, icon, stem, caption, note] : scans) {
    for (int hover = 0; hover < 2; ++hover) {
      files[std::string(stem) + std::to_string(hover) + ".bmp"] =
          ScanButtonImage(main, control, icon, caption, note, hover == 1, pal);
    }
  }

  const std::tuple<const char*, Icon, const char*, QString> tabs[] = {
      {"ImageSecurityState", Icon::Shield, "SecurityState", QStringLiteral("安全状态")},
      {"ImageScanResult", Icon::Report, "ScanResult", QStringLiteral("扫描结果")},
      {"ImageShield", Icon::Defense, "Shield", QStringLiteral("主动防御")},
      {"ImageSoftware", Icon::Apps, "Software", QStringLiteral("软件推荐")}};
  for (const auto& [control, icon, stem, caption] : tabs) {
    files[std::string(stem) + "0.bmp"] = MainTabImage(main, control, icon, caption, true, pal);
    files[std::string(stem) + "1.bmp"] = MainTabImage(main, control, icon, caption, false, pal);
  }

  files["Setting.bmp"] = LinkImage(main, "ImageSetting", Icon::Gear, QStringLiteral("设置"), pal);
  files["Update.bmp"] = LinkImage(main, "ImageUpdate", Icon::Refresh, QStringLiteral("升级"), pal);
  files["Help.bmp"] = LinkImage(main, "ImageHelp", Icon::Help, QStringLiteral("帮助"), pal);
  files["HomePage.bmp"] = LinkImage(main, "ImageHomePage", Icon::Home, QStringLiteral("官网"), pal);

  const QImage setting = DialogBackground(pal, "FormSetting", QStringLiteral("设置"), Icon::Gear);
  files["Setting2.bmp"] = setting;
  const std::tuple<const char*, const char*, QString> settingTabs[] = {
      {"ImageGeneral", "GeneralSetting", QStringLiteral("常规设置")},
      {"ImageScan", "ScanSetting", QStringLiteral("扫描设置")},
      {"ImageShield", "ShieldSetting", QStringLiteral("主动防御")},
      {"ImageUpdate", "UpdateSetting", QStringLiteral("升级设置")}};
  for (const auto& [control, stem, caption] : settingTabs) {
    files[std::string(stem) + "0.bmp"] = SettingTabImage(setting, control, caption, true, pal);
    files[std::string(stem) + "1.bmp"] = SettingTabImage(setting, control, caption, false, pal);
  }

  files["VevezoRezezad.bmp"] =
      DialogBackground(pal, "FormVevezoRezezad", QStringLiteral("主动防御"), Icon::Defense);
  files["Update2.bmp"] = DialogBackground(pal, "FormUpdate", QStringLiteral("升级"), Icon::Refresh);
  files["AlertVirus.bmp"] =
      DialogBackground(pal, "FormAlertVirus", QStringLiteral("发现病毒"), Icon::Warning);
  files["SelectFolders.bmp"] =
      DialogBackground(pal, "FormSelectFolders", QStringLiteral("选择目录"), Icon::Folder);
  files["ScanResult.bmp"] = DialogBackground(pal, "FormScanFinish", QStringLiteral("扫描完成"), Icon::Report);
  files["BlackAndWhiteList.bmp"] =
      DialogBackground(pal, "FormBlackAndWhiteList", QStringLiteral("黑白名单"), Icon::List);
  files["Quarantine.bmp"] = DialogBackground(pal, "FormQuarantine", QStringLiteral("隔离区"), Icon::Lock);
  files["RightClickScanResult.bmp"] =
      DialogBackground(pal, "FormRightClickScanResult", QStringLiteral("右键扫描结果"), Icon::Report);
  files["Skin.bmp"] = DialogBackground(pal, "FormSkin", QStringLiteral("请选择皮肤"), Icon::Shirt);
  files["software.bmp"] = DialogBackground(pal, "FormSoftware", QStringLiteral("软件推荐"), Icon::Apps);

  QImage about = DialogBackground(pal, "FormAbout", QStringLiteral("关于"), Icon::Help);
  {
    // The product mark, faint, in the corner of the about panel.
    QPainter p(&about);
    const PixelRect panel = FindWindowLayout("FormAbout")->panel;
    p.setOpacity(0.12);
    PaintIcon(p, Icon::Shield, QRectF(panel.x + panel.width - 96, panel.y + panel.height - 100, 84, 84),
              pal.accent, Qt::white);
  }
  files["About.bmp"] = about;
  return files;
}
