#pragma once

#include <string>
#include <string_view>

namespace zq::fuzz {

// A private folder for one fuzzing process, removed at exit.
const std::string& WorkFolder();

// Replaces the file's content with the bytes; aborts when it cannot.
void WriteFile(const std::string& path, std::string_view bytes);

}  // namespace zq::fuzz
