#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/ProgramFolder.h"

namespace zq {
namespace {

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  SetProgramFolder("");
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(std::filesystem::path(exe).filename(), "platform_tests");
  EXPECT_EQ(ProgramFolder(), std::filesystem::path(exe).parent_path().string());
  if (const char* bin = std::getenv("ZQ_TEST_BIN_DIR")) {
    EXPECT_EQ(std::filesystem::weakly_canonical(ProgramFolder()), std::filesystem::weakly_canonical(bin));
  }
  EXPECT_NE(ProgramFolder().back(), kPathSeparator);
}

TEST(ProgramFolder, OverrideDropsTrailingSeparatorsButKeepsRoot) {
  SetProgramFolder("/opt/zq//");
  EXPECT_EQ(ProgramFolder(), "/opt/zq");
  SetProgramFolder("/");
  EXPECT_EQ(ProgramFolder(), "/");
  SetProgramFolder("");
  EXPECT_EQ(ProgramFolder(), std::filesystem::path(ExecutablePath()).parent_path().string());
}

}  // namespace
}  // namespace zq
