#pragma once
// The one logging entry point of the program and its two back ends. [OPT] Debug: 0 logs nothing,
// 1 writes "QX  " + message to the debugger output (stderr here), 2 or more appends each entry to
// Log.txt in the desktop folder after a newline and the time prefix "%02u:%02u.%03u   ".
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#define VARNEL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

namespace varnel {

using LogBackend = void (*)(const char* fmt, va_list args);

// Installs the back end for the given Debug level: LogToDebugger, and for level >= 2 LogToFile on
// desktopDir/Log.txt (a file larger than 512,000 bytes is emptied first; when it cannot be opened,
// "Open Log failed" goes to the debugger output and the debugger back end stays).
void InstallLogBackend(int debugLevel, const std::filesystem::path& desktopDir);
int LogLevel();
std::filesystem::path LogFilePath();

void LogPrint(const char* fmt, ...) VARNEL_PRINTF(1, 2);
void LogPrintV(const char* fmt, va_list args);
void LogToDebugger(const char* fmt, va_list args);
void LogToFile(const char* fmt, va_list args);

// Where debugger output goes: stderr unless replaced (tests capture it). nullptr restores stderr.
void SetDebuggerOutput(std::function<void(std::string_view)> sink);

// Hex dumps of report bytes through LogPrint: "prefix " then "%02x " per byte, a new line
// (starting with the prefix again) after every perLine bytes (perLine 0: when the 1,024-character
// line is nearly full).
void LogHexDump(const char* prefix, const uint8_t* bytes, size_t count, size_t perLine);
// As LogHexDump with a 512-character line and two blanks after every groupSize-th byte; output
// stops when the line is full.
void LogHexGroups(const char* prefix, const uint8_t* bytes, size_t count, size_t perLine,
                  size_t groupSize);

// The narrow diagnostic collection of keyboard detection: 5,120 bytes, appended to while less
// than half is used, never emptied. Append, Clear and Save may be called from several threads.
class CErrLog {
 public:
  static constexpr size_t kBufferSize = 5120;
  static constexpr size_t kAppendLimit = kBufferSize / 2;  // no appends once this much is used
  void Append(const char* fmt, ...) VARNEL_PRINTF(2, 3);
  std::string_view Text() const { return std::string_view(m_buf, m_nLen); }
  size_t Size() const { return m_nLen; }
  void Clear();
  // Writes the text with every byte + 2 (mod 256) to path, replacing an old file; an empty
  // collection succeeds without writing.
  bool Save(const std::filesystem::path& path) const;

 private:
  mutable std::mutex m_mutex;
  char m_buf[kBufferSize] = {};  // always zero-terminated
  size_t m_nLen = 0;
};

CErrLog& ErrLog();
// Saves the process collection to desktop/ErrLog.dft.
bool SaveErrLog();
std::filesystem::path ErrLogPath();

}  // namespace varnel
