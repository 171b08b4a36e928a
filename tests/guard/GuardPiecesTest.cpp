// The guard's pure parts: process ancestry, interpreters, mounts, arguments.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/guard/DataMounts.h"
#include "platform/guard/ExecHelper.h"
#include "platform/guard/GuardArguments.h"
#include "platform/guard/ProcessTree.h"

namespace zq::guard {
namespace {

TEST(ProcessTree, ParentFromStatTolerantOfOddNames) {
  struct Case {
    const char* stat;
    std::optional<pid_t> parent;
  };
  const Case cases[] = {
      {"123 (bash) S 45 123 123 0", 45},
      {"123 (a) S 9 (b) ) R 77 1 1", 77},  // the last ')' ends the name
      {"123 (x y) R 1 2", 1},
      {"123 (bash S 45", std::nullopt},
      {"123 (bash) S", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParentPidFromStat(c.stat), c.parent) << c.stat;
}

TEST(ProcessTree, ChildIsDescendantButNotTheOtherWayRound) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[1]);
    char c;
    (void)::read(ready[0], &c, 1);
    ::_exit(0);
  }
  EXPECT_TRUE(IsSelfOrDescendant(child, ::getpid()));
  EXPECT_TRUE(IsSelfOrDescendant(::getpid(), ::getpid()));
  EXPECT_FALSE(IsSelfOrDescendant(::getpid(), child));
  EXPECT_FALSE(IsSelfOrDescendant(child, 0));
  ::close(ready[1]);
  ::close(ready[0]);
  ::waitpid(child, nullptr, 0);
}

std::string Elf64WithInterp(const std::string& interp) {
  std::string f(64 + 56 + 64, '\0');
  auto put = [&f](size_t at, uint64_t v, size_t width) {
    for (size_t i = 0; i < width; ++i) f[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
  };
  f.replace(0, 4,
            "\x7f"
            "ELF");
  f[4] = 2;        // 64-bit
  f[5] = 1;        // little-endian
  put(32, 64, 8);  // program headers right after the file header
  put(54, 56, 2);
  put(56, 1, 2);
  put(64, 3, 4);  // PT_INTERP
  put(64 + 8, 120, 8);
  put(64 + 32, interp.size() + 1, 8);
  f.replace(120, interp.size(), interp);
  return f;
}

TEST(ExecHelper, FindsTheInterpreterOfScriptsAndElfFiles) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string interpreter;
  };
  std::string truncated = Elf64WithInterp("/lib/ld.so");
  truncated.resize(100);
  const Case cases[] = {
      {"script", "#!/bin/sh\necho\n", "/bin/sh"},
      {"script with blanks and argument", "#!  /usr/bin/env  python3\n", "/usr/bin/env"},
      {"script with CRLF", "#!/bin/bash\r\n", "/bin/bash"},
      {"empty #! line", "#!\n", ""},
      {"elf", Elf64WithInterp("/lib64/ld-linux-x86-64.so.2"), "/lib64/ld-linux-x86-64.so.2"},
      {"elf cut in its program headers", truncated, ""},
      {"text", "hello", ""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    const auto reader = [&c](uint64_t offset, size_t length) -> std::string {
      if (offset >= c.bytes.size()) return "";
      return c.bytes.substr(static_cast<size_t>(offset), length);
    };
    EXPECT_EQ(ExecInterpreter(reader), c.interpreter) << c.name;
  }
}

TEST(ExecHelper, ReadsARealProgram) {
  const int fd = ::open("/bin/sh", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const std::string interp = ExecInterpreterOfFd(fd);
  ::close(fd);
  EXPECT_NE(interp.find("ld-linux"), std::string::npos) << interp;
}

TEST(DataMounts, LeavesOutPseudoFileSystemsAndUnescapes) {
  const std::string info =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "23 22 0:21 / /proc rw - proc proc rw\n"
      "24 22 0:22 / /sys rw shared:2 master:1 - sysfs sysfs rw\n"
      "25 22 8:2 / /home/my\\040files rw - xfs /dev/sda2 rw\n"
      "26 22 0:30 / /run rw - tmpfs tmpfs rw\n"
      "27 22 0:31 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
      "28 22 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "garbage line\n";
  EXPECT_EQ(DataMountPoints(info), (std::vector<std::string>{"/", "/home/my files", "/run"}));
}

TEST(GuardArguments, Table) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    std::vector<std::string> watch;
    std::string socket;
    std::string clientExe;
    int decisionMs;
  };
  const std::string def = "/opt/zq/ZQ";
  const Case cases[] = {
      {{}, true, {}, kGuardSocketPath, def, 120000},
      {{"--watch", "/a", "--watch", "/b c", "--socket", "/tmp/s"},
       true,
       {"/a", "/b c"},
       "/tmp/s",
       def,
       120000},
      {{"--any-client"}, true, {}, kGuardSocketPath, "", 120000},
      {{"--client-exe", "/x/ZQ", "--decision-limit", "30"}, true, {}, kGuardSocketPath, "/x/ZQ", 30000},
      {{"--watch"}, false, {}, "", "", 0},
      {{"--watch", ""}, false, {}, "", "", 0},
      {{"--decision-limit", "0"}, false, {}, "", "", 0},
      {{"--decision-limit", "5s"}, false, {}, "", "", 0},
      {{"--any-client", "--client-exe", "/x"}, false, {}, "", "", 0},
      {{"--bogus"}, false, {}, "", "", 0},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto o = ParseGuardArguments(c.args, def, &error);
    ASSERT_EQ(o.has_value(), c.ok) << (c.args.empty() ? "(none)" : c.args[0]) << " " << error;
    if (!o) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(o->watchFolders, c.watch);
    EXPECT_EQ(o->socketPath, c.socket);
    EXPECT_EQ(o->clientExe, c.clientExe);
    EXPECT_EQ(o->decisionLimitMs, c.decisionMs);
    EXPECT_EQ(o->takeLimitMs, 2000);
  }
}

}  // namespace
}  // namespace zq::guard
