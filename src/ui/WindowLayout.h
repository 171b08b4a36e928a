#pragma once

#include <string_view>
#include <vector>

namespace zq {

// Positions in the window layouts are in twips, 15 to the pixel.
inline constexpr int kTwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) {
  return twips / kTwipsPerPixel;
}
constexpr int PixelsToTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

struct PixelSize {
  int width;
  int height;
};

struct PixelRect {
  int x;
  int y;
  int width;
  int height;
};

// Bitmap sizes every skin provides; the window layouts depend on them.
inline constexpr PixelSize kExitImageSize{33, 22};
inline constexpr PixelSize kMinImageSize{31, 22};
inline constexpr PixelSize kSkinImageSize{40, 22};
inline constexpr PixelSize kMainTabSize{90, 68};
inline constexpr PixelSize kLinkImageSize{52, 24};
inline constexpr PixelSize kScanButtonSize{184, 60};
inline constexpr PixelSize kSettingTabSize{104, 34};

// Height of the title strip painted at the top of every background, and of the
// button row at the bottom of the plain dialogs; push buttons are 25 high.
inline constexpr int kTitleStripHeight = 30;
inline constexpr int kFooterHeight = 44;
inline constexpr int kButtonHeight = 25;

enum class CloseAction {
  None,           // no close image
  HideOnPressed,  // hide; a release counts only while the pressed image shows
  Hide,           // hide the window
  Close,          // close (unload) the window
  Custom,         // the window decides (the alert's close is its "忽略")
};

// One skinned window: its size in pixels, where its close images sit, how it
// closes, and the framed panel of its background that its controls fill.
struct WindowLayout {
  const char* window;
  const char* title;
  int width;
  int height;
  int closeLeftTwips;  // -1: no close image
  bool draggable;
  CloseAction closeAction;
  PixelRect panel;  // framed content area painted by the skin
  bool footer;      // a button row below the panel
};

const std::vector<WindowLayout>& WindowLayouts();
const WindowLayout* FindWindowLayout(std::string_view window);

// Fixed places of image controls and panels inside a window (window
// coordinates, pixels), for the windows whose skins have more than a panel.
struct ControlPlacement {
  const char* window;
  const char* control;
  PixelRect rect;
};
const std::vector<ControlPlacement>& ControlPlacements();
const ControlPlacement* FindPlacement(std::string_view window, std::string_view control);

}  // namespace zq
