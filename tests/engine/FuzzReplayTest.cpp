#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

TEST(FuzzReplayTest, EverySavedInputRunsClean) {
  const char* fromEnvironment = std::getenv("ZQ_SOURCE_DIR");
  const char* source = fromEnvironment && *fromEnvironment ? fromEnvironment : ZQ_DEFAULT_SOURCE_DIR;
  int replayed = 0;
  for (const char* kind : {"regressions", "corpus"}) {
    const std::filesystem::path dir = std::filesystem::path(source) / "fuzz" / kind / ZQ_FUZZ_TARGET;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      const std::string data = bytes.str();
      SCOPED_TRACE(entry.path().string());
      // The entry point aborts on a wrong result; a crash fails the whole binary.
      EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size()), 0);
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0) << "no saved inputs for " ZQ_FUZZ_TARGET;
}

}  // namespace
