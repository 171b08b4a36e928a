#include "SkinPreview.h"

#include <QPainter>

#include "ui/SkinTable.h"
#include "ui/Skins.h"
#include "ui/UiFont.h"
#include "ui/WindowLayout.h"

namespace {

QImage Load(const std::string& skin, const std::string& file) {
  return zq::LoadSkinPicture(skin, file).toImage();
}

void Place(QPainter& p, const std::string& skin, const char* window, const char* control,
           const std::string& file) {
  const zq::ControlPlacement* place = zq::FindPlacement(window, control);
  if (place) p.drawImage(place->rect.x, place->rect.y, Load(skin, file));
}

void PlaceClose(QPainter& p, const std::string& skin, const char* window, int state = 0) {
  const zq::WindowLayout* layout = zq::FindWindowLayout(window);
  if (layout->closeLeftTwips < 0) return;
  p.drawImage(zq::TwipsToPixels(layout->closeLeftTwips), 0,
              Load(skin, "Exit" + std::to_string(state) + ".bmp"));
}

}  // namespace

QImage RenderMainWindowPreview(const std::string& skin) {
  QImage image = Load(skin, "Scan.bmp");
  QPainter p(&image);
  Place(p, skin, "FormScan", "ImageSkin", "Skin0.bmp");
  Place(p, skin, "FormScan", "ImageMin", "Min1.bmp");
  Place(p, skin, "FormScan", "ImageExit", "Exit0.bmp");
  Place(p, skin, "FormScan", "ImageSecurityState", "SecurityState0.bmp");
  Place(p, skin, "FormScan", "ImageScanResult", "ScanResult1.bmp");
  Place(p, skin, "FormScan", "ImageShield", "Shield1.bmp");
  Place(p, skin, "FormScan", "ImageSoftware", "Software1.bmp");
  Place(p, skin, "FormScan", "ImageSetting", "Setting.bmp");
  Place(p, skin, "FormScan", "ImageUpdate", "Update.bmp");
  Place(p, skin, "FormScan", "ImageHelp", "Help.bmp");
  Place(p, skin, "FormScan", "ImageHomePage", "HomePage.bmp");
  Place(p, skin, "FormScan", "ImageMemoryScan", "QuickScan0.bmp");
  Place(p, skin, "FormScan", "ImageFullDiskScan", "FullScan1.bmp");
  Place(p, skin, "FormScan", "ImageCustomerScan", "CustomerScan0.bmp");
  return image;
}

QImage RenderSettingPreview(const std::string& skin) {
  QImage image = Load(skin, "Setting2.bmp");
  QPainter p(&image);
  Place(p, skin, "FormSetting", "ImageGeneral", "GeneralSetting1.bmp");
  Place(p, skin, "FormSetting", "ImageScan", "ScanSetting0.bmp");
  Place(p, skin, "FormSetting", "ImageShield", "ShieldSetting1.bmp");
  Place(p, skin, "FormSetting", "ImageUpdate", "UpdateSetting1.bmp");
  PlaceClose(p, skin, "FormSetting", 1);
  return image;
}

QImage RenderDialogSheet(const std::string& skin) {
  const int gap = 16;
  int x = gap;
  int y = gap;
  int rowHeight = 0;
  const int sheetWidth = 1400;
  std::vector<std::tuple<int, int, QImage>> placed;
  for (const zq::SkinWindowEntry& entry : zq::SkinTable()) {
    const std::string window = entry.window;
    if (window == "FormScan" || window == "FormSetting") continue;
    const zq::WindowLayout* layout = zq::FindWindowLayout(window);
    QImage shot(layout->width, layout->height, QImage::Format_RGB32);
    shot.fill(Qt::white);
    {
      QPainter p(&shot);
      p.drawImage(0, 0, Load(skin, entry.background));
      PlaceClose(p, skin, entry.window);
    }
    if (x + shot.width() + gap > sheetWidth) {
      x = gap;
      y += rowHeight + gap;
      rowHeight = 0;
    }
    placed.emplace_back(x, y, shot);
    x += shot.width() + gap;
    rowHeight = std::max(rowHeight, shot.height());
  }
  QImage sheet(sheetWidth, y + rowHeight + gap, QImage::Format_RGB32);
  sheet.fill(QColor(90, 90, 96));
  QPainter p(&sheet);
  for (const auto& [px, py, shot] : placed) p.drawImage(px, py, shot);
  return sheet;
}

QImage RenderImageStates(const std::string& skin) {
  const int scale = 2;
  const char* rows[][3] = {
      {"Exit0.bmp", "Exit1.bmp", "Exit2.bmp"},       {"Min0.bmp", "Min1.bmp", "Min2.bmp"},
      {"Skin0.bmp", "Skin1.bmp", "Skin2.bmp"},       {"SecurityState0.bmp", "SecurityState1.bmp", nullptr},
      {"QuickScan0.bmp", "QuickScan1.bmp", nullptr}, {"ShieldSetting0.bmp", "ShieldSetting1.bmp", nullptr}};
  QImage sheet(3 * (184 * scale + 20) + 20, 20 + 6 * (70 * scale + 20), QImage::Format_RGB32);
  sheet.fill(QColor(90, 90, 96));
  QPainter p(&sheet);
  int y = 20;
  for (const auto& row : rows) {
    int x = 20;
    int height = 0;
    for (const char* file : row) {
      if (!file) continue;
      const QImage image = Load(skin, file);
      p.drawImage(QRect(x, y, image.width() * scale, image.height() * scale), image);
      x += 184 * scale + 20;
      height = std::max(height, image.height() * scale);
    }
    y += height + 20;
  }
  return sheet;
}
