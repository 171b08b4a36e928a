// Signature lookups and loading with 1,000,000 records over the seventeen
// files, and the section check against raw MD5 on the same bytes.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "support/PeBuilder.h"

namespace {

constexpr size_t kRecords = 1'000'000;
constexpr size_t kSampleKeys = 1 << 14;

struct Fixture {
  std::string dir;
  std::vector<std::string> hits;    // keys in the database, from every file
  std::vector<std::string> misses;  // keys in none
  std::string pePath;
  std::vector<std::string> peSections;
};

std::string RandomKey(std::mt19937_64& random) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string key(32, '0');
  for (char& c : key) c = kHex[random() & 15];
  return key;
}

// Reads a "Vm..." line of /proc/self/status, in MiB.
double StatusMiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size() + 1)) / 1024.0;
  }
  return 0;
}

const Fixture& Data() {
  static const Fixture* fixture = [] {
    auto* f = new Fixture;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/zqbench.XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    f->dir = pattern;
    std::atexit([] { std::filesystem::remove_all(Data().dir); });

    std::mt19937_64 random(42);
    std::vector<std::ofstream> files;
    for (int b = 0; b < zq::kSignatureBucketCount; ++b) {
      files.emplace_back(f->dir + "/" + zq::SignatureFileName(b), std::ios::binary);
    }
    for (size_t n = 0; n < kRecords; ++n) {
      const std::string key = RandomKey(random);
      // One record in seventeen goes to the general file.
      const int bucket = n % 17 == 16 ? zq::kGeneralBucket : zq::SignatureBucketOf(key);
      files[bucket] << *zq::MakeSignatureRecord(key, "Bench.Virus." + std::to_string(n));
      if (n % (kRecords / kSampleKeys) == 0 && f->hits.size() < kSampleKeys) f->hits.push_back(key);
    }
    for (auto& file : files) file.close();
    std::mt19937_64 other(7);
    for (size_t i = 0; i < kSampleKeys; ++i) f->misses.push_back(RandomKey(other));
    std::shuffle(f->hits.begin(), f->hits.end(), random);

    // 8 sections of 1 MiB of random bytes.
    zq::test::PeBuilder pe;
    for (int s = 0; s < 8; ++s) {
      std::string bytes(1 << 20, '\0');
      for (auto& c : bytes) c = static_cast<char>(random());
      f->peSections.push_back(bytes);
      pe.AddSection(".s" + std::to_string(s), bytes);
    }
    f->pePath = f->dir + "/large.exe";
    std::ofstream(f->pePath, std::ios::binary) << pe.Build();
    return f;
  }();
  return *fixture;
}

void BM_LoadSignatures(benchmark::State& state) {
  const Fixture& f = Data();
  double heldMiB = 0;
  size_t records = 0;
  for (auto _ : state) {
    const double before = StatusMiB("VmRSS:");
    zq::SignatureDatabase db;
    if (!db.Load(f.dir)) state.SkipWithError("load failed");
    heldMiB = StatusMiB("VmRSS:") - before;
    records = db.RecordCount();
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["held_MiB"] = heldMiB;
  state.counters["peak_rss_MiB"] = StatusMiB("VmHWM:");
}
BENCHMARK(BM_LoadSignatures)->Unit(benchmark::kMillisecond)->Iterations(5);

void Lookups(benchmark::State& state, const std::vector<std::string>& keys, bool hit) {
  static bool loaded = zq::LoadSignatures(Data().dir);
  if (!loaded) state.SkipWithError("load failed");
  size_t i = 0, found = 0;
  for (auto _ : state) {
    const std::string name = zq::MatchSignature(keys[i++ & (kSampleKeys - 1)]);
    found += !name.empty();
    benchmark::DoNotOptimize(name);
  }
  const size_t expected = hit ? static_cast<size_t>(state.iterations()) : 0;
  if (found != expected) state.SkipWithError("unexpected lookup result");
}

void BM_MatchSignatureMiss(benchmark::State& state) {
  Lookups(state, Data().misses, false);
}
BENCHMARK(BM_MatchSignatureMiss);

void BM_MatchSignatureHit(benchmark::State& state) {
  Lookups(state, Data().hits, true);
}
BENCHMARK(BM_MatchSignatureHit);

// One run times both on the same bytes, so the ratio is not skewed by a
// machine that is busier during one of two separate benchmarks.
void BM_CheckPeFileVsRawMd5(benchmark::State& state) {
  const Fixture& f = Data();
  using Clock = std::chrono::steady_clock;
  double checkSeconds = 0, md5Seconds = 0;
  size_t bytes = 0;
  EVP_MD* md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(zq::CheckPeFile(f.pePath));
    const auto t1 = Clock::now();
    for (const auto& section : f.peSections) {
      unsigned char digest[EVP_MAX_MD_SIZE];
      unsigned int len = 0;
      EVP_DigestInit_ex(ctx, md5, nullptr);
      EVP_DigestUpdate(ctx, section.data(), section.size());
      EVP_DigestFinal_ex(ctx, digest, &len);
      benchmark::DoNotOptimize(digest);
    }
    const auto t2 = Clock::now();
    checkSeconds += std::chrono::duration<double>(t1 - t0).count();
    md5Seconds += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    for (const auto& section : f.peSections) bytes += section.size();
  }
  EVP_MD_CTX_free(ctx);
  EVP_MD_free(md5);
  const double mib = static_cast<double>(bytes) / (1 << 20);
  state.counters["check_MiBps"] = mib / checkSeconds;
  state.counters["raw_md5_MiBps"] = mib / md5Seconds;
  state.counters["ratio"] = md5Seconds / checkSeconds;
}
BENCHMARK(BM_CheckPeFileVsRawMd5)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
