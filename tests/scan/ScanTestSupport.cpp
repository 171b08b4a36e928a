#include "ScanTestSupport.h"

#include <stdexcept>

#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "platform/Ini.h"
#include "storage/Settings.h"
#include "support/PeBuilder.h"
#include "support/SignatureWriter.h"

namespace zq::test {

ScanFixture::ScanFixture() {
  // The database is global: every fixture starts from its own empty files.
  SignatureWriter(home.path()).CreateAll();
  LoadSignatures(home.path());
  ResetRunState(run);
}

std::string ScanFixture::WriteVirus(const std::string& relative, const std::string& name,
                                    const std::string& marker) {
  const std::string body = marker.empty() ? "virus body " + std::to_string(++viruses_) : marker;
  PeBuilder pe;
  pe.AddSection(".text", "harmless code of " + relative).AddSection(".virus", body);
  const std::string path = tree.Write(relative, pe.Build());
  const auto sections = ExamineSections(path);
  if (!sections || sections->size() != 2) throw std::runtime_error("PE builder output not examined");
  SignatureWriter(home.path()).Add(sections->at(1).key, name);
  LoadSignatures(home.path());
  return path;
}

std::string ScanFixture::WriteCleanPe(const std::string& relative) {
  PeBuilder pe;
  pe.AddSection(".text", "clean code of " + relative);
  return tree.Write(relative, pe.Build());
}

void ScanFixture::WriteScanSettings(const ScanSettings& s) const {
  const auto word = [](bool b) { return b ? "True" : "False"; };
  const std::string path = SettingsPath();
  IniWriteValue(path, "Scan", "ScanAllFiles", word(s.ScanAllFiles));
  IniWriteValue(path, "Scan", "ClearVirus", word(s.ClearVirus));
  IniWriteValue(path, "Scan", "AlertVirus", word(s.AlertVirus));
  IniWriteValue(path, "Scan", "IgnoreVirus", word(s.IgnoreVirus));
  IniWriteValue(path, "Scan", "QuarantineVirus", word(s.QuarantineVirus));
}

}  // namespace zq::test
