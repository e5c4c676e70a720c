// The GUI program as a process: start-up, the single-instance rule between two real processes,
// the launch log line and the ending on a quit request or SIGTERM.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/SingleInstance.h"

extern char** environ;

namespace varnel {
namespace {

using test::TempDir;

class VarnelProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("app/cfg.ini",
              "[OPT]\r\nDebug=2\r\nTitle=Proc Test\r\nVer=258\r\nappdir=ProcTest\r\n"
              "MsFw=5\r\nKbFw=20\r\nMacProtocol=1\r\n");
    std::filesystem::create_directories(dir.path() / "home/Desktop");
    std::filesystem::create_directories(dir.path() / "run");
    notifyPath = (dir.path() / "notify.sock").string();
    notifyFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, notifyPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(notifyFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  void TearDown() override { close(notifyFd); }

  pid_t Start() {
    std::vector<std::string> env = {
        "VARNEL_APP_DIR=" + (dir.path() / "app").string(),
        "VARNEL_DATA_DIR=" + (dir.path() / "data").string(),
        "HOME=" + (dir.path() / "home").string(),
        "XDG_CONFIG_HOME=" + (dir.path() / "home/.config").string(),
        "XDG_RUNTIME_DIR=" + (dir.path() / "run").string(),
        "NOTIFY_SOCKET=" + notifyPath,
    };
    for (char** e = environ; *e; ++e) {
      const std::string v = *e;
      if (v.rfind("ASAN_", 0) == 0 || v.rfind("UBSAN_", 0) == 0 || v.rfind("PATH=", 0) == 0)
        env.push_back(v);
    }
    std::vector<char*> envp;
    for (auto& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string exe = std::string(VARNEL_BUILD_DIR) + "/varnel";
    char* argv[] = {exe.data(), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    return pid;
  }

  // Waits (bounded) for the process to report that it is ready.
  bool WaitReady() {
    pollfd p{notifyFd, POLLIN, 0};
    if (poll(&p, 1, 20000) != 1) return false;
    char buf[256] = {};
    return recv(notifyFd, buf, sizeof buf - 1, 0) > 0 && std::strstr(buf, "READY=1");
  }

  static int ExitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string Log() const { return test::ReadFile(dir.path() / "home/Desktop/Log.txt"); }

  TempDir dir;
  std::string notifyPath;
  int notifyFd = -1;
};

TEST_F(VarnelProcess, SecondStartWakesTheFirstAndEnds) {
  const pid_t first = Start();
  ASSERT_TRUE(WaitReady());

  const pid_t second = Start();
  EXPECT_EQ(ExitCode(second), 0);

  // The first logged the wake request before the second ended (the second waits for its answer).
  const std::string log = Log();
  EXPECT_NE(log.find("Wake request: message=1132, wParam=0, lParam=514"), std::string::npos)
      << log;
  char already[128];
  std::snprintf(already, sizeof already, "ALREADY_EXISTS, hWnd=%x, szMutexName=MUTEX_QX_COMBO8948",
                static_cast<unsigned>(first));
  EXPECT_NE(log.find(already), std::string::npos) << log;

  // Every entry starts on a new line with the time prefix; the launch line carries the date.
  EXPECT_EQ(log.front(), '\n');
  const std::regex launch(
      R"(\n\d\d:\d\d\.\d\d\d   -{50}\n\d\d:\d\d\.\d\d\d   Launch \d{4}-\d+-\d+:\d+H, Ver=0x102, Title=Proc Test)");
  EXPECT_TRUE(std::regex_search(log, launch)) << log;

  ASSERT_TRUE(SingleInstance::Send(dir.path() / "run/varnel", "MUTEX_QX_COMBO8948",
                                   WakeRequest{.quit = true}));
  EXPECT_EQ(ExitCode(first), 0);
  EXPECT_NE(Log().find("Quit request"), std::string::npos);
}

TEST_F(VarnelProcess, EndsOnSigterm) {
  const pid_t first = Start();
  ASSERT_TRUE(WaitReady());
  kill(first, SIGTERM);
  EXPECT_EQ(ExitCode(first), 0);
  // The name is free again: a new start becomes the first instance.
  const pid_t next = Start();
  ASSERT_TRUE(WaitReady());
  kill(next, SIGTERM);
  EXPECT_EQ(ExitCode(next), 0);
}

TEST_F(VarnelProcess, MissingApplicationFolderEndsSilently) {
  std::filesystem::remove_all(dir.path() / "app");
  const pid_t pid = Start();
  EXPECT_EQ(ExitCode(pid), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "home/Desktop/Log.txt"));
}

}  // namespace
}  // namespace varnel
