#pragma once
// An in-memory HID bus driven by code: interfaces are added and removed by the caller, feature
// reports are answered by callbacks per report id, input reports come from a queue, and faults
// can be injected. Nothing waits in real time: a read with a time-out answers at once (Timeout
// when nothing is queued); only a read without time-out blocks, until a report is queued, the
// stop signal is triggered, or the handle is closed or unplugged. Thread-safe; callbacks run
// without the backend's lock, so they may call back into it.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/HidBackend.h"

namespace varnel {

struct ScriptedTransfer {
  std::string op;  // "set_feature", "get_feature", "read", "write" (as in the trace)
  std::string path;
  std::vector<uint8_t> data;  // sent bytes, or received bytes on success
  HidStatus status = HidStatus::Ok;
};

class ScriptedHidBackend final : public HidBackend {
 public:
  // Fills report (report[0] holds the id asked for, the rest is zero).
  using GetFeatureFn = std::function<HidStatus(std::span<uint8_t> report)>;
  // Receives a sent feature or output report (report id first).
  using ReceiveFn = std::function<HidStatus(std::span<const uint8_t> report)>;

  ScriptedHidBackend() = default;
  ScriptedHidBackend(const ScriptedHidBackend&) = delete;
  ScriptedHidBackend& operator=(const ScriptedHidBackend&) = delete;

  // Plugs an interface in (at the end of the enumeration order). Adding a path that is present
  // replaces it: handles to the old one answer Gone.
  void AddInterface(HidInterfaceInfo info);
  // Removes an interface (all when path is empty): gone from enumeration, its open handles and
  // blocked reads answer Gone. Handlers and queued input of the path are kept for a replug.
  void Unplug(const std::string& path = {});
  // Open of the path answers AccessDenied while set.
  void DenyAccess(const std::string& path, bool deny = true);

  // A get-feature of reportId on path is answered by fn; without a handler it fails (IoError).
  void OnGetFeature(const std::string& path, uint8_t reportId, GetFeatureFn fn);
  // A set-feature of reportId on path goes to fn; without a handler it is accepted.
  void OnSetFeature(const std::string& path, uint8_t reportId, ReceiveFn fn);
  // Output reports written to path go to fn; without a handler they are accepted.
  void OnWrite(const std::string& path, ReceiveFn fn);
  // Queues an input report (report id first) for path and wakes a blocked read.
  void QueueInput(const std::string& path, std::vector<uint8_t> report);

  // Faults. Transfers (set/get feature, read, write) are counted from 1, per path and over all
  // paths; path empty means the count over all paths. An injected failure does not reach the
  // handlers.
  void FailTransfer(size_t n, HidStatus status = HidStatus::IoError, const std::string& path = {});
  void FailAlways(HidStatus status = HidStatus::IoError, const std::string& path = {});
  // The k-th transfer unplugs the interface it is made on (every interface when path is
  // empty) and fails with Gone, as does everything later on the unplugged interfaces.
  void UnplugAtTransfer(size_t k, const std::string& path = {});
  void ClearFaults();

  size_t TransferCount() const;  // over all paths
  std::vector<ScriptedTransfer> Transfers() const;
  size_t OpenHandleCount() const;

  std::vector<HidInterfaceInfo> Enumerate() override;
  HidResult<HidHandle> Open(const std::string& path, HidOpenAccess access) override;
  HidStatus SetFeature(HidHandle handle, std::span<const uint8_t> report) override;
  HidResult<size_t> GetFeature(HidHandle handle, std::span<uint8_t> report) override;
  HidResult<size_t> Read(HidHandle handle, std::span<uint8_t> buffer, uint32_t timeoutMs,
                         HidStopSignal* stop) override;
  HidResult<size_t> Write(HidHandle handle, std::span<const uint8_t> report) override;
  void Close(HidHandle handle) override;

 private:
  struct Iface {
    HidInterfaceInfo info;
    bool present = true;
  };
  struct Handle {
    std::shared_ptr<Iface> iface;
    HidOpenAccess access = HidOpenAccess::None;
  };
  struct Fault {
    enum Kind { Nth, Always, UnplugAt } kind;
    size_t n;
    HidStatus status;
    std::string path;
  };
  // Per-path script, kept across unplug and replug.
  struct Script {
    std::map<uint8_t, GetFeatureFn> getFeature;
    std::map<uint8_t, ReceiveFn> setFeature;
    ReceiveFn write;
    std::deque<std::vector<uint8_t>> input;
    bool denied = false;
  };

  // Counts a transfer on handle and applies faults; Ok when it may proceed. Lock held.
  HidStatus BeginTransfer(HidHandle handle, HidOpenAccess needed, std::shared_ptr<Iface>* iface);
  void UnplugLocked(const std::string& path);
  void Record(const char* op, const std::string& path, std::span<const uint8_t> data,
              HidStatus status);

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::shared_ptr<Iface>> m_ifaces;  // present interfaces, enumeration order
  std::map<std::string, Script> m_scripts;
  std::map<HidHandle, Handle> m_handles;
  HidHandle m_nextHandle = 0x100;
  std::vector<Fault> m_faults;
  size_t m_transfers = 0;
  std::map<std::string, size_t> m_pathTransfers;
  std::vector<ScriptedTransfer> m_log;
};

}  // namespace varnel
