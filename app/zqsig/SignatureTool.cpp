#include "SignatureTool.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "TestSample.h"
#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "platform/Encoding.h"
#include "platform/FileIo.h"

namespace zq {
namespace {

constexpr char kUsage[] =
    "usage: zqsig keys FILE...\n"
    "       zqsig add [--general] DIR NAME FILE...\n"
    "       zqsig add-key [--general] DIR NAME KEY...\n"
    "       zqsig sample OUT\n"
    "\n"
    "keys     print the section keys the detector looks up, in table order\n"
    "add      list every section key of each FILE under NAME in the signature\n"
    "         files of DIR (the seventeen files are created when missing)\n"
    "add-key  the same for keys given as 32 upper-case hex digits\n"
    "--general  put the records into G.sig instead of the key's bucket file\n"
    "sample   write a harmless PE file that the shipped database lists as ZQ-Test-Sample\n";

int Usage(std::ostream& err) {
  err << kUsage;
  return 2;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Why a name cannot be stored, or "" when it can.
std::string NameProblem(const std::string& name) {
  if (name.find_first_not_of(' ') == std::string::npos) return "the name is empty";
  if (name.front() == ' ' || name.back() == ' ') return "the name begins or ends with a space";
  if (!IsValidUtf8(name)) return "the name is not valid UTF-8";
  if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    return "the name holds a control character";
  }
  if (name.size() > kSignatureNameSize) {
    return "the name is " + std::to_string(name.size()) + " bytes long; at most " +
           std::to_string(kSignatureNameSize) + " fit in a record";
  }
  return "";
}

int Keys(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  if (files.empty()) return Usage(err);
  int status = 0;
  for (const auto& file : files) {
    const auto sections = ExamineSections(file);
    if (!sections) {
      err << "zqsig: " << file << ": not examined (missing, unreadable, over 15 MiB, or not a PE image)\n";
      status = 1;
      continue;
    }
    for (const auto& s : *sections) {
      out << s.key << "  " << file << "  section " << s.index << " '" << s.name << "' " << s.sizeOfRawData
          << " bytes\n";
    }
  }
  return status;
}

// Appends the records to the bucket files of `dir`, one atomic replacement
// per file, skipping keys a file already lists. Nothing is written unless
// every file involved is sound.
int AddRecords(const std::string& dir, const std::string& name, const std::vector<std::string>& keys,
               bool general, std::ostream& out, std::ostream& err) {
  if (!IsDirectory(dir)) {
    err << "zqsig: " << dir << ": no such folder\n";
    return 1;
  }
  std::array<std::string, kSignatureBucketCount> content;
  std::array<bool, kSignatureBucketCount> exists{};
  for (int b = 0; b < kSignatureBucketCount; ++b) {
    const std::string path = JoinPath(dir, SignatureFileName(b));
    if (!IsRegularFile(path)) continue;
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
      err << "zqsig: " << path << ": cannot be read\n";
      return 1;
    }
    if (bytes->size() % kSignatureRecordSize != 0) {
      err << "zqsig: " << path << ": length " << bytes->size() << " is not a multiple of "
          << kSignatureRecordSize << "; refusing to append to a damaged file\n";
      return 1;
    }
    content[b] = *std::move(bytes);
    exists[b] = true;
  }

  std::array<bool, kSignatureBucketCount> changed{};
  int added = 0;
  for (const auto& key : keys) {
    const int bucket = general ? kGeneralBucket : SignatureBucketOf(key);
    std::string& file = content[bucket];
    bool listed = false;
    for (size_t at = 0; at < file.size() && !listed; at += kSignatureRecordSize) {
      listed = file.compare(at, kSignatureKeySize, key) == 0;
    }
    if (listed) {
      out << key << " already listed in " << SignatureFileName(bucket) << "\n";
      continue;
    }
    file += *MakeSignatureRecord(key, name);
    changed[bucket] = true;
    ++added;
  }

  for (int b = 0; b < kSignatureBucketCount; ++b) {
    if (!changed[b] && exists[b]) continue;
    const std::string path = JoinPath(dir, SignatureFileName(b));
    if (!WriteFileAtomic(path, content[b])) {
      err << "zqsig: " << path << ": cannot be written\n";
      return 1;
    }
  }
  out << added << " record(s) added as " << name << "\n";
  return 0;
}

int Add(std::vector<std::string> args, bool fromFiles, std::ostream& out, std::ostream& err) {
  bool general = false;
  std::erase_if(args,
                [&general](const std::string& a) { return a == "--general" ? (general = true) : false; });
  if (args.size() < 3) return Usage(err);
  const std::string& dir = args[0];
  const std::string& name = args[1];
  if (const auto problem = NameProblem(name); !problem.empty()) {
    err << "zqsig: " << problem << "\n";
    return 1;
  }
  std::vector<std::string> keys;
  for (size_t i = 2; i < args.size(); ++i) {
    if (!fromFiles) {
      if (!IsSectionKey(args[i])) {
        err << "zqsig: " << args[i] << ": a key is 32 upper-case hex digits\n";
        return 1;
      }
      keys.push_back(args[i]);
      continue;
    }
    const auto sections = ExamineSections(args[i]);
    if (!sections || sections->empty()) {
      err << "zqsig: " << args[i]
          << (sections ? ": no section the detector examines\n"
                       : ": not examined (missing, unreadable, over 15 MiB, or not a PE image)\n");
      return 1;
    }
    for (const auto& s : *sections) {
      if (!IsSectionKey(s.key)) {
        err << "zqsig: " << args[i] << ": cannot fingerprint section " << s.index << "\n";
        return 1;
      }
      keys.push_back(s.key);
    }
  }
  return AddRecords(dir, name, keys, general, out, err);
}

int Sample(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) return Usage(err);
  if (!WriteFileAtomic(args[0], BuildTestSample())) {
    err << "zqsig: " << args[0] << ": cannot be written\n";
    return 1;
  }
  out << "wrote " << args[0] << "\n";
  return 0;
}

}  // namespace

int RunSignatureTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return Usage(err);
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "keys") return Keys(rest, out, err);
  if (command == "add") return Add(rest, true, out, err);
  if (command == "add-key") return Add(rest, false, out, err);
  if (command == "sample") return Sample(rest, out, err);
  if (command == "-h" || command == "--help" || command == "help") {
    out << kUsage;
    return 0;
  }
  return Usage(err);
}

}  // namespace zq
