// The GUI program. Until the main window exists it runs the start-up and then waits where the
// window's loop would run: it logs every wake request a second start sends and ends on SIGTERM,
// SIGINT or a quit request.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Log.h"
#include "platform/ServiceNotify.h"
#include "platform/UiPort.h"
#include "shell/AppStartup.h"

namespace {

int WaitForRequests(varnel::SingleInstance* instance, const sigset_t& mask) {
  const int sigFd = signalfd(-1, &mask, SFD_CLOEXEC);
  if (sigFd < 0) return 1;

  const int reqFd = instance ? instance->RequestFd() : -1;
  while (true) {
    pollfd fds[2] = {{sigFd, POLLIN, 0}, {reqFd, POLLIN, 0}};
    const int n = poll(fds, reqFd >= 0 ? 2 : 1, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents & POLLIN) {
      signalfd_siginfo info{};
      [[maybe_unused]] const ssize_t got = read(sigFd, &info, sizeof info);
      varnel::LogPrint("Signal %u, quit", info.ssi_signo);
      break;
    }
    if (reqFd >= 0 && (fds[1].revents & POLLIN)) {
      const auto req = instance->ReadRequest([](const varnel::WakeRequest& r) {
        if (r.quit)
          varnel::LogPrint("Quit request");
        else
          varnel::LogPrint("Wake request: message=%u, wParam=%u, lParam=%u", r.message, r.wParam,
                           r.lParam);
      });
      if (req && req->quit) break;
    }
  }
  close(sigFd);
  return 0;
}

}  // namespace

int main() {
  // SIGTERM and SIGINT are taken through a signalfd in the wait loop; blocked from the start so
  // that one arriving during start-up is not lost.
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  sigprocmask(SIG_BLOCK, &mask, nullptr);

  // No command line is read. The folders can be pointed elsewhere through the environment (tests,
  // running from a source tree); otherwise the built or installed defaults apply.
  varnel::StartupOptions options;
  if (const char* app = std::getenv("VARNEL_APP_DIR")) options.appDir = app;
  if (const char* data = std::getenv("VARNEL_DATA_DIR")) options.dataDir = data;
  varnel::StartupResult result = varnel::RunStartup(options);
  switch (result.outcome) {
    case varnel::StartupResult::Outcome::Ready:
      varnel::NotifyReady();
      return WaitForRequests(result.instance.get(), mask);
    case varnel::StartupResult::Outcome::SecondInstance:
      return 0;
    case varnel::StartupResult::Outcome::NoAppFolder:
    case varnel::StartupResult::Outcome::DataInitFailed:
      break;
  }
  return 1;
}
