#include "platform/Log.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/Paths.h"

namespace varnel {

namespace {

constexpr off_t kMaxLogBytes = 512000;     // a larger Log.txt is emptied when logging starts
constexpr size_t kDebuggerChars = 511;     // characters of one message on the debugger output
constexpr size_t kHexDumpLine = 1024;      // line buffer of LogHexDump
constexpr size_t kHexGroupsLine = 512;     // line buffer of LogHexGroups

std::atomic<int> g_level{0};
std::atomic<LogBackend> g_backend{&LogToDebugger};

// The log path is set by InstallLogBackend; entries of different threads are written one at a
// time under this lock (and with O_APPEND, so other processes cannot tear them either).
std::mutex g_fileMutex;
std::filesystem::path g_logPath;

std::mutex g_sinkMutex;
std::function<void(std::string_view)> g_sink;

std::string FormatV(const char* fmt, va_list args) {
  if (!fmt) return {};
  char small[512];
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string out(static_cast<size_t>(n) + 1, '\0');
  va_copy(copy, args);
  std::vsnprintf(out.data(), out.size(), fmt, copy);
  va_end(copy);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string Format(const char* fmt, ...) VARNEL_PRINTF(1, 2);
std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string s = FormatV(fmt, args);
  va_end(args);
  return s;
}

// The first maxChars characters of UTF-8 text, never splitting a character.
void CutToChars(std::string& s, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (chars == maxChars) {
        s.resize(i);
        return;
      }
      ++chars;
    }
  }
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void EmitToDebugger(std::string_view text) {
  std::lock_guard lock(g_sinkMutex);
  if (g_sink) {
    g_sink(text);
    return;
  }
  std::string line(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  WriteAll(STDERR_FILENO, line.data(), line.size());
}

void DebuggerLine(const char* fmt, ...) VARNEL_PRINTF(1, 2);
void DebuggerLine(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  LogToDebugger(fmt, args);
  va_end(args);
}

int OpenLogForAppend(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

}  // namespace

void InstallLogBackend(int debugLevel, const std::filesystem::path& desktopDir) {
  g_level.store(debugLevel);
  {
    std::lock_guard lock(g_fileMutex);
    g_logPath = desktopDir / "Log.txt";
  }
  g_backend.store(&LogToDebugger);
  if (debugLevel < 2) return;

  const int fd = OpenLogForAppend(LogFilePath());
  if (fd < 0) {
    DebuggerLine("Open Log failed");
    return;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > kMaxLogBytes) {
    if (::ftruncate(fd, 0) != 0) DebuggerLine("Open Log failed");
  }
  ::close(fd);
  g_backend.store(&LogToFile);
}

int LogLevel() { return g_level.load(); }

std::filesystem::path LogFilePath() {
  std::lock_guard lock(g_fileMutex);
  return g_logPath;
}

void LogPrint(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  LogPrintV(fmt, args);
  va_end(args);
}

void LogPrintV(const char* fmt, va_list args) { g_backend.load()(fmt, args); }

void LogToDebugger(const char* fmt, va_list args) {
  if (g_level.load() == 0) return;
  std::string msg = FormatV(fmt, args);
  CutToChars(msg, kDebuggerChars);
  std::string text("QX  ");
  text.append(msg);
  EmitToDebugger(text);
}

void LogToFile(const char* fmt, va_list args) {
  if (g_level.load() == 0) return;
  const LocalTime t = GetClock().Local();
  std::string entry = Format("\n%02u:%02u.%03u   ", static_cast<unsigned>(t.minute),
                             static_cast<unsigned>(t.second),
                             static_cast<unsigned>(t.millisecond));
  entry += FormatV(fmt, args);

  bool ok = false;
  {
    std::lock_guard lock(g_fileMutex);
    const int fd = OpenLogForAppend(g_logPath);
    if (fd >= 0) {
      ok = WriteAll(fd, entry.data(), entry.size());
      ::close(fd);
    }
  }
  if (!ok) DebuggerLine("Open Log failed");
}

void SetDebuggerOutput(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(g_sinkMutex);
  g_sink = std::move(sink);
}

void LogHexDump(const char* prefix, const uint8_t* bytes, size_t count, size_t perLine) {
  if (LogLevel() == 0 || !bytes || count == 0) return;
  // The prefix is cut so that a line always has room for at least one byte.
  std::string head(prefix ? prefix : "");
  if (head.size() > kHexDumpLine - 6) head.resize(kHexDumpLine - 6);
  head += ' ';

  std::string line = head;
  size_t inLine = 0;
  for (size_t i = 0; i < count; ++i) {
    if (line.size() + 3 > kHexDumpLine - 1) {  // nearly full: emit and go on in a new line
      LogPrint("%s", line.c_str());
      line = head;
      inLine = 0;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x ", bytes[i]);
    line += hex;
    ++inLine;
    if (perLine > 0 && inLine == perLine) {
      LogPrint("%s", line.c_str());
      line = head;
      inLine = 0;
    }
  }
  if (inLine > 0) LogPrint("%s", line.c_str());
}

void LogHexGroups(const char* prefix, const uint8_t* bytes, size_t count, size_t perLine,
                  size_t groupSize) {
  if (LogLevel() == 0 || !bytes || count == 0) return;
  std::string head(prefix ? prefix : "");
  if (head.size() > kHexGroupsLine - 6) head.resize(kHexGroupsLine - 6);
  head += ' ';

  std::string line = head;
  size_t inLine = 0;
  for (size_t i = 0; i < count; ++i) {
    const bool groupEnd = groupSize > 0 && (i + 1) % groupSize == 0;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02x%s", bytes[i], groupEnd ? "  " : " ");
    // A full line takes no more bytes until it is emitted.
    if (line.size() + std::strlen(hex) <= kHexGroupsLine - 1) line += hex;
    ++inLine;
    if (perLine > 0 && inLine == perLine) {
      LogPrint("%s", line.c_str());
      line = head;
      inLine = 0;
    }
  }
  if (inLine > 0) LogPrint("%s", line.c_str());
}

void CErrLog::Append(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text(1, '\n');
  text.append(FormatV(fmt, args));
  va_end(args);

  std::lock_guard lock(m_mutex);
  if (m_nLen >= kAppendLimit) return;
  const size_t room = kBufferSize - 1 - m_nLen;  // one byte stays for the terminator
  const size_t n = text.size() < room ? text.size() : room;
  std::memcpy(m_buf + m_nLen, text.data(), n);
  m_nLen += n;
  m_buf[m_nLen] = '\0';
}

void CErrLog::Clear() {
  std::lock_guard lock(m_mutex);
  m_nLen = 0;
  m_buf[0] = '\0';
}

bool CErrLog::Save(const std::filesystem::path& path) const {
  std::string data;
  {
    std::lock_guard lock(m_mutex);
    if (m_nLen == 0) return true;
    data.assign(m_buf, ::strnlen(m_buf, m_nLen));
  }
  for (char& c : data) c = static_cast<char>(static_cast<unsigned char>(c) + 2);

  // Written beside the target and renamed over it, so an old dump is replaced only by a
  // complete new one.
  static std::atomic<unsigned> counter{0};
  std::filesystem::path tmp = path;
  tmp += Format(".tmp.%ld.%u", static_cast<long>(::getpid()), counter.fetch_add(1));
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data.data(), data.size());
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

CErrLog& ErrLog() {
  static CErrLog instance;
  return instance;
}

std::filesystem::path ErrLogPath() { return DesktopDir() / "ErrLog.dft"; }

bool SaveErrLog() { return ErrLog().Save(ErrLogPath()); }

}  // namespace varnel
