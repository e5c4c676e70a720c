#include "platform/SingleInstance.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/Log.h"

namespace varnel {

namespace fs = std::filesystem;

namespace {

// Wake protocol on the socket: one request line from the client, one answer line back.
//   "WAKE <message> <wParam> <lParam>\n"  show the first instance (tray callback)
//   "QUIT\n"                              ask the first instance to end
//   answer "OK <pid>\n", or "ERR\n" for a request that is not understood.
constexpr size_t kMaxLine = 64;
constexpr int kSendTimeoutMs = 2000;  // how long a second instance waits for the answer

using SteadyClock = std::chrono::steady_clock;

// Makes sure dir exists as a folder of ours that nobody else can enter (mode 0700); returns 0
// or an errno value. A folder of another user (or a symbolic link) is refused.
int EnsurePrivateFolder(const fs::path& dir) {
  if (dir.empty()) return ENOENT;
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  if (st.st_uid != ::geteuid()) return EACCES;
  if ((st.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0) return errno;
  return 0;
}

bool MakeAddress(const fs::path& path, sockaddr_un* addr) {
  const std::string& s = path.native();
  if (s.size() >= sizeof(addr->sun_path)) return false;
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  std::memcpy(addr->sun_path, s.c_str(), s.size() + 1);
  return true;
}

fs::path SocketPath(const fs::path& folder, const std::string& name) {
  return folder / (name + ".sock");
}

// Waits until fd is ready for events or the deadline has passed.
bool WaitFd(int fd, short events, SteadyClock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                            SteadyClock::now());
    const int ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, ms);
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

bool SendAll(int fd, std::string_view data, SteadyClock::time_point deadline) {
  while (!data.empty()) {
    const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n > 0) {
      data.remove_prefix(static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFd(fd, POLLOUT, deadline))
      continue;
    return false;
  }
  return true;
}

// One line (without its '\n') of at most kMaxLine bytes; nullopt on time-out, end of stream or
// a longer line.
std::optional<std::string> ReadLine(int fd, SteadyClock::time_point deadline) {
  std::string line;
  for (;;) {
    char buf[kMaxLine];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n > 0) {
      for (ssize_t i = 0; i < n; ++i) {
        if (buf[i] == '\n') return line;
        if (line.size() >= kMaxLine) return std::nullopt;
        line += buf[i];
      }
      continue;
    }
    if (n == 0) return std::nullopt;
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFd(fd, POLLIN, deadline)) continue;
    return std::nullopt;
  }
}

// A decimal number that fits 32 bits, nothing else.
bool ParseU32(std::string_view s, uint32_t* out) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFu) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

std::optional<WakeRequest> ParseRequest(std::string_view line) {
  WakeRequest req;
  if (line == "QUIT") {
    req.quit = true;
    return req;
  }
  if (line.substr(0, 5) != "WAKE ") return std::nullopt;
  line.remove_prefix(5);
  uint32_t* fields[] = {&req.message, &req.wParam, &req.lParam};
  for (size_t i = 0; i < 3; ++i) {
    const size_t sp = line.find(' ');
    const bool last = i == 2;
    if (last != (sp == std::string_view::npos)) return std::nullopt;
    if (!ParseU32(line.substr(0, sp), fields[i])) return std::nullopt;
    if (!last) line.remove_prefix(sp + 1);
  }
  return req;
}

}  // namespace

std::string MutexNameFor(int msFw, int kbFw, uint16_t msPid, uint16_t kbPid) {
  char name[64];
  if (msFw != 0 && kbFw == 0)
    std::snprintf(name, sizeof name, "MUTEX_QX_MS_%04X", static_cast<unsigned>(msPid));
  else if (msFw == 0 && kbFw != 0)
    std::snprintf(name, sizeof name, "MUTEX_QX_KB_%04X_%02X", static_cast<unsigned>(kbPid),
                  static_cast<unsigned>(kbFw));
  else
    std::snprintf(name, sizeof name, "MUTEX_QX_COMBO8948");
  return name;
}

fs::path InstanceFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') {
    struct stat st {};
    if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
      const fs::path dir = fs::path(runtime) / "varnel";
      return EnsurePrivateFolder(dir) == 0 ? dir : fs::path();
    }
  }
  const fs::path dir = "/tmp/varnel-" + std::to_string(::geteuid());
  return EnsurePrivateFolder(dir) == 0 ? dir : fs::path();
}

SingleInstance::SingleInstance(std::string mutexName, fs::path folder)
    : m_name(std::move(mutexName)), m_folder(std::move(folder)) {}

SingleInstance::~SingleInstance() { Close(); }

SingleInstance::Result SingleInstance::Acquire() {
  if (m_lockFd >= 0) return Result::First;
  m_err = 0;
  m_firstPid = 0;
  if (m_folder.empty()) {
    m_err = EACCES;  // no private folder could be made
    return Result::Failed;
  }
  if (const int err = EnsurePrivateFolder(m_folder)) {
    m_err = err;
    return Result::Failed;
  }

  const fs::path lockPath = m_folder / (m_name + ".lock");
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    m_err = errno;
    return Result::Failed;
  }
  int r;
  do {
    r = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    const int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK) {
      m_err = err;
      return Result::Failed;
    }
    uint32_t pid = 0;
    if (Send(m_folder, m_name, WakeRequest{1132, 0, 514, false}, &pid)) m_firstPid = pid;
    return Result::AlreadyExists;
  }
  m_lockFd = fd;

  // We hold the name: a socket file left behind by an instance that died is ours to replace.
  const fs::path sockPath = SocketPath(m_folder, m_name);
  ::unlink(sockPath.c_str());
  sockaddr_un addr{};
  if (!MakeAddress(sockPath, &addr)) {
    LogPrint("SingleInstance: socket path too long: %s", sockPath.c_str());
    return Result::First;
  }
  const int lfd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (lfd < 0 || ::bind(lfd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(lfd, 8) != 0) {
    LogPrint("SingleInstance: cannot listen on %s, err=%d", sockPath.c_str(), errno);
    if (lfd >= 0) ::close(lfd);
    return Result::First;
  }
  struct stat st {};
  if (::stat(sockPath.c_str(), &st) == 0) {
    m_sockDev = static_cast<uint64_t>(st.st_dev);
    m_sockIno = static_cast<uint64_t>(st.st_ino);
  }
  m_listenFd = lfd;
  return Result::First;
}

std::optional<WakeRequest> SingleInstance::ReadRequest(
    const std::function<void(const WakeRequest&)>& handle) {
  if (m_listenFd < 0) return std::nullopt;
  const int cfd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (cfd < 0) return std::nullopt;

  std::optional<WakeRequest> req;
  ucred cred{};
  socklen_t len = sizeof cred;
  const bool sameUser = ::getsockopt(cfd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 &&
                        cred.uid == ::geteuid();
  if (sameUser) {
    const auto deadline =
        SteadyClock::now() + std::chrono::milliseconds(m_readTimeoutMs > 0 ? m_readTimeoutMs : 0);
    if (auto line = ReadLine(cfd, deadline)) req = ParseRequest(*line);
    // The request is handled before the answer goes out: the sender ends only after that.
    if (req && handle) handle(*req);
    const std::string answer = req ? "OK " + std::to_string(::getpid()) + "\n" : "ERR\n";
    SendAll(cfd, answer, deadline);
  }
  ::close(cfd);
  return req;
}

bool SingleInstance::Send(const fs::path& folder, const std::string& mutexName,
                          const WakeRequest& req, uint32_t* answerPid) {
  if (answerPid) *answerPid = 0;
  sockaddr_un addr{};
  if (!MakeAddress(SocketPath(folder, mutexName), &addr)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  int r;
  do {
    r = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    ::close(fd);
    return false;
  }

  char line[kMaxLine];
  if (req.quit)
    std::snprintf(line, sizeof line, "QUIT\n");
  else
    std::snprintf(line, sizeof line, "WAKE %u %u %u\n", req.message, req.wParam, req.lParam);
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(kSendTimeoutMs);
  bool ok = false;
  if (SendAll(fd, line, deadline)) {
    if (auto answer = ReadLine(fd, deadline)) {
      uint32_t pid = 0;
      if (answer->rfind("OK ", 0) == 0 && ParseU32(std::string_view(*answer).substr(3), &pid)) {
        if (answerPid) *answerPid = pid;
        ok = true;
      }
    }
  }
  ::close(fd);
  return ok;
}

void SingleInstance::Close() {
  if (m_listenFd >= 0) {
    ::close(m_listenFd);
    m_listenFd = -1;
    const fs::path sockPath = SocketPath(m_folder, m_name);
    struct stat st {};
    if (::lstat(sockPath.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_dev) == m_sockDev &&
        static_cast<uint64_t>(st.st_ino) == m_sockIno)
      ::unlink(sockPath.c_str());
  }
  if (m_lockFd >= 0) {
    ::close(m_lockFd);  // releases the lock
    m_lockFd = -1;
  }
}

}  // namespace varnel
