#include "ui/FormRegistry.h"

#include <QPointer>
#include <algorithm>
#include <map>

#include "platform/Yield.h"
#include "ui/SkinTable.h"
#include "ui/SkinnedWindow.h"

namespace zq {
namespace {

std::map<std::string, FormFactory, std::less<>>& Factories() {
  static std::map<std::string, FormFactory, std::less<>> factories;
  return factories;
}

std::vector<SkinnedWindow*>& Live() {
  static std::vector<SkinnedWindow*> live;
  return live;
}

}  // namespace

bool RegisterForm(const std::string& window, FormFactory factory) {
  if (!factory) return false;
  Factories()[window] = std::move(factory);
  return true;
}

bool IsFormRegistered(std::string_view window) {
  return Factories().find(window) != Factories().end();
}

std::vector<SkinnedWindow*> LiveForms(std::string_view window) {
  std::vector<SkinnedWindow*> out;
  for (SkinnedWindow* form : Live()) {
    if (form->WindowName() == window) out.push_back(form);
  }
  return out;
}

SkinnedWindow* LoadForm(std::string_view window) {
  const auto live = LiveForms(window);
  if (!live.empty()) return live.front();
  const auto it = Factories().find(window);
  if (it == Factories().end()) return nullptr;
  SkinnedWindow* form = it->second();
  if (!form) return nullptr;
  form->hide();
  form->Load();
  return form;
}

void ReSkinAllForms() {
  for (const char* window : ReSkinOrder()) {
    const auto live = LiveForms(window);
    if (live.empty()) {
      // Creating it runs its load, which skins it.
      LoadForm(window);
    } else {
      // A window may go away while another one is being skinned.
      std::vector<QPointer<SkinnedWindow>> guarded(live.begin(), live.end());
      for (const auto& form : guarded) {
        if (form) form->ReSkinMe();
      }
    }
    Yield();
  }
}

namespace FormRegistryDetail {
void AddLive(SkinnedWindow* window) {
  Live().push_back(window);
}
void RemoveLive(SkinnedWindow* window) {
  std::erase(Live(), window);
}
}  // namespace FormRegistryDetail

}  // namespace zq
