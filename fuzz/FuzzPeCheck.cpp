// Arbitrary bytes as a file on disk through the section check, with a
// database that lists one known section so the match path runs too.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"

namespace {

const std::string& Setup() {
  static const std::string file = [] {
    const std::string& dir = zq::fuzz::WorkFolder();
    // The key of a 512-byte section of zeros, as hostile headers often produce.
    const std::string key = zq::SectionKey(512, std::string(512, '\0'));
    zq::fuzz::WriteFile(dir + "/" + zq::SignatureFileName(zq::SignatureBucketOf(key)),
                        *zq::MakeSignatureRecord(key, "Fuzz.Zero"));
    if (!zq::LoadSignatures(dir)) std::abort();
    return dir + "/input.exe";
  }();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = Setup();
  zq::fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string name = zq::CheckPeFile(path);
  if (!name.empty() && name != "Fuzz.Zero") std::abort();
  const auto sections = zq::ExamineSections(path);
  // Every key the check computes is a well-formed section key.
  if (sections) {
    for (const auto& s : *sections) {
      if (!zq::IsSectionKey(s.key)) std::abort();
    }
  }
  // A detection implies an examined section with the listed key.
  if (!name.empty() && (!sections || sections->empty())) std::abort();
  return 0;
}
