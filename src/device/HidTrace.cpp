#include "device/HidTrace.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/Log.h"

namespace varnel {
namespace {

void AppendHex(std::string& out, std::span<const uint8_t> data) {
  static const char kDigits[] = "0123456789abcdef";
  for (uint8_t b : data) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
}

// Length of the valid UTF-8 sequence at s[i], 0 when the bytes there are not one.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(i);
  size_t n = 0;
  uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((at(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (at(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

// A JSON string literal. Bytes that are not valid UTF-8 (a Linux path may hold any bytes)
// become U+FFFD, so that every line stays valid JSON.
void AppendJsonString(std::string& out, std::string_view s) {
  static const char kDigits[] = "0123456789abcdef";
  out += '"';
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
          } else {
            out += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    const size_t n = Utf8SequenceLength(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  out += '"';
}

}  // namespace

std::string FormatHidTraceLine(std::string_view op, std::string_view path,
                               std::span<const uint8_t> data, bool ok) {
  std::string line;
  line.reserve(64 + path.size() + 2 * data.size());
  line += "{\"op\":";
  AppendJsonString(line, op);
  line += ",\"path\":";
  AppendJsonString(line, path);
  line += ",\"len\":";
  line += std::to_string(data.size());
  line += ",\"data\":\"";
  AppendHex(line, data);
  line += "\",\"ok\":";
  line += ok ? "true" : "false";
  line += '}';
  return line;
}

std::string HidTraceFileFromEnv() {
  const char* v = std::getenv("VARNEL_TRACE");
  return v ? std::string(v) : std::string();
}

std::unique_ptr<HidTrace> MakeHidTraceFromEnv(HidBackend& inner) {
  const std::string file = HidTraceFileFromEnv();
  if (file.empty()) return nullptr;
  return std::make_unique<HidTrace>(inner, file);
}

HidTrace::HidTrace(HidBackend& inner, const std::string& file) : m_inner(inner), m_file(file) {
  m_fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (m_fd < 0) LogPrint("HID trace: cannot open %s (errno %d)", file.c_str(), errno);
}

HidTrace::~HidTrace() {
  if (m_fd >= 0) ::close(m_fd);
}

std::vector<HidInterfaceInfo> HidTrace::Enumerate() { return m_inner.Enumerate(); }

HidResult<HidHandle> HidTrace::Open(const std::string& path, HidOpenAccess access) {
  HidResult<HidHandle> r = m_inner.Open(path, access);
  if (r.ok() && r.value != kNullHidHandle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paths[r.value] = path;
  }
  return r;
}

void HidTrace::Close(HidHandle handle) {
  m_inner.Close(handle);
  std::lock_guard<std::mutex> lock(m_mutex);
  m_paths.erase(handle);
}

std::string HidTrace::PathOf(HidHandle handle) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto it = m_paths.find(handle);
  return it == m_paths.end() ? std::string() : it->second;
}

void HidTrace::Append(std::string_view op, HidHandle handle, std::span<const uint8_t> data,
                      bool ok) {
  if (m_fd < 0) return;
  std::string line = FormatHidTraceLine(op, PathOf(handle), data, ok);
  line += '\n';
  std::lock_guard<std::mutex> lock(m_mutex);
  // O_APPEND makes each write land at the end as one piece; loop only on a short write.
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(m_fd, line.data() + done, line.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    done += static_cast<size_t>(n);
  }
}

HidStatus HidTrace::SetFeature(HidHandle handle, std::span<const uint8_t> report) {
  const HidStatus s = m_inner.SetFeature(handle, report);
  Append("set_feature", handle, report, s == HidStatus::Ok);
  return s;
}

HidResult<size_t> HidTrace::GetFeature(HidHandle handle, std::span<uint8_t> report) {
  // On failure the buffer as handed over is traced, not what a failing backend left in it.
  const std::vector<uint8_t> asked(report.begin(), report.end());
  const HidResult<size_t> r = m_inner.GetFeature(handle, report);
  if (r.ok())
    Append("get_feature", handle, report.first(std::min(r.value, report.size())), true);
  else
    Append("get_feature", handle, asked, false);
  return r;
}

HidResult<size_t> HidTrace::Read(HidHandle handle, std::span<uint8_t> buffer, uint32_t timeoutMs,
                                 HidStopSignal* stop) {
  const std::vector<uint8_t> asked(buffer.begin(), buffer.end());
  const HidResult<size_t> r = m_inner.Read(handle, buffer, timeoutMs, stop);
  if (r.ok())
    Append("read", handle, buffer.first(std::min(r.value, buffer.size())), true);
  else
    Append("read", handle, asked, false);
  return r;
}

HidResult<size_t> HidTrace::Write(HidHandle handle, std::span<const uint8_t> report) {
  const HidResult<size_t> r = m_inner.Write(handle, report);
  Append("write", handle, report, r.ok());
  return r;
}

}  // namespace varnel
