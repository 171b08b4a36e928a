#include "ui/WindowLayout.h"

namespace zq {
namespace {

// A window whose width ends at its close image's right edge.
constexpr int WidthFromClose(int closeLeftTwips) {
  return TwipsToPixels(closeLeftTwips) + kExitImageSize.width;
}

// The standard dialog: panel below the title strip, button row below it.
constexpr PixelRect DialogPanel(int width, int height, bool footer) {
  return {8, kTitleStripHeight + 6, width - 16,
          height - kTitleStripHeight - 6 - (footer ? kFooterHeight : 8)};
}

WindowLayout Dialog(const char* window, const char* title, int closeLeftTwips, int height, CloseAction action,
                    bool footer = true) {
  const int width = WidthFromClose(closeLeftTwips);
  return {window, title, width, height, closeLeftTwips, true, action, DialogPanel(width, height, footer),
          footer};
}

std::vector<WindowLayout> BuildLayouts() {
  std::vector<WindowLayout> out;
  // The main window: tabs row, the page area, and the bottom strip.
  out.push_back({"FormScan", "澄岳杀毒软件", WidthFromClose(9105), 480, 9105, true,
                 CloseAction::HideOnPressed, PixelRect{10, 108, 620, 266}, false});
  // Pages: (12, 110, 616, 262); bottom strip: (10, 380, 620, 92); see the placements below.
  // The prompt has no close image; it shares its background with the notice,
  // so both are the notice's size.
  out.push_back({"FormVevezoRezezad", "系统防护", WidthFromClose(3480), 230, -1, false, CloseAction::None,
                 DialogPanel(WidthFromClose(3480), 230, true), true});
  // The settings pages lie at left 480, top 1200 twips.
  out.push_back(
      {"FormSetting", "设置", WidthFromClose(8760), 400, 8760, true, CloseAction::HideOnPressed,
       PixelRect{TwipsToPixels(480), TwipsToPixels(1200), WidthFromClose(8760) - 2 * TwipsToPixels(480), 262},
       true});
  out.push_back(Dialog("FormUpdate", "升级", 8280, 400, CloseAction::HideOnPressed));
  out.push_back(Dialog("FormAlertVirus", "发现病毒", 7080, 230, CloseAction::Custom));
  out.push_back(Dialog("FormAlertMessage", "提醒", 3480, 230, CloseAction::Close));
  out.push_back(Dialog("FormSelectFolders", "选择目录", 4800, 420, CloseAction::Hide));
  out.push_back(Dialog("FormScanFinish", "扫描完成", 5520, 220, CloseAction::Close));
  out.push_back(Dialog("FormBlackAndWhiteList", "黑白名单", 9240, 470, CloseAction::Close));
  out.push_back(Dialog("FormQuarantine", "隔离区", 9240, 420, CloseAction::Close));
  out.push_back(Dialog("FormRightClickScanResult", "右键扫描结果", 8280, 380, CloseAction::Close));
  out.push_back(Dialog("FormSkin", "请选择皮肤", 4560, 170, CloseAction::Close));
  out.push_back(
      {"FormAbout", "关于", 360, 220, -1, false, CloseAction::None, DialogPanel(360, 220, true), true});
  out.push_back(Dialog("FormSoftware", "软件推荐", 9240, 470, CloseAction::Close, false));
  return out;
}

std::vector<ControlPlacement> BuildPlacements() {
  std::vector<ControlPlacement> out;
  const int top = 0;
  out.push_back(
      {"FormScan", "ImageSkin", {TwipsToPixels(8040), top, kSkinImageSize.width, kSkinImageSize.height}});
  out.push_back(
      {"FormScan", "ImageMin", {TwipsToPixels(8640), top, kMinImageSize.width, kMinImageSize.height}});
  out.push_back(
      {"FormScan", "ImageExit", {TwipsToPixels(9105), top, kExitImageSize.width, kExitImageSize.height}});
  const char* tabs[] = {"ImageSecurityState", "ImageScanResult", "ImageShield", "ImageSoftware"};
  for (int i = 0; i < 4; ++i) {
    // The tabs reach one row into the page area so the selected one opens into it.
    out.push_back({"FormScan",
                   tabs[i],
                   {14 + i * (kMainTabSize.width + 4), 41, kMainTabSize.width, kMainTabSize.height}});
  }
  const char* links[] = {"ImageSetting", "ImageUpdate", "ImageHelp", "ImageHomePage"};
  for (int i = 0; i < 4; ++i) {
    out.push_back({"FormScan",
                   links[i],
                   {404 + i * (kLinkImageSize.width + 4), 70, kLinkImageSize.width, kLinkImageSize.height}});
  }
  // The three pages share one place; the bottom strip has an idle and a scanning face.
  for (const char* page : {"PictureSecurityState", "PictureScanResult", "PictureShield"}) {
    out.push_back({"FormScan", page, {12, 110, 616, 262}});
  }
  out.push_back({"FormScan", "PictureScanBottoms", {10, 380, 620, 92}});
  out.push_back({"FormScan", "PictureScanState", {10, 380, 620, 92}});
  const char* scans[] = {"ImageMemoryScan", "ImageFullDiskScan", "ImageCustomerScan"};
  for (int i = 0; i < 3; ++i) {
    out.push_back(
        {"FormScan",
         scans[i],
         {22 + i * (kScanButtonSize.width + 18), 406, kScanButtonSize.width, kScanButtonSize.height}});
  }
  const char* settingTabs[] = {"ImageGeneral", "ImageScan", "ImageShield", "ImageUpdate"};
  for (int i = 0; i < 4; ++i) {
    out.push_back(
        {"FormSetting",
         settingTabs[i],
         {TwipsToPixels(480) + i * (kSettingTabSize.width + 2),
          TwipsToPixels(1200) - kSettingTabSize.height + 1, kSettingTabSize.width, kSettingTabSize.height}});
  }
  return out;
}

}  // namespace

const std::vector<WindowLayout>& WindowLayouts() {
  static const std::vector<WindowLayout> layouts = BuildLayouts();
  return layouts;
}

const WindowLayout* FindWindowLayout(std::string_view window) {
  for (const auto& layout : WindowLayouts()) {
    if (window == layout.window) return &layout;
  }
  return nullptr;
}

const std::vector<ControlPlacement>& ControlPlacements() {
  static const std::vector<ControlPlacement> placements = BuildPlacements();
  return placements;
}

const ControlPlacement* FindPlacement(std::string_view window, std::string_view control) {
  for (const auto& placement : ControlPlacements()) {
    if (window == placement.window && control == placement.control) return &placement;
  }
  return nullptr;
}

}  // namespace zq
