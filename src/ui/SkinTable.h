#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zq {

// One image array of a skinned window: the control's name and one file per
// index (three for title-strip buttons, two for tabs and scan buttons, one
// for link images).
struct SkinImageArray {
  const char* control;
  std::vector<const char*> files;
};

// One skinned window: its background and its image arrays in load order.
struct SkinWindowEntry {
  const char* window;
  const char* background;
  std::vector<SkinImageArray> arrays;
};

// Every skinned window of the program, in table order. The one place that
// knows which bitmap goes where.
const std::vector<SkinWindowEntry>& SkinTable();
const SkinWindowEntry* FindSkinWindow(std::string_view window);

// The distinct files a complete skin holds, in first-use order (48 of them).
const std::vector<std::string>& SkinFileNames();

// The windows ReSkinAllForms visits, in its order. The web page window is not
// among them: it is skinned when it is opened.
const std::vector<const char*>& ReSkinOrder();

}  // namespace zq
