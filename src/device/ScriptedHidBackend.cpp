#include "device/ScriptedHidBackend.h"

#include <algorithm>

namespace varnel {

void ScriptedHidBackend::AddInterface(HidInterfaceInfo info) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!info.path.empty()) UnplugLocked(info.path);
  m_scripts[info.path];  // a script exists for every path that was ever plugged in
  auto iface = std::make_shared<Iface>();
  iface->info = std::move(info);
  m_ifaces.push_back(std::move(iface));
}

void ScriptedHidBackend::UnplugLocked(const std::string& path) {
  for (auto& iface : m_ifaces)
    if (path.empty() || iface->info.path == path) iface->present = false;
  std::erase_if(m_ifaces, [](const std::shared_ptr<Iface>& i) { return !i->present; });
  m_changed.notify_all();
}

void ScriptedHidBackend::Unplug(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  UnplugLocked(path);
}

void ScriptedHidBackend::DenyAccess(const std::string& path, bool deny) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_scripts[path].denied = deny;
}

void ScriptedHidBackend::OnGetFeature(const std::string& path, uint8_t reportId, GetFeatureFn fn) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_scripts[path].getFeature[reportId] = std::move(fn);
}

void ScriptedHidBackend::OnSetFeature(const std::string& path, uint8_t reportId, ReceiveFn fn) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_scripts[path].setFeature[reportId] = std::move(fn);
}

void ScriptedHidBackend::OnWrite(const std::string& path, ReceiveFn fn) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_scripts[path].write = std::move(fn);
}

void ScriptedHidBackend::QueueInput(const std::string& path, std::vector<uint8_t> report) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripts[path].input.push_back(std::move(report));
  }
  m_changed.notify_all();
}

void ScriptedHidBackend::FailTransfer(size_t n, HidStatus status, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_faults.push_back({Fault::Nth, n, status, path});
}

void ScriptedHidBackend::FailAlways(HidStatus status, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_faults.push_back({Fault::Always, 0, status, path});
}

void ScriptedHidBackend::UnplugAtTransfer(size_t k, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_faults.push_back({Fault::UnplugAt, k, HidStatus::Gone, path});
}

void ScriptedHidBackend::ClearFaults() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_faults.clear();
}

size_t ScriptedHidBackend::TransferCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_transfers;
}

std::vector<ScriptedTransfer> ScriptedHidBackend::Transfers() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_log;
}

size_t ScriptedHidBackend::OpenHandleCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_handles.size();
}

std::vector<HidInterfaceInfo> ScriptedHidBackend::Enumerate() {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<HidInterfaceInfo> out;
  out.reserve(m_ifaces.size());
  for (const auto& iface : m_ifaces) out.push_back(iface->info);
  return out;
}

HidResult<HidHandle> ScriptedHidBackend::Open(const std::string& path, HidOpenAccess access) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto it = std::find_if(m_ifaces.begin(), m_ifaces.end(),
                               [&](const auto& i) { return i->info.path == path; });
  if (it == m_ifaces.end()) return {HidStatus::Gone, kNullHidHandle};
  if (m_scripts[path].denied) return {HidStatus::AccessDenied, kNullHidHandle};
  const HidHandle h = m_nextHandle++;
  m_handles[h] = Handle{*it, access};
  return {HidStatus::Ok, h};
}

void ScriptedHidBackend::Close(HidHandle handle) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handles.erase(handle);
  }
  m_changed.notify_all();
}

HidStatus ScriptedHidBackend::BeginTransfer(HidHandle handle, HidOpenAccess needed,
                                            std::shared_ptr<Iface>* iface) {
  const auto it = m_handles.find(handle);
  if (it == m_handles.end()) return HidStatus::Gone;
  *iface = it->second.iface;
  const std::string& path = (*iface)->info.path;
  if (!(*iface)->present) return HidStatus::Gone;
  const size_t all = ++m_transfers;
  const size_t own = ++m_pathTransfers[path];
  for (const Fault& f : m_faults) {
    const bool forPath = f.path.empty() || f.path == path;
    const size_t count = f.path.empty() ? all : own;
    if (!forPath) continue;
    if (f.kind == Fault::UnplugAt && count == f.n) {
      UnplugLocked(f.path);
      return HidStatus::Gone;
    }
    if (f.kind == Fault::Nth && count == f.n) return f.status;
    if (f.kind == Fault::Always) return f.status;
  }
  if (!HasAccess(it->second.access, needed)) return HidStatus::AccessDenied;
  return HidStatus::Ok;
}

void ScriptedHidBackend::Record(const char* op, const std::string& path,
                                std::span<const uint8_t> data, HidStatus status) {
  m_log.push_back({op, path, std::vector<uint8_t>(data.begin(), data.end()), status});
}

HidStatus ScriptedHidBackend::SetFeature(HidHandle handle, std::span<const uint8_t> report) {
  std::unique_lock<std::mutex> lock(m_mutex);
  std::shared_ptr<Iface> iface;
  HidStatus s = BeginTransfer(handle, HidOpenAccess::None, &iface);
  const std::string path = iface ? iface->info.path : std::string();
  if (s == HidStatus::Ok && (report.empty() || iface->info.featureLen == 0)) s = HidStatus::IoError;
  if (s == HidStatus::Ok) {
    ReceiveFn fn;
    const Script& script = m_scripts[path];
    if (const auto f = script.setFeature.find(report[0]); f != script.setFeature.end()) fn = f->second;
    if (fn) {
      lock.unlock();
      s = fn(report);
      lock.lock();
    }
  }
  Record("set_feature", path, report, s);
  return s;
}

HidResult<size_t> ScriptedHidBackend::GetFeature(HidHandle handle, std::span<uint8_t> report) {
  std::unique_lock<std::mutex> lock(m_mutex);
  std::shared_ptr<Iface> iface;
  HidStatus s = BeginTransfer(handle, HidOpenAccess::None, &iface);
  const std::string path = iface ? iface->info.path : std::string();
  if (s == HidStatus::Ok && (report.empty() || iface->info.featureLen == 0)) s = HidStatus::IoError;
  if (s == HidStatus::Ok) {
    GetFeatureFn fn;
    const Script& script = m_scripts[path];
    if (const auto f = script.getFeature.find(report[0]); f != script.getFeature.end()) fn = f->second;
    if (fn) {
      std::fill(report.begin() + 1, report.end(), uint8_t{0});
      lock.unlock();
      s = fn(report);
      lock.lock();
    } else {
      s = HidStatus::IoError;
    }
  }
  Record("get_feature", path, s == HidStatus::Ok ? std::span<const uint8_t>(report)
                                                 : std::span<const uint8_t>(), s);
  return {s, s == HidStatus::Ok ? report.size() : 0};
}

HidResult<size_t> ScriptedHidBackend::Read(HidHandle handle, std::span<uint8_t> buffer,
                                           uint32_t timeoutMs, HidStopSignal* stop) {
  bool stopped = false;  // set by the waker under m_mutex
  // Declared before the lock, so the subscription ends after the lock is released.
  HidStopSignal::Subscription subscription(stop, [this, &stopped] {
    {
      std::lock_guard<std::mutex> guard(m_mutex);
      stopped = true;
    }
    m_changed.notify_all();
  });
  std::unique_lock<std::mutex> lock(m_mutex);
  std::shared_ptr<Iface> iface;
  HidStatus s = BeginTransfer(handle, HidOpenAccess::Read, &iface);
  const std::string path = iface ? iface->info.path : std::string();
  if (s == HidStatus::Ok && buffer.empty()) s = HidStatus::IoError;
  size_t got = 0;
  while (s == HidStatus::Ok) {
    const auto h = m_handles.find(handle);
    if (!iface->present || h == m_handles.end() || h->second.iface != iface) {
      s = HidStatus::Gone;
      break;
    }
    if (stopped) {
      s = HidStatus::Stopped;
      break;
    }
    auto& queue = m_scripts[path].input;
    if (!queue.empty()) {
      const std::vector<uint8_t> report = std::move(queue.front());
      queue.pop_front();
      got = std::min(report.size(), buffer.size());
      std::copy_n(report.begin(), got, buffer.begin());
      break;
    }
    if (timeoutMs != kHidWaitForever) {
      s = HidStatus::Timeout;
      break;
    }
    m_changed.wait(lock);
  }
  Record("read", path, buffer.first(got), s);
  return {s, got};
}

HidResult<size_t> ScriptedHidBackend::Write(HidHandle handle, std::span<const uint8_t> report) {
  std::unique_lock<std::mutex> lock(m_mutex);
  std::shared_ptr<Iface> iface;
  HidStatus s = BeginTransfer(handle, HidOpenAccess::Write, &iface);
  const std::string path = iface ? iface->info.path : std::string();
  if (s == HidStatus::Ok && (report.empty() || iface->info.outputLen == 0)) s = HidStatus::IoError;
  if (s == HidStatus::Ok) {
    ReceiveFn fn = m_scripts[path].write;
    if (fn) {
      lock.unlock();
      s = fn(report);
      lock.lock();
    }
  }
  Record("write", path, report, s);
  return {s, s == HidStatus::Ok ? report.size() : 0};
}

}  // namespace varnel
