// Profile reads as the program makes them: one value from the settings file,
// and a walk over a large black/white list reading three fields per record.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/Ini.h"
#include "storage/Profile.h"
#include "storage/RecordFile.h"
#include "storage/Settings.h"
#include "support/TempDir.h"

namespace {

std::string ShippedSettingsFile() {
  // The installation's file when the build tree knows where it is, else the
  // same keys from the table.
  std::ifstream in(std::string(ZQ_SOURCE_DIR) + "/data/Settings.ini", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!bytes.empty()) return bytes;
  std::string section;
  for (size_t i = 0; i < zq::kShippedSettingsCount; ++i) {
    const auto& s = zq::kShippedSettings[i];
    if (section != s.section) {
      section = s.section;
      bytes += "[" + section + "]\r\n";
    }
    bytes += std::string(s.key) + "=" + s.value + "\r\n";
  }
  return bytes;
}

void BM_ReadIniValueSettings(benchmark::State& state) {
  zq::test::TempProgramFolder folder;
  folder.Write("Settings.ini", ShippedSettingsFile());
  const std::string path = zq::GetAppFilePath("Settings.ini");
  for (auto _ : state) {
    // A key near the end of the file, so the whole file is scanned.
    benchmark::DoNotOptimize(zq::ReadIniValue(path, "Update", "AutoUpdateIntervel"));
  }
}
BENCHMARK(BM_ReadIniValueSettings)->Unit(benchmark::kMicrosecond);

std::string ListFile(int records) {
  std::string out = "[Count]\r\nMaxID=" + std::to_string(records) + "\r\n";
  const char* sections[] = {"File", "Signature", "Description", "DefenseFlag"};
  for (int f = 0; f < 4; ++f) {
    out += std::string("[") + sections[f] + "]\r\n";
    for (int n = 1; n <= records; ++n) {
      out += zq::RecordKey(n) + "=";
      switch (f) {
        case 0:
          out += "/home/user/程序/工具/program-" + std::to_string(n) + ".exe";
          break;
        case 1: {
          char sig[33];
          std::snprintf(sig, sizeof sig, "%032X", n * 2654435761u);
          out += sig;
          break;
        }
        case 2:
          out += "用户添加的程序 " + std::to_string(n);
          break;
        default:
          out += (n % 2) ? "1" : "0";
      }
      out += "\r\n";
    }
  }
  return out;
}

void BM_WalkListFile(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  zq::test::TempProgramFolder folder;
  folder.Write("VevezoRezezad.ini", ListFile(records));
  const std::string path = zq::GetAppFilePath("VevezoRezezad.ini");
  size_t present = 0;
  for (auto _ : state) {
    const auto walk = zq::RecordWalk::Load(path);
    present = 0;
    for (int32_t n = 1; n <= walk.Count(); ++n) {
      const std::string file = walk.Field(n, "File");
      const std::string signature = walk.Field(n, "Signature");
      const std::string flag = walk.Field(n, "DefenseFlag");
      if (!file.empty() && signature.size() == 32 && !flag.empty()) ++present;
    }
    benchmark::DoNotOptimize(present);
  }
  if (present != static_cast<size_t>(records)) state.SkipWithError("walk lost records");
}
BENCHMARK(BM_WalkListFile)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
