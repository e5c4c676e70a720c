#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/SingleInstance.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

TEST(MutexNameFor, FollowsTheConfiguredSlots) {
  struct Case {
    int msFw, kbFw;
    uint16_t msPid, kbPid;
    const char* expected;
  } cases[] = {
      {5, 21, 0x1234, 0x5678, "MUTEX_QX_COMBO8948"},
      {5, 0, 0xab1, 0x5678, "MUTEX_QX_MS_0AB1"},
      {0, 22, 0x1234, 0xfa60, "MUTEX_QX_KB_FA60_16"},
      {0, 0, 0x1234, 0x5678, "MUTEX_QX_COMBO8948"},  // pad only
  };
  for (const auto& c : cases)
    EXPECT_EQ(MutexNameFor(c.msFw, c.kbFw, c.msPid, c.kbPid), c.expected);
}

// Raw client of the wake socket: sends bytes, returns the answer (up to end of stream).
std::string RawRequest(const fs::path& sock, std::string_view bytes, bool closeWrite = true) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, sock.c_str(), sizeof addr.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return "<no connect>";
  }
  if (!bytes.empty()) (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (closeWrite) ::shutdown(fd, SHUT_WR);
  return std::to_string(fd);  // the caller reads the answer with ReadAnswer
}

std::string ReadAnswer(int fd) {
  std::string answer;
  char buf[128];
  ssize_t n;
  while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) answer.append(buf, static_cast<size_t>(n));
  ::close(fd);
  return answer;
}

// A private instance folder inside a temporary folder.
class SingleInstanceFixture : public ::testing::Test {
 protected:
  fs::path Folder() const { return m_tmp.path() / "run"; }
  fs::path Sock() const { return Folder() / (m_name + ".sock"); }

  // Runs one ReadRequest of the first instance on another thread once a client has connected.
  std::future<std::optional<WakeRequest>> ServeOne(SingleInstance& first) {
    return std::async(std::launch::async, [&first] {
      pollfd p{first.RequestFd(), POLLIN, 0};
      if (::poll(&p, 1, 5000) != 1) return std::optional<WakeRequest>();
      return first.ReadRequest();
    });
  }

  TempDir m_tmp;
  std::string m_name = "MUTEX_QX_COMBO8948";
};

TEST_F(SingleInstanceFixture, SecondInstanceWakesTheFirstAndLearnsItsPid) {
  SingleInstance first(m_name, Folder());
  ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);
  ASSERT_GE(first.RequestFd(), 0);

  struct stat st {};
  ASSERT_EQ(::stat(Folder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  auto served = ServeOne(first);
  SingleInstance second(m_name, Folder());
  EXPECT_EQ(second.Acquire(), SingleInstance::Result::AlreadyExists);
  EXPECT_EQ(second.FirstInstanceId(), static_cast<uint32_t>(::getpid()));

  const auto req = served.get();
  ASSERT_TRUE(req.has_value());
  EXPECT_EQ(req->message, 1132u);
  EXPECT_EQ(req->wParam, 0u);
  EXPECT_EQ(req->lParam, 514u);
  EXPECT_FALSE(req->quit);

  // Closing the second copy leaves the first one's socket in place.
  second.Close();
  EXPECT_TRUE(fs::exists(Sock()));
  first.Close();
  EXPECT_FALSE(fs::exists(Sock()));
  SingleInstance third(m_name, Folder());
  EXPECT_EQ(third.Acquire(), SingleInstance::Result::First);
}

TEST_F(SingleInstanceFixture, QuitRequest) {
  SingleInstance first(m_name, Folder());
  ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);
  auto served = ServeOne(first);
  uint32_t pid = 0;
  EXPECT_TRUE(SingleInstance::Send(Folder(), m_name, WakeRequest{0, 0, 0, true}, &pid));
  EXPECT_EQ(pid, static_cast<uint32_t>(::getpid()));
  const auto req = served.get();
  ASSERT_TRUE(req.has_value());
  EXPECT_TRUE(req->quit);
}

TEST_F(SingleInstanceFixture, SendWithoutAFirstInstanceFails) {
  uint32_t pid = 77;
  EXPECT_FALSE(SingleInstance::Send(Folder(), m_name, WakeRequest{1132, 0, 514}, &pid));
  EXPECT_EQ(pid, 0u);
}

TEST_F(SingleInstanceFixture, GarbageIsRejectedAndTheFirstInstanceGoesOn) {
  SingleInstance first(m_name, Folder());
  first.SetReadTimeoutMs(0);  // everything a client sends below is already there
  ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);

  const std::string garbage[] = {
      "HELLO\n",
      "WAKE 1 2\n",
      "WAKE 1 2 3 4\n",
      "WAKE 1 2 99999999999\n",
      "WAKE -1 2 3\n",
      "WAKE 1  2 3\n",
      "QUIT now\n",
      std::string(5000, 'W') + "\n",
      std::string("WAKE 1\0 2 3\n", 12),
      "WAKE 1132 0 514",  // no end of line: the stream ends first
      "",                 // connects and sends nothing
  };
  for (const auto& g : garbage) {
    const int fd = std::stoi(RawRequest(Sock(), g));
    EXPECT_FALSE(first.ReadRequest().has_value()) << g.substr(0, 20);
    const std::string answer = ReadAnswer(fd);
    EXPECT_TRUE(answer == "ERR\n" || answer.empty()) << answer;
  }

  // A client that connects and sends nothing while keeping the connection open does not hold
  // up the first instance either.
  const int silent = std::stoi(RawRequest(Sock(), "", false));
  EXPECT_FALSE(first.ReadRequest().has_value());
  ::close(silent);

  const int fd = std::stoi(RawRequest(Sock(), "WAKE 1132 0 514\n"));
  const auto req = first.ReadRequest();
  ASSERT_TRUE(req.has_value());
  EXPECT_EQ(req->lParam, 514u);
  EXPECT_EQ(ReadAnswer(fd), "OK " + std::to_string(::getpid()) + "\n");

  // Nothing waiting: no request, no blocking.
  EXPECT_FALSE(first.ReadRequest().has_value());
}

TEST_F(SingleInstanceFixture, LeftoversOfADeadInstanceDoNotBlockANewFirstInstance) {
  // A child process takes the name and dies without cleaning up.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstance dead(m_name, Folder());
    const bool first = dead.Acquire() == SingleInstance::Result::First;
    ::_exit(first ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(fs::exists(Sock()));  // stale socket file
  EXPECT_EQ(RawRequest(Sock(), "QUIT\n"), "<no connect>");

  SingleInstance fresh(m_name, Folder());
  ASSERT_EQ(fresh.Acquire(), SingleInstance::Result::First);
  auto served = ServeOne(fresh);
  EXPECT_TRUE(SingleInstance::Send(Folder(), m_name, WakeRequest{1132, 0, 514}));
  EXPECT_TRUE(served.get().has_value());
}

TEST_F(SingleInstanceFixture, DifferentNamesDoNotConflict) {
  SingleInstance a("MUTEX_QX_MS_0001", Folder());
  SingleInstance b("MUTEX_QX_MS_0002", Folder());
  EXPECT_EQ(a.Acquire(), SingleInstance::Result::First);
  EXPECT_EQ(b.Acquire(), SingleInstance::Result::First);
}

TEST_F(SingleInstanceFixture, OpenFolderIsMadePrivate) {
  fs::create_directories(Folder());
  ::chmod(Folder().c_str(), 0777);
  SingleInstance first(m_name, Folder());
  ASSERT_EQ(first.Acquire(), SingleInstance::Result::First);
  struct stat st {};
  ASSERT_EQ(::stat(Folder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(SingleInstanceFixture, UnusableFolderFailsWithItsError) {
  m_tmp.Write("run", "a file, not a folder");
  SingleInstance first(m_name, Folder());
  EXPECT_EQ(first.Acquire(), SingleInstance::Result::Failed);
  EXPECT_EQ(first.Error(), ENOTDIR);

  fs::create_symlink(m_tmp.path() / "real", m_tmp.path() / "link");
  fs::create_directories(m_tmp.path() / "real");
  SingleInstance linked(m_name, m_tmp.path() / "link");
  EXPECT_EQ(linked.Acquire(), SingleInstance::Result::Failed);

  SingleInstance none(m_name, fs::path());
  EXPECT_EQ(none.Acquire(), SingleInstance::Result::Failed);
}

TEST_F(SingleInstanceFixture, FolderOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
  fs::create_directories(Folder());
  ::chmod(Folder().c_str(), 0700);
  ASSERT_EQ(::chown(Folder().c_str(), 54321, 54321), 0);
  SingleInstance first(m_name, Folder());
  EXPECT_EQ(first.Acquire(), SingleInstance::Result::Failed);
  EXPECT_EQ(first.Error(), EACCES);
}

TEST(InstanceFolder, PrivateFolderInTheRuntimeDir) {
  TempDir runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  EXPECT_EQ(InstanceFolder(), runtime.path() / "varnel");
  struct stat st {};
  ASSERT_EQ(::stat((runtime.path() / "varnel").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(InstanceFolder, FallsBackToAPerUserTmpFolder) {
  ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
  const fs::path dir = InstanceFolder();
  EXPECT_EQ(dir, fs::path("/tmp/varnel-" + std::to_string(::geteuid())));
  struct stat st {};
  ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, ::geteuid());
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace varnel
