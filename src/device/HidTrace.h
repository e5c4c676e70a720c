#pragma once
// A backend that passes every call to another backend and appends every transfer to a trace
// file, one JSON object per line:
//   {"op":"set_feature","path":"/dev/hidraw3","len":8,"data":"0501000000000000","ok":true}
// op is set_feature, get_feature, read or write; data is the whole report in lower-case hex,
// report id first. Sent reports are traced as sent; received reports as received (len is the
// byte count the backend returned). A failed receive traces the buffer as it was handed over
// (report id first, len its size) with ok false. Each line goes to the file with one append
// write, so lines of several threads or processes never interleave.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "device/HidBackend.h"

namespace varnel {

class HidTrace final : public HidBackend {
 public:
  // Opens (creates, appends to) file. When it cannot be opened, IsOpen is false and every call
  // still goes to the inner backend.
  HidTrace(HidBackend& inner, const std::string& file);
  ~HidTrace() override;
  HidTrace(const HidTrace&) = delete;
  HidTrace& operator=(const HidTrace&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  const std::string& File() const { return m_file; }

  std::vector<HidInterfaceInfo> Enumerate() override;
  HidResult<HidHandle> Open(const std::string& path, HidOpenAccess access) override;
  HidStatus SetFeature(HidHandle handle, std::span<const uint8_t> report) override;
  HidResult<size_t> GetFeature(HidHandle handle, std::span<uint8_t> report) override;
  HidResult<size_t> Read(HidHandle handle, std::span<uint8_t> buffer, uint32_t timeoutMs,
                         HidStopSignal* stop) override;
  HidResult<size_t> Write(HidHandle handle, std::span<const uint8_t> report) override;
  void Close(HidHandle handle) override;

 private:
  std::string PathOf(HidHandle handle) const;
  void Append(std::string_view op, HidHandle handle, std::span<const uint8_t> data, bool ok);

  HidBackend& m_inner;
  std::string m_file;
  int m_fd = -1;
  mutable std::mutex m_mutex;  // guards m_paths and the file writes
  std::map<HidHandle, std::string> m_paths;
};

// One trace line without the newline (exposed for the tests and for other recorders).
std::string FormatHidTraceLine(std::string_view op, std::string_view path,
                               std::span<const uint8_t> data, bool ok);

// The trace file named by VARNEL_TRACE; empty when unset or empty.
std::string HidTraceFileFromEnv();

// A trace around inner when VARNEL_TRACE names a file; nullptr otherwise.
std::unique_ptr<HidTrace> MakeHidTraceFromEnv(HidBackend& inner);

}  // namespace varnel
