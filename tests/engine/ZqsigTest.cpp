#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/PeCheck.h"
#include "engine/SignatureDb.h"
#include "platform/FileIo.h"
#include "support/PeBuilder.h"
#include "support/TempDir.h"

namespace zq {
namespace {

struct ToolRun {
  int status = -1;
  std::string output;  // stdout and stderr together
};

std::string ProgramDir() {
  const char* dir = std::getenv("ZQ_PROGRAM_DIR");
  return dir && *dir ? dir : ZQ_DEFAULT_PROGRAM_DIR;
}

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ToolRun Zqsig(const std::vector<std::string>& args) {
  std::string command = Quote(ProgramDir() + "/zqsig");
  for (const auto& a : args) command += " " + Quote(a);
  command += " 2>&1";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class ZqsigTest : public ::testing::Test {
 protected:
  void TearDown() override { LoadSignatures(dir_.Path("none")); }

  std::string Pe(const std::string& name, const std::string& a, const std::string& b) {
    return dir_.Write(name, test::PeBuilder().AddSection(".a", a).AddSection(".b", b).Build());
  }
  std::vector<std::string> SigFiles() const {
    std::vector<std::string> names;
    for (int b = 0; b < kSignatureBucketCount; ++b) names.push_back(SignatureFileName(b));
    return names;
  }

  test::TempDir dir_;
};

TEST_F(ZqsigTest, ShippedDatabaseListsTheTestSample) {
  const std::string sample = dir_.Path("test-sample.exe");
  ASSERT_EQ(Zqsig({"sample", sample}).status, 0);
  const auto sections = ExamineSections(sample);
  ASSERT_TRUE(sections);
  ASSERT_EQ(sections->size(), 1u);
  for (const auto& name : SigFiles()) EXPECT_TRUE(IsRegularFile(ProgramDir() + "/" + name)) << name;
  ASSERT_TRUE(LoadSignatures(ProgramDir()));
  EXPECT_EQ(CheckPeFile(sample), "ZQ-Test-Sample");
}

TEST_F(ZqsigTest, KeysPrintsTheExaminedSectionsInTableOrder) {
  const std::string pe = Pe("two.exe", "first", "second");
  const auto sections = ExamineSections(pe);
  ASSERT_TRUE(sections);
  ASSERT_EQ(sections->size(), 2u);
  const ToolRun run = Zqsig({"keys", pe});
  EXPECT_EQ(run.status, 0) << run.output;
  const auto first = run.output.find((*sections)[0].key);
  const auto second = run.output.find((*sections)[1].key);
  EXPECT_NE(first, std::string::npos) << run.output;
  EXPECT_NE(second, std::string::npos) << run.output;
  EXPECT_LT(first, second);

  const ToolRun bad = Zqsig({"keys", dir_.Write("note.txt", "MZ, but only text")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.output.find("not examined"), std::string::npos) << bad.output;
}

TEST_F(ZqsigTest, AddListsEverySectionOnceInItsBucket) {
  const std::string db = dir_.Path("db");
  ::mkdir(db.c_str(), 0755);
  const std::string pe = Pe("two.exe", "first", "second");
  ASSERT_EQ(Zqsig({"add", db, "Demo.Virus", pe}).status, 0);
  for (const auto& name : SigFiles()) EXPECT_TRUE(dir_.Exists("db/" + name)) << name;

  size_t total = 0;
  for (const auto& name : SigFiles()) total += dir_.Read("db/" + name).size();
  EXPECT_EQ(total, 2 * kSignatureRecordSize);
  const auto sections = ExamineSections(pe);
  ASSERT_TRUE(sections);
  for (const auto& s : *sections) {
    const std::string bucket = dir_.Read("db/" + SignatureFileName(SignatureBucketOf(s.key)));
    EXPECT_NE(bucket.find(s.key + "Demo.Virus"), std::string::npos) << s.key;
  }
  ASSERT_TRUE(LoadSignatures(db));
  EXPECT_EQ(CheckPeFile(pe), "Demo.Virus");

  // Adding again changes nothing.
  const ToolRun again = Zqsig({"add", db, "Demo.Virus", pe});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.output.find("already listed"), std::string::npos) << again.output;
  total = 0;
  for (const auto& name : SigFiles()) total += dir_.Read("db/" + name).size();
  EXPECT_EQ(total, 2 * kSignatureRecordSize);
}

TEST_F(ZqsigTest, GeneralPutsRecordsIntoG) {
  const std::string db = dir_.Path("db");
  ::mkdir(db.c_str(), 0755);
  const std::string pe = Pe("two.exe", "first", "second");
  ASSERT_EQ(Zqsig({"add", "--general", db, "名字", pe}).status, 0);
  EXPECT_EQ(dir_.Read("db/G.sig").size(), 2 * kSignatureRecordSize);
  ASSERT_TRUE(LoadSignatures(db));
  EXPECT_EQ(CheckPeFile(pe), "名字");
}

TEST_F(ZqsigTest, RefusesBadNamesKeysAndFilesWithoutWriting) {
  const std::string db = dir_.Path("db");
  ::mkdir(db.c_str(), 0755);
  const std::string pe = Pe("two.exe", "first", "second");
  const std::string key = "0123456789ABCDEF0123456789ABCDEF";
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"add", db, std::string(33, 'n'), pe}, "at most 32"},
      {{"add", db, "一二三四五六七八九十一", pe}, "at most 32"},  // 33 bytes of UTF-8
      {{"add", db, "   ", pe}, "empty"},
      {{"add", db, "Name", dir_.Write("note.txt", "plain text")}, "not examined"},
      {{"add", db, "Name", pe, dir_.Path("missing.exe")}, "not examined"},
      {{"add", dir_.Path("no-such-db"), "Name", pe}, "no such folder"},
      {{"add-key", db, "Name", "0123456789abcdef0123456789ABCDEF"}, "32 upper-case hex"},
      {{"add-key", db, "Name", key.substr(1)}, "32 upper-case hex"},
      {{"add-key", db, "Name", key, "G" + key.substr(1)}, "32 upper-case hex"},
      {{"frobnicate"}, "usage"},
      {{"add", db, "Name"}, "usage"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Zqsig(c.args);
    EXPECT_NE(run.status, 0) << c.args[0];
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(dir_.Exists("db/0.sig")) << c.args[1];
  }
}

TEST_F(ZqsigTest, RefusesToAppendToADamagedFile) {
  const std::string db = dir_.Path("db");
  const std::string key = "0123456789ABCDEF0123456789ABCDEF";
  dir_.Write("db/0.sig", std::string(70, 'x'));
  const ToolRun run = Zqsig({"add-key", db, "Name", key});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("not a multiple of 66"), std::string::npos) << run.output;
  EXPECT_EQ(dir_.Read("db/0.sig"), std::string(70, 'x'));
  EXPECT_FALSE(dir_.Exists("db/G.sig"));
}

}  // namespace
}  // namespace zq
