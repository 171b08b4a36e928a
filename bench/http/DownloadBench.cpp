// Downloads one 50 MB body from a loopback server through the update
// downloader and through a plain libcurl transfer into a file, in the same
// run, and prints the downloader's speed as a share of the plain one.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/http/LoopbackHttpServer.h"
#include "update/UserControlUpdate.h"

namespace {

constexpr size_t kBodySize = 50 * 1000 * 1000;

struct Fixture {
  Fixture() {
    zq::test::HttpReply reply;
    reply.body = zq::test::PatternBody(kBodySize);
    reply.pieceSize = 1 << 20;
    server.Serve("/update/big.dat", std::move(reply));
    folder = std::filesystem::temp_directory_path() / ("zq-http-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  zq::test::LoopbackHttpServer server;
  std::filesystem::path folder;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Report(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
  state.counters["MB/s"] =
      benchmark::Counter(static_cast<double>(kBodySize) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_StartUpdate(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string target = (f.folder / "big.dat").string();
  zq::UserControlUpdate control;
  control.URL = f.server.Url("/update/big.dat");
  control.SaveFile = target;
  for (auto _ : state) {
    if (!control.Init()) {
      state.SkipWithError("Init failed");
      return;
    }
    control.StartUpdate();
    if (std::filesystem::file_size(target) != kBodySize) {
      state.SkipWithError("target not replaced by the whole body");
      return;
    }
  }
  Report(state);
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

void BM_PlainCurl(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string target = (f.folder / "plain.dat").string();
  const std::string url = f.server.Url("/update/big.dat");
  for (auto _ : state) {
    FILE* file = std::fopen(target.c_str(), "wb");
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    std::fclose(file);
    if (rc != CURLE_OK || std::filesystem::file_size(target) != kBodySize) {
      state.SkipWithError("plain transfer failed");
      return;
    }
  }
  Report(state);
}

BENCHMARK(BM_PlainCurl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(3);
BENCHMARK(BM_StartUpdate)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(3);

// Keeps the speeds of each benchmark's runs to print the ratio of the medians
// at the end; a shared machine makes single runs noisy.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      const auto it = run.counters.find("MB/s");
      if (it != run.counters.end() && run.run_type == Run::RT_Iteration) {
        speeds_[run.run_name.function_name].push_back(it->second);
      }
    }
  }
  double Median(const std::string& name) {
    auto& v = speeds_[name];
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }

 private:
  std::map<std::string, std::vector<double>> speeds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double plain = reporter.Median("BM_PlainCurl");
  const double ours = reporter.Median("BM_StartUpdate");
  if (plain > 0 && ours > 0) {
    std::printf("StartUpdate %.1f MB/s, plain libcurl %.1f MB/s, ratio %.2f (medians)\n", ours, plain,
                ours / plain);
  }
  benchmark::Shutdown();
  return 0;
}
