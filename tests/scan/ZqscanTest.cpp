#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "ScanTestSupport.h"
#include "storage/RecordFile.h"

namespace zq {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(int fd) {
  std::string data;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<size_t>(n));
  return data;
}

// Runs zqscan with `args`. With `interrupted` the process starts with a
// Ctrl-C already waiting, as if it was pressed at once.
Result RunZqscan(const std::vector<std::string>& args, bool interrupted = false) {
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]);
    ::close(err[0]);
    if (interrupted) {
      sigset_t set;
      sigemptyset(&set);
      sigaddset(&set, SIGINT);
      ::sigprocmask(SIG_BLOCK, &set, nullptr);
      ::raise(SIGINT);
    }
    std::vector<char*> argv{const_cast<char*>(ZQSCAN_PATH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(ZQSCAN_PATH, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  Result r;
  r.out = ReadAll(out[0]);
  r.err = ReadAll(err[0]);
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string Summary(int scanned, int infected) {
  return "\nScanned files: " + std::to_string(scanned) + "\nInfected files: " + std::to_string(infected) +
         "\nTime: ";
}

class ZqscanTest : public ::testing::Test, protected test::ScanFixture {
 protected:
  ZqscanTest() { fs::create_directory(home.Path("quarantine")); }
  std::vector<std::string> With(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--home", home.path()});
    return args;
  }
};

TEST_F(ZqscanTest, UnusableArgumentsAreAnError) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"--home", home.path()}, {"--action", "erase", tree.path()}, {"--action"}, {"--bogus", tree.path()},
  };
  for (const auto& args : cases) {
    const Result r = RunZqscan(args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage: zqscan"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const Result r = RunZqscan({"--home", tree.Path("missing"), tree.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing: not a folder"), std::string::npos) << r.err;
}

TEST_F(ZqscanTest, NoSignatureFilesIsAnError) {
  test::TempDir empty;
  const Result r = RunZqscan({"--home", empty.path(), tree.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no signature files"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(empty.path()));  // nothing created there
}

TEST_F(ZqscanTest, ACleanTreeExitsZeroWithTheSummary) {
  WriteCleanPe("a.exe");
  WriteCleanPe("sub/b.dll");
  tree.Write("c.txt", "text");
  fs::remove(WriteVirus("x.bin"));  // its signature stays listed
  const Result r = RunZqscan(With({tree.path()}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, Summary(2, 0).size()), Summary(2, 0));
  // The last line is "Time: " and seconds with three decimals.
  const std::string time = r.out.substr(r.out.rfind("\nTime: ") + 7);
  ASSERT_GE(time.size(), 7u) << r.out;
  EXPECT_EQ(time.substr(time.size() - 3), " s\n");
  const std::string seconds = time.substr(0, time.size() - 3);
  EXPECT_EQ(seconds.find_first_not_of("0123456789."), std::string::npos) << seconds;
  EXPECT_EQ(seconds.find('.'), seconds.size() - 4) << seconds;
}

TEST_F(ZqscanTest, DetectionsAreListedAndChangeNothingWithoutAnAction) {
  const std::string infected = WriteVirus("sub/bad.exe", "Trojan.Zq");
  const std::string hidden = WriteVirus("sub/bad.txt", "Trojan.Txt");
  WriteCleanPe("good.exe");

  Result r = RunZqscan(With({tree.path()}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find("Time: ") + 6), infected + ": Trojan.Zq FOUND\n" + Summary(2, 1));
  EXPECT_TRUE(fs::exists(infected));

  r = RunZqscan(With({"--all-files", tree.path()}));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(hidden + ": Trojan.Txt FOUND\n"), std::string::npos);
  EXPECT_NE(r.out.find(Summary(3, 2)), std::string::npos);

  // A file named on the command line is examined whatever its extension.
  r = RunZqscan(With({hidden}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find("Time: ") + 6), hidden + ": Trojan.Txt FOUND\n" + Summary(1, 1));
  EXPECT_TRUE(fs::exists(hidden));
}

TEST_F(ZqscanTest, DeleteAndQuarantinePrintTheirOutcome) {
  const std::string first = WriteVirus("one.exe", "Virus.One");
  Result r = RunZqscan(With({"--action", "delete", first}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), first + ": Virus.One FOUND 已清除\n");
  EXPECT_FALSE(fs::exists(first));

  const std::string second = WriteVirus("two.exe", "Virus.Two");
  r = RunZqscan(With({"--action", "quarantine", tree.path()}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), second + ": Virus.Two FOUND 已隔离\n");
  EXPECT_FALSE(fs::exists(second));
  EXPECT_EQ(RecordWalk::Load(home.Path("Quarantine.ini")).Field(1, "SourceFile"), second);

  // A relative --home still records full paths, which the quarantine manager needs.
  const std::string fourth = WriteVirus("four.exe", "Virus.Four");
  const auto previous = fs::current_path();
  fs::current_path(home.path());
  r = RunZqscan({"--home", ".", "--action", "quarantine", fourth});
  fs::current_path(previous);
  EXPECT_EQ(r.status, 1);
  const RecordWalk index = RecordWalk::Load(home.Path("Quarantine.ini"));
  EXPECT_EQ(index.Field(2, "SourceFile"), fourth);
  EXPECT_EQ(index.Field(2, "QuarantineFile").rfind(home.path() + "/quarantine/", 0), 0u)
      << index.Field(2, "QuarantineFile");

  // Without the quarantine folder the file stays and the outcome says so.
  const std::string third = WriteVirus("three.exe", "Virus.Three");
  fs::remove_all(home.Path("quarantine"));
  r = RunZqscan(With({"--action", "quarantine", third}));
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), third + ": Virus.Three FOUND 隔离失败\n");
  EXPECT_TRUE(fs::exists(third));
}

TEST_F(ZqscanTest, AMissingPathIsReportedAndTheRestScanned) {
  const std::string infected = WriteVirus("v.exe");
  Result r = RunZqscan(With({tree.Path("missing"), tree.path()}));
  EXPECT_EQ(r.status, 1);  // a detection outweighs the error
  EXPECT_NE(r.err.find("missing: no such file or folder"), std::string::npos);
  EXPECT_NE(r.out.find(infected + ": Trojan.Test FOUND"), std::string::npos);

  r = RunZqscan(With({tree.Path("missing")}));
  EXPECT_EQ(r.status, 2);
}

TEST_F(ZqscanTest, ControlCharactersInNamesCannotForgeLines) {
  const std::string infected = WriteVirus("a\nfake.exe: Fake FOUND.exe");
  const Result r = RunZqscan(With({tree.path()}));
  EXPECT_NE(r.out.find(tree.path() + "/a\\x0afake.exe: Fake FOUND.exe: Trojan.Test FOUND\n"),
            std::string::npos)
      << r.out;
}

TEST_F(ZqscanTest, InterruptStopsTheWalkAndStillSummarises) {
  WriteVirus("v.exe");
  const Result r = RunZqscan(With({tree.path()}), /*interrupted=*/true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, Summary(0, 0).size()), Summary(0, 0));
}

}  // namespace
}  // namespace zq
