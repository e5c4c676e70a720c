#include "platform/ServiceNotify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace varnel {

bool NotifyReady() {
  const char* path = std::getenv("NOTIFY_SOCKET");
  if (!path || !*path) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const size_t len = std::strlen(path);
  if (len >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path, len);
  if (addr.sun_path[0] == '@') addr.sun_path[0] = '\0';  // abstract socket
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const std::string msg = "READY=1\nMAINPID=" + std::to_string(getpid());
  const socklen_t addrLen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + len);
  const bool ok = sendto(fd, msg.data(), msg.size(), MSG_NOSIGNAL,
                         reinterpret_cast<const sockaddr*>(&addr), addrLen) ==
                  static_cast<ssize_t>(msg.size());
  close(fd);
  return ok;
}

}  // namespace varnel
