// Builds the side-by-side corpus: a folder tree of PE32 and other files, and
// one set of section signatures written twice, as our seventeen signature
// files and as a section-hash (.mdb) database of the other scanner.
//
//   zq-make-corpus OUT [--files N] [--pe N] [--infected N] [--signatures N] [--seed S]
//
// OUT/corpus/   the files to scan
// OUT/home/     program folder for zqscan --home (0.sig .. F.sig, G.sig)
// OUT/sections.mdb   the same signatures as "size:md5:name" lines
// OUT/expected.txt   the infected files, one path a line, sorted
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/Fingerprint.h"
#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "support/PeBuilder.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  std::string out;
  int files = 20000;
  int pe = 2000;
  int infected = 200;
  int signatures = 100000;
  uint64_t seed = 20261211;
};

struct Signature {
  uint32_t size;
  std::string md5;  // upper-case fingerprint text
  std::string name;
};

std::string RandomBytes(std::mt19937_64& rng, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i += 8) {
    const uint64_t v = rng();
    for (size_t j = 0; j < 8 && i + j < size; ++j) bytes[i + j] = static_cast<char>(v >> (8 * j));
  }
  return bytes;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool Parse(int argc, char** argv, Options& o) {
  if (argc < 2) return false;
  o.out = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const long long value = std::atoll(argv[i + 1]);
    if (flag == "--files")
      o.files = static_cast<int>(value);
    else if (flag == "--pe")
      o.pe = static_cast<int>(value);
    else if (flag == "--infected")
      o.infected = static_cast<int>(value);
    else if (flag == "--signatures")
      o.signatures = static_cast<int>(value);
    else if (flag == "--seed")
      o.seed = static_cast<uint64_t>(value);
    else
      return false;
  }
  return o.pe <= o.files && o.infected <= o.pe && o.infected <= o.signatures;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    std::fprintf(
        stderr,
        "usage: zq-make-corpus OUT [--files N] [--pe N] [--infected N] [--signatures N] [--seed S]\n");
    return 2;
  }
  std::mt19937_64 rng(o.seed);
  const fs::path out = fs::absolute(o.out);
  fs::remove_all(out);
  fs::create_directories(out / "corpus");
  fs::create_directories(out / "home");

  std::vector<Signature> signatures;
  std::vector<std::string> expected;
  static constexpr std::array<const char*, 4> kPeExtensions = {".exe", ".dll", ".scr", ".bin"};
  static constexpr std::array<const char*, 4> kOtherExtensions = {".dat", ".txt", ".jpg", ".exe"};

  // PE files are spread evenly through the tree; every (pe / infected)-th one
  // carries a listed section.
  const int peEvery = o.files / std::max(o.pe, 1);
  const int infectedEvery = o.infected ? o.pe / o.infected : 0;
  int peMade = 0;
  for (int i = 0; i < o.files; ++i) {
    const fs::path folder =
        out / "corpus" / ("d" + std::to_string(i / 100 % 20)) / ("s" + std::to_string(i / 100));
    fs::create_directories(folder);
    const bool isPe = peMade < o.pe && i % peEvery == 0;
    std::string bytes;
    std::string name = "f" + std::to_string(i);
    if (isPe) {
      zq::test::PeBuilder pe;
      const int sections = 3 + static_cast<int>(rng() % 3);
      std::vector<std::string> data;
      for (int s = 0; s < sections; ++s) {
        // Sizes in whole file-alignment units, so both scanners hash the same bytes.
        data.push_back(RandomBytes(rng, 512 * (1 + rng() % 16)));
        pe.AddSection("." + std::to_string(s) + "sect", data.back());
      }
      bytes = pe.Build();
      const bool infected =
          infectedEvery && peMade % infectedEvery == 0 && static_cast<int>(expected.size()) < o.infected;
      if (infected) {
        const std::string& section = data[rng() % data.size()];
        signatures.push_back({static_cast<uint32_t>(section.size()), zq::HashBytes(section),
                              "Zq.Corpus." + std::to_string(expected.size())});
      }
      name += kPeExtensions[peMade / 3 % kPeExtensions.size()];
      if (infected) expected.push_back((folder / name).string());
      ++peMade;
    } else {
      bytes = RandomBytes(rng, 1024 + rng() % (63 * 1024 + 1));
      if (bytes[0] == 'M') bytes[0] = 'm';  // never an MZ header by chance
      name += kOtherExtensions[i % kOtherExtensions.size()];
    }
    if (!WriteFile(folder / name, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
      return 1;
    }
  }

  // Filler signatures for sections that no file holds.
  while (static_cast<int>(signatures.size()) < o.signatures) {
    const std::string digest = zq::HashBytes(RandomBytes(rng, 16));
    signatures.push_back({static_cast<uint32_t>(512 * (1 + rng() % 64)), digest,
                          "Zq.Filler." + std::to_string(signatures.size())});
  }
  std::shuffle(signatures.begin(), signatures.end(), rng);

  std::array<std::string, zq::kSignatureBucketCount> buckets;
  std::string mdb;
  for (const auto& s : signatures) {
    const std::string key = zq::SectionKeyFromDigest(s.size, s.md5);
    const auto record = zq::MakeSignatureRecord(key, s.name);
    if (!record) return 1;
    buckets[zq::SignatureBucketOf(key)] += *record;
    mdb += std::to_string(s.size) + ":" + Lower(s.md5) + ":" + s.name + "\n";
  }
  for (int b = 0; b < zq::kSignatureBucketCount; ++b) {
    if (!WriteFile(out / "home" / zq::SignatureFileName(b), buckets[b])) return 1;
  }
  if (!WriteFile(out / "sections.mdb", mdb)) return 1;
  std::sort(expected.begin(), expected.end());
  std::string list;
  for (const auto& p : expected) list += p + "\n";
  if (!WriteFile(out / "expected.txt", list)) return 1;
  std::printf("%d files (%d PE, %zu infected), %zu signatures in %s\n", o.files, peMade, expected.size(),
              signatures.size(), out.c_str());
  return 0;
}
