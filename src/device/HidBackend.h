#pragma once
// The one seam between the program and the HID interfaces of the computer. Every device family
// enumerates, opens and talks through the process-wide backend; no code above it knows whether
// the backend is the hidraw driver, the emulator bus or a scripted test double. Failures are
// return values, never exceptions.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace varnel {

enum class HidStatus {
  Ok,
  Gone,          // no interface at this path (never there, unplugged, or the handle is not open)
  AccessDenied,  // present, but the process may not open it (udev rule missing)
  IoError,       // the device refused or failed the transfer
  Timeout,       // no input report within the time-out
  Stopped,       // the stop signal was triggered
};

const char* HidStatusName(HidStatus status);  // "ok", "gone", "access denied", ...

// A result value of a backend call.
template <typename T>
struct HidResult {
  HidStatus status = HidStatus::Ok;
  T value{};
  bool ok() const { return status == HidStatus::Ok; }
};

// Handles are opaque numbers; 0 is the null handle (not connected). Logs print them in hex.
using HidHandle = uint64_t;
inline constexpr HidHandle kNullHidHandle = 0;

// Access asked for when opening: feature requests work without any rights, input reads need
// Read, output writes need Write.
enum class HidOpenAccess : unsigned { None = 0, Read = 1, Write = 2, ReadWrite = 3 };

inline bool HasAccess(HidOpenAccess granted, HidOpenAccess needed) {
  return (static_cast<unsigned>(granted) & static_cast<unsigned>(needed)) ==
         static_cast<unsigned>(needed);
}

enum class HidReportKind { Input, Output, Feature };

// One capability of a top-level collection (a button or a value item of one report), in the
// order the collection's descriptor gives them. Only the report id matters to the program.
struct HidCapability {
  HidReportKind kind = HidReportKind::Feature;
  bool isButton = false;
  uint8_t reportId = 0;
};

// One HID interface (one top-level collection) as enumerated.
struct HidInterfaceInfo {
  std::string path;  // what Open takes; unique per interface
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  std::string productString;  // UTF-8, may be empty
  int interfaceNumber = -1;   // USB interface number, -1 when unknown
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  std::vector<uint8_t> reportIds;          // ids used by the collection, ascending
  std::vector<HidCapability> capabilities;  // may be empty when the backend knows ids only
  // Longest report of each kind in bytes, report id byte included; 0 when there is none.
  uint16_t inputLen = 0;
  uint16_t outputLen = 0;
  uint16_t featureLen = 0;
};

// Ends a blocked input read from another thread. Once triggered it stays triggered until Reset,
// so a trigger that comes before the read starts is not lost. Thread-safe.
class HidStopSignal {
 public:
  HidStopSignal() = default;
  HidStopSignal(const HidStopSignal&) = delete;
  HidStopSignal& operator=(const HidStopSignal&) = delete;

  void Trigger();
  void Reset();
  bool IsTriggered() const;

  // A backend that blocks in a read registers a waker for the duration of the wait; Trigger
  // calls every registered waker. When the signal is already triggered at registration, the
  // waker is called at once. Wakers run under the signal's own lock (so a subscription never
  // ends while its waker runs): a waker must not call back into the signal, and the waiting
  // side must not hold a lock that its waker takes while it creates or ends the subscription.
  class Subscription {
   public:
    Subscription(HidStopSignal* signal, std::function<void()> waker);
    ~Subscription();
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

   private:
    HidStopSignal* m_signal;
    std::list<std::function<void()>>::iterator m_it;
  };

 private:
  mutable std::mutex m_mutex;
  bool m_triggered = false;
  std::list<std::function<void()>> m_wakers;
};

// Time-out value for a read that waits until a report comes or the stop signal is triggered.
inline constexpr uint32_t kHidWaitForever = UINT32_MAX;

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // The interfaces present now, in the system's order.
  virtual std::vector<HidInterfaceInfo> Enumerate() = 0;

  virtual HidResult<HidHandle> Open(const std::string& path, HidOpenAccess access) = 0;

  // report[0] is the report id; the whole buffer is sent.
  virtual HidStatus SetFeature(HidHandle handle, std::span<const uint8_t> report) = 0;
  // report[0] holds the report id on entry; the buffer should be the feature length of the
  // interface (a shorter buffer is truncated silently). Returns the bytes received, id included.
  virtual HidResult<size_t> GetFeature(HidHandle handle, std::span<uint8_t> report) = 0;
  // Reads one input report (report id first) into buffer. Waits at most timeoutMs (0: only
  // what is already there, kHidWaitForever: no time-out); stop may be null. Returns the bytes.
  virtual HidResult<size_t> Read(HidHandle handle, std::span<uint8_t> buffer, uint32_t timeoutMs,
                                 HidStopSignal* stop) = 0;
  // Writes one output report (report id first). Returns the bytes written.
  virtual HidResult<size_t> Write(HidHandle handle, std::span<const uint8_t> report) = 0;

  virtual void Close(HidHandle handle) = 0;
};

// The process-wide backend. Until one is installed it is an empty bus: nothing is enumerated and
// every open answers Gone.
HidBackend& GetHidBackend();
void SetHidBackend(HidBackend* backend);  // nullptr restores the empty bus

// Replaces the process backend for one scope (tests, the CLI's --emulate).
class ScopedHidBackend {
 public:
  explicit ScopedHidBackend(HidBackend& backend) : m_prev(&GetHidBackend()) {
    SetHidBackend(&backend);
  }
  ~ScopedHidBackend() { SetHidBackend(m_prev); }
  ScopedHidBackend(const ScopedHidBackend&) = delete;
  ScopedHidBackend& operator=(const ScopedHidBackend&) = delete;

 private:
  HidBackend* m_prev;
};

}  // namespace varnel
