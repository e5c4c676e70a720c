#include "device/HidBackend.h"

#include <atomic>

namespace varnel {

const char* HidStatusName(HidStatus status) {
  switch (status) {
    case HidStatus::Ok: return "ok";
    case HidStatus::Gone: return "gone";
    case HidStatus::AccessDenied: return "access denied";
    case HidStatus::IoError: return "io error";
    case HidStatus::Timeout: return "timeout";
    case HidStatus::Stopped: return "stopped";
  }
  return "unknown";
}

void HidStopSignal::Trigger() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_triggered = true;
  for (auto& waker : m_wakers) waker();
}

void HidStopSignal::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_triggered = false;
}

bool HidStopSignal::IsTriggered() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_triggered;
}

HidStopSignal::Subscription::Subscription(HidStopSignal* signal, std::function<void()> waker)
    : m_signal(signal) {
  if (!m_signal) return;
  std::lock_guard<std::mutex> lock(m_signal->m_mutex);
  m_it = m_signal->m_wakers.insert(m_signal->m_wakers.end(), std::move(waker));
  if (m_signal->m_triggered) (*m_it)();
}

HidStopSignal::Subscription::~Subscription() {
  if (!m_signal) return;
  std::lock_guard<std::mutex> lock(m_signal->m_mutex);
  m_signal->m_wakers.erase(m_it);
}

namespace {

// The bus before any backend is installed: nothing present.
class EmptyHidBackend final : public HidBackend {
 public:
  std::vector<HidInterfaceInfo> Enumerate() override { return {}; }
  HidResult<HidHandle> Open(const std::string&, HidOpenAccess) override {
    return {HidStatus::Gone, kNullHidHandle};
  }
  HidStatus SetFeature(HidHandle, std::span<const uint8_t>) override { return HidStatus::Gone; }
  HidResult<size_t> GetFeature(HidHandle, std::span<uint8_t>) override {
    return {HidStatus::Gone, 0};
  }
  HidResult<size_t> Read(HidHandle, std::span<uint8_t>, uint32_t, HidStopSignal*) override {
    return {HidStatus::Gone, 0};
  }
  HidResult<size_t> Write(HidHandle, std::span<const uint8_t>) override {
    return {HidStatus::Gone, 0};
  }
  void Close(HidHandle) override {}
};

EmptyHidBackend g_emptyBackend;
std::atomic<HidBackend*> g_backend{&g_emptyBackend};

}  // namespace

HidBackend& GetHidBackend() { return *g_backend.load(); }
void SetHidBackend(HidBackend* backend) { g_backend.store(backend ? backend : &g_emptyBackend); }

}  // namespace varnel
