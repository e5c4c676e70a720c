#pragma once
// One running instance per mutex name. The "mutex" is an exclusive lock on a file in a private
// folder of $XDG_RUNTIME_DIR (mode 0700), released by the kernel when the process ends; beside it
// a Unix socket named after the mutex takes wake requests: a second start connects, sends the
// tray message (1132, wParam 0, lParam 514), waits for the first instance's answer and ends.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace varnel {

// "MUTEX_QX_COMBO8948", "MUTEX_QX_MS_%04X" or "MUTEX_QX_KB_%04X_%02X" from the configured slots.
std::string MutexNameFor(int msFw, int kbFw, uint16_t msPid, uint16_t kbPid);

// $XDG_RUNTIME_DIR/varnel (or /tmp/varnel-<uid> without it), created with mode 0700.
std::filesystem::path InstanceFolder();

struct WakeRequest {
  uint32_t message = 0;  // 1132: the tray callback
  uint32_t wParam = 0;
  uint32_t lParam = 0;   // 514: left button up
  bool quit = false;     // a quit request instead of a wake
};

class SingleInstance {
 public:
  enum class Result {
    First,          // we hold the name and listen for requests
    AlreadyExists,  // another instance holds it; the wake request was delivered (or attempted)
    Failed          // the lock could not be created: run as the only instance
  };

  SingleInstance(std::string mutexName, std::filesystem::path folder = InstanceFolder());
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  Result Acquire();
  int Error() const { return m_err; }  // errno of a failure
  // After AlreadyExists: the first instance's process id from its answer (0 when none came).
  uint32_t FirstInstanceId() const { return m_firstPid; }

  // First instance: descriptor to poll for incoming requests, and one request read from it
  // (answers the sender). nullopt when nothing valid arrived.
  int RequestFd() const { return m_listenFd; }
  // `handle` runs before the sender is answered.
  std::optional<WakeRequest> ReadRequest(
      const std::function<void(const WakeRequest&)>& handle = {});
  // How long ReadRequest waits for the request line of a connected client (default 500 ms), so
  // that a client that connects and sends nothing cannot hold up the first instance.
  void SetReadTimeoutMs(int ms) { m_readTimeoutMs = ms; }

  // Sends a request to the instance holding the name; true when it answered.
  static bool Send(const std::filesystem::path& folder, const std::string& mutexName,
                   const WakeRequest& req, uint32_t* answerPid = nullptr);

  void Close();  // releases the name (before handing over to another copy)

 private:
  std::string m_name;
  std::filesystem::path m_folder;
  int m_lockFd = -1;
  int m_listenFd = -1;
  int m_err = 0;
  uint32_t m_firstPid = 0;
  int m_readTimeoutMs = 500;
  // The socket file we bound, so that Close removes only our own.
  uint64_t m_sockDev = 0;
  uint64_t m_sockIno = 0;
};

}  // namespace varnel
