#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

class SkinnedWindow;

// Creates one window of a kind (not yet loaded).
using FormFactory = std::function<SkinnedWindow*()>;

// Each window kind registers itself, from its own source file:
//   static const FormRegistrar kRegistrar("FormSkin", [] { return new FormSkin; });
// ReSkinAllForms creates the registered kinds it needs and skips the others.
// The libraries are static: a registrar runs only when its file is linked,
// that is when the program refers to the form's class somewhere.
bool RegisterForm(const std::string& window, FormFactory factory);
bool IsFormRegistered(std::string_view window);

struct FormRegistrar {
  FormRegistrar(const char* window, FormFactory factory) { RegisterForm(window, std::move(factory)); }
};

// Windows of a kind that exist now.
std::vector<SkinnedWindow*> LiveForms(std::string_view window);

// The existing window of a kind, or a new one created hidden and loaded;
// nullptr when the kind is not registered.
SkinnedWindow* LoadForm(std::string_view window);

// Re-skins every window of the re-skin order from the current skin, creating
// (hidden) the registered ones that do not exist yet; yields after each.
void ReSkinAllForms();

namespace FormRegistryDetail {
void AddLive(SkinnedWindow* window);
void RemoveLive(SkinnedWindow* window);
}  // namespace FormRegistryDetail

}  // namespace zq
