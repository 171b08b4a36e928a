#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/DesktopIntegration.h"
#include "platform/ProgramFolder.h"
#include "shell/SystemIntegration.h"
#include "support/TempDir.h"

namespace zq {
namespace {

// Points XDG_CONFIG_HOME and XDG_DATA_HOME at temporary folders.
class XdgFolders {
 public:
  XdgFolders() {
    Save("XDG_CONFIG_HOME");
    Save("XDG_DATA_HOME");
    ::setenv("XDG_CONFIG_HOME", dir_.Path("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", dir_.Path("data").c_str(), 1);
  }
  ~XdgFolders() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  const test::TempDir& dir() const { return dir_; }
  std::string Config(const std::string& rel) const { return dir_.Path("config/" + rel); }
  std::string Data(const std::string& rel) const { return dir_.Path("data/" + rel); }

 private:
  void Save(const char* name) {
    const char* v = std::getenv(name);
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  test::TempDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

std::string KeyValue(const std::string& text, const std::string& key) {
  const auto at = text.find("\n" + key + "=");
  if (at == std::string::npos) return "";
  const auto start = at + key.size() + 2;
  return text.substr(start, text.find('\n', start) - start);
}

// Reads an Exec value as a launcher does: the string escapes first, then the
// field codes; what is left is quoted like a shell command.
std::string ExecToShell(const std::string& value, const std::string& chosen, const std::string& code) {
  std::string unescaped;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char n = value[++i];
      unescaped.push_back(n == 's' ? ' ' : n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n);
    } else {
      unescaped.push_back(value[i]);
    }
  }
  std::string out;
  for (size_t i = 0; i < unescaped.size(); ++i) {
    if (unescaped[i] == '%' && i + 1 < unescaped.size()) {
      const char n = unescaped[++i];
      out += n == '%' ? "%" : n == code[1] ? chosen : "";
    } else {
      out.push_back(unescaped[i]);
    }
  }
  return out;
}

// A stand-in for the program that records how many arguments it got and the first.
std::string WriteRecorder(const test::TempDir& dir, const std::string& folder, const std::string& out) {
  const std::string exe =
      dir.Write(folder + "/ZQ", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > " + ShellQuote(out) + "\n");
  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  return exe;
}

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty()) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

int RunShell(const std::string& command) {
  const std::string full = "/bin/sh -c " + ShellQuote(command) + " </dev/null";
  return std::system(full.c_str());
}

const char* const kAwkwardFolders[] = {"plain",    "my tools",    "it's",     "100% sure",
                                       "$HOME",    "back\\slash", "quote\"d", "semi;colon & more",
                                       "澄岳 工具"};

TEST(FileManagerActions, ChosenPathReachesTheProgramAsItsOneArgument) {
  XdgFolders xdg;
  const std::string chosen = xdg.dir().Write("chosen file (1).txt", "x");
  for (const char* folder : kAwkwardFolders) {
    SCOPED_TRACE(folder);
    const std::string out = xdg.dir().Path("out.txt");
    const std::string exe = WriteRecorder(xdg.dir(), folder, out);
    ASSERT_TRUE(WriteFileManagerActions(FileManagerTarget::kFiles, exe));

    // Dolphin: a desktop entry with %f.
    std::filesystem::remove(out);
    const std::string dolphin = xdg.dir().Read("data/kio/servicemenus/zq-scan-file.desktop");
    EXPECT_NE(dolphin.find("MimeType=all/allfiles;"), std::string::npos);
    EXPECT_NE(dolphin.find("Name=澄岳杀毒"), std::string::npos);
    EXPECT_EQ(RunShell(ExecToShell(KeyValue(dolphin, "Exec"), ShellQuote(chosen), "%f")), 0);
    EXPECT_EQ(WaitForFile(out), "1|" + chosen) << "Dolphin";

    // Nemo: %F becomes the double-quoted path (Quote=double).
    std::filesystem::remove(out);
    const std::string nemo = xdg.dir().Read("data/nemo/actions/zq-scan-file.nemo_action");
    EXPECT_EQ(KeyValue(nemo, "Quote"), "double");
    EXPECT_EQ(KeyValue(nemo, "Extensions"), "nodirs;");
    EXPECT_EQ(RunShell(ExecToShell(KeyValue(nemo, "Exec"), "\"" + chosen + "\"", "%F")), 0);
    EXPECT_EQ(WaitForFile(out), "1|" + chosen) << "Nemo";

    // Nautilus: runs the script in the chosen file's folder with its name.
    std::filesystem::remove(out);
    const std::string script = xdg.Data("nautilus/scripts/澄岳杀毒");
    EXPECT_EQ(RunShell("cd " + ShellQuote(xdg.dir().path()) + " && " + ShellQuote(script) +
                       " 'chosen file (1).txt'"),
              0);
    EXPECT_EQ(WaitForFile(out), "1|" + chosen) << "Nautilus";
  }
}

TEST(FileManagerActions, ExecutableWithALineBreakIsRefused) {
  XdgFolders xdg;
  EXPECT_FALSE(WriteFileManagerActions(FileManagerTarget::kFiles, "/opt/a\nb/ZQ"));
  EXPECT_FALSE(AutostartEntryFile() && WriteAutostartEntry("/opt/a\nb/ZQ"));
  EXPECT_FALSE(std::filesystem::exists(xdg.Config("autostart/ZQ.desktop")));
  EXPECT_FALSE(std::filesystem::exists(xdg.Data("kio/servicemenus/zq-scan-file.desktop")));
}

TEST(Autorun, EntryStartsTheRunningExecutableAndGoesAway) {
  XdgFolders xdg;
  const std::string entry = xdg.Config("autostart/ZQ.desktop");
  RemoveAutorun();  // nothing there yet: no effect, no failure
  EXPECT_FALSE(std::filesystem::exists(entry));
  AddAutorun();
  const std::string text = xdg.dir().Read("config/autostart/ZQ.desktop");
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_EQ(KeyValue(text, "Type"), "Application");
  EXPECT_EQ(KeyValue(text, "Exec"), *DesktopExecArgument(ExecutablePath()));
  AddAutorun();  // written again at every start
  EXPECT_TRUE(std::filesystem::exists(entry));
  RemoveAutorun();
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(Autorun, PathWithBlanksSurvivesTheExecLine) {
  XdgFolders xdg;
  const std::string out = xdg.dir().Path("out.txt");
  const std::string exe = WriteRecorder(xdg.dir(), "Program Files/澄岳 杀毒 100%", out);
  ASSERT_TRUE(WriteAutostartEntry(exe));
  const std::string exec = KeyValue(xdg.dir().Read("config/autostart/ZQ.desktop"), "Exec");
  EXPECT_EQ(RunShell(ExecToShell(exec, "", "%f")), 0);
  EXPECT_EQ(WaitForFile(out), "0|");
}

TEST(Verbs, RegisterAndUnregisterTouchOnlyTheirOwnFiles) {
  XdgFolders xdg;
  const std::string foreign = xdg.dir().Write("data/kio/servicemenus/other.desktop", "[Desktop Entry]\n");
  UnregisterVerbs();  // never registered: changes nothing
  EXPECT_TRUE(std::filesystem::exists(foreign));

  EXPECT_TRUE(RegisterFileVerb());
  EXPECT_TRUE(RegisterFolderVerb());
  const char* written[] = {"kio/servicemenus/zq-scan-file.desktop", "kio/servicemenus/zq-scan-folder.desktop",
                           "nemo/actions/zq-scan-file.nemo_action", "nemo/actions/zq-scan-folder.nemo_action",
                           "nautilus/scripts/澄岳杀毒"};
  for (const char* rel : written) {
    struct stat st {};
    ASSERT_EQ(::stat(xdg.Data(rel).c_str(), &st), 0) << rel;
    EXPECT_TRUE(st.st_mode & S_IXUSR) << rel << " must be executable";
  }
  const std::string folderMenu = xdg.dir().Read("data/kio/servicemenus/zq-scan-folder.desktop");
  EXPECT_NE(folderMenu.find("MimeType=inode/directory;"), std::string::npos);
  EXPECT_EQ(KeyValue(xdg.dir().Read("data/nemo/actions/zq-scan-folder.nemo_action"), "Extensions"), "dir;");

  UnregisterVerbs();
  for (const char* rel : written) EXPECT_FALSE(std::filesystem::exists(xdg.Data(rel))) << rel;
  EXPECT_TRUE(std::filesystem::exists(foreign));
}

TEST(Verbs, UnwritableDataFolderReportsFalse) {
  XdgFolders xdg;
  const std::string blocker = xdg.dir().Write("blocker", "a file where a folder should be");
  ::setenv("XDG_DATA_HOME", blocker.c_str(), 1);
  EXPECT_FALSE(RegisterFileVerb());
  EXPECT_FALSE(RegisterFolderVerb());
  UnregisterVerbs();
}

TEST(DeleteRegistryKeyTest, RemovesOneEntryAndNothingElse) {
  test::TempDir dir;
  dir.Write("base/shell/a/command/x", "keep");
  dir.Write("outside", "keep");
  std::filesystem::create_directories(dir.Path("base/shell/empty"));
  DeleteRegistryKey(dir.Path("base"), "shell", "a");  // not empty: stays, like a key with subkeys
  EXPECT_TRUE(dir.Exists("base/shell/a/command/x"));
  DeleteRegistryKey(dir.Path("base"), "shell", "empty");
  EXPECT_FALSE(dir.Exists("base/shell/empty"));
  DeleteRegistryKey(dir.Path("base"), "shell", "../../outside");  // not one component: refused
  DeleteRegistryKey(dir.Path("base"), "shell", "..");
  EXPECT_TRUE(dir.Exists("outside"));
  EXPECT_TRUE(dir.Exists("base/shell"));
  DeleteRegistryKey(dir.Path("base"), "shell", "missing");
}

int IoClass(pid_t tid) {
  const long v = ::syscall(SYS_ioprio_get, 1, tid);
  return v < 0 ? -1 : static_cast<int>(v >> 13);
}

TEST(Priority, LoweredAndBackAgainAsAnUnprivilegedProcess) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
    std::atomic<pid_t> workerTid{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
      workerTid = static_cast<pid_t>(::syscall(SYS_gettid));
      while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (workerTid == 0) std::this_thread::yield();
    const pid_t tids[] = {static_cast<pid_t>(::syscall(SYS_gettid)), workerTid};
    int code = 0;
    if (!SetProcessPriority(kBelowNormalPriorityClass)) code = 1;
    for (const pid_t t : tids) {
      if (::sched_getscheduler(t) != SCHED_BATCH || IoClass(t) != 3) code = code ? code : 2;
    }
    if (!SetProcessPriority(kNormalPriorityClass)) code = code ? code : 3;
    for (const pid_t t : tids) {
      if (::sched_getscheduler(t) != SCHED_OTHER || IoClass(t) == 3) code = code ? code : 4;
    }
    if (SetProcessPriority(0x80)) code = code ? code : 5;  // a class the program never asks for
    done = true;
    worker.join();
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1/3: switching failed, 2: not lowered, 4: not restored, 5: odd class";
}

}  // namespace
}  // namespace zq
