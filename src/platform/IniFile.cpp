#include "platform/IniFile.h"

#include <cerrno>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Reading rules, as the Windows private-profile functions apply them:
// - a line is split at CR, LF or CRLF; leading blanks (space, tab, vertical tab) are skipped;
// - ';' starts a comment line; there are no inline comments;
// - '[' starts a section header whose name ends at the first ']' (trimmed, text after ']'
//   ignored); a '[' line without ']' is no header and is read like any other line;
// - any other line with '=' is a key: the name is the text before the first '=' (trimmed), the
//   value the text after it, trimmed of blanks and then stripped of one pair of matching outer
//   quotes (" or '); a line without '=' is not a key;
// - keys before the first section belong to no section and cannot be read;
// - the first of repeated sections is the only one searched (repeated sections are not merged);
//   within it the first of repeated keys wins;
// - section and key names compare case-insensitively; the names asked for are trimmed of spaces
//   only.
// Choices where Windows itself leaves the answer open:
// - GetInt on an empty value gives 0 (no digits), not the default;
// - GetInt reads decimal only: "0x10" gives 0 (its leading digits are "0");
// - a quoted value is unquoted first and then cut to the buffer, so the closing quote never
//   shows up in a truncated result;
// - a new key goes directly after the last key line of its section, so blank lines and comments
//   that follow it stay where they are (after the new key); a section without keys gets it
//   directly after the header line.
// - new lines take the line ending of the file (its first one; CRLF when it has none).

namespace varnel {

namespace {

constexpr std::string_view kBlanks = " \t\v";

std::string_view TrimLeft(std::string_view s, std::string_view set) {
  const size_t b = s.find_first_not_of(set);
  return b == std::string_view::npos ? std::string_view() : s.substr(b);
}

std::string_view TrimRight(std::string_view s, std::string_view set) {
  const size_t e = s.find_last_not_of(set);
  return e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1);
}

std::string_view Trim(std::string_view s, std::string_view set) {
  return TrimRight(TrimLeft(s, set), set);
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name
  std::string_view value;  // raw text after '=' of a key line
};

// One line, without its line ending.
ParsedLine ParseLine(std::string_view line) {
  const std::string_view t = TrimLeft(line, kBlanks);
  if (t.empty() || t.front() == ';') return {};
  if (t.front() == '[') {
    const size_t close = t.find(']');
    if (close != std::string_view::npos)
      return {LineKind::Section, Trim(t.substr(1, close - 1), kBlanks), {}};
  }
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) return {};
  return {LineKind::Key, TrimRight(t.substr(0, eq), kBlanks), t.substr(eq + 1)};
}

std::string_view CleanValue(std::string_view raw) {
  std::string_view v = Trim(raw, kBlanks);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

// Calls f(line) for each line of UTF-8 text, without line endings.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end == text.size()) {
      f(text.substr(pos));
      return;
    }
    f(text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
}

// A line of a file's bytes: content in [begin, contentEnd), line ending in [contentEnd, end).
struct RawLine {
  size_t begin;
  size_t contentEnd;
  size_t end;
};

// Splits a file's bytes (after the BOM) into lines; unit is the size of a code unit (2 for
// UTF-16), so that line endings are found only at code unit boundaries.
std::vector<RawLine> SplitRawLines(std::string_view body, TextEncoding encoding) {
  const bool utf16 = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
  const size_t unit = utf16 ? 2 : 1;
  auto unitAt = [&](size_t off) -> unsigned {
    if (!utf16) return static_cast<unsigned char>(body[off]);
    const auto a = static_cast<unsigned char>(body[off]);
    const auto b = static_cast<unsigned char>(body[off + 1]);
    return encoding == TextEncoding::Utf16Be ? (a << 8 | b) : (b << 8 | a);
  };
  std::vector<RawLine> lines;
  const size_t n = body.size();
  size_t pos = 0;
  while (pos < n) {
    RawLine line{pos, n, n};
    for (size_t cur = pos; cur + unit <= n; cur += unit) {
      const unsigned u = unitAt(cur);
      if (u != '\r' && u != '\n') continue;
      line.contentEnd = cur;
      line.end = cur + unit;
      if (u == '\r' && line.end + unit <= n && unitAt(line.end) == '\n') line.end += unit;
      break;
    }
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

bool StorableName(std::string_view name) {
  if (name.find_first_of("\r\n") != std::string_view::npos) return false;
  return name.empty() || (kBlanks.find(name.front()) == std::string_view::npos &&
                          kBlanks.find(name.back()) == std::string_view::npos);
}

std::atomic<unsigned> g_tempCounter{0};

// Writes bytes to a new file beside target, flushes it to disk and renames it over target. The
// old file stays as it was when anything fails. The new file gets the old one's mode, or the
// default mode (0666 less the umask) when there was none.
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                 std::optional<mode_t> oldMode) {
  const mode_t mode = oldMode.value_or(0666);
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    // A short name of its own, so that a long file name cannot make it too long.
    std::string name = ".varnel-";
    name += std::to_string(getpid());
    name += '.';
    name += std::to_string(g_tempCounter++);
    name += ".tmp";
    tmp = (dir / name).string();
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  if (oldMode) ok = ok && ::fchmod(fd, *oldMode) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  // Make the rename itself durable; the new file is in place either way.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

}  // namespace

IniFile IniFile::Load(const std::filesystem::path& path) {
  const auto bytes = ReadFileBytes(path.string());
  if (!bytes) return IniFile();
  return FromBytes(*bytes);
}

IniFile IniFile::FromBytes(std::string_view bytes) {
  IniFile ini;
  ini.m_exists = true;
  const DecodedText text = DecodeText(bytes);
  Section* current = nullptr;
  ForEachLine(text.utf8, [&](std::string_view line) {
    const ParsedLine p = ParseLine(line);
    if (p.kind == LineKind::Section) {
      // Repeated sections are kept too; lookups stop at the first one of a name.
      current = &ini.m_sections.emplace_back();
      current->name = p.name;
    } else if (p.kind == LineKind::Key && current) {
      current->entries.push_back({std::string(p.name), std::string(CleanValue(p.value))});
    }
  });
  return ini;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  name = Trim(name, " ");
  for (const Section& s : m_sections)
    if (EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

const std::string* IniFile::FindValue(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  key = Trim(key, " ");
  for (const Entry& e : s->entries)
    if (EqualsNoCase(e.key, key)) return &e.value;
  return nullptr;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  if (const std::string* v = FindValue(section, key)) return *v;
  return std::nullopt;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view def, size_t bufferChars) const {
  if (bufferChars == 0) return {};
  const std::string* v = FindValue(section, key);
  return TruncateChars(v ? std::string_view(*v) : TrimRight(def, " "), bufferChars - 1);
}

uint32_t IniFile::GetInt(std::string_view section, std::string_view key, int32_t def) const {
  const std::string* v = FindValue(section, key);
  if (!v) return static_cast<uint32_t>(def);
  std::string_view s = TrimLeft(*v, kBlanks);  // blanks may remain inside quotes
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  uint32_t n = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') break;
    n = n * 10u + static_cast<uint32_t>(c - '0');  // wraps modulo 2^32
  }
  return negative ? 0u - n : n;
}

std::optional<std::string> SetProfileString(std::string_view fileBytes, std::string_view section,
                                            std::string_view key, std::string_view value) {
  section = Trim(section, " ");
  key = Trim(key, " ");
  if (!StorableName(section) || section.find(']') != std::string_view::npos) return std::nullopt;
  if (!StorableName(key) || key.find('=') != std::string_view::npos) return std::nullopt;
  if (!key.empty() && (key.front() == ';' || key.front() == '[')) return std::nullopt;
  if (value.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;

  const TextEncoding encoding =
      fileBytes.empty() ? TextEncoding::Utf8 : DecodeText(fileBytes).encoding;
  size_t bomSize = 0;
  if (encoding == TextEncoding::Utf8Bom) bomSize = 3;
  if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) bomSize = 2;
  std::string_view body = fileBytes.substr(bomSize);
  // A UTF-16 file cut in the middle of a code unit: the dangling byte reads as U+FFFD, so it is
  // written as a whole U+FFFD, which keeps what follows it aligned and the text unchanged.
  std::string mended;
  const bool utf16 = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
  if (utf16 && body.size() % 2 != 0) {
    mended = std::string(body.substr(0, body.size() - 1)) + EncodeWith("\xEF\xBF\xBD", encoding);
    body = mended;
  }
  const std::vector<RawLine> lines = SplitRawLines(body, encoding);

  std::string eol = EncodeWith("\r\n", encoding);
  for (const RawLine& l : lines) {
    if (l.end > l.contentEnd) {
      eol = body.substr(l.contentEnd, l.end - l.contentEnd);
      break;
    }
  }

  // Find the first section of the name and, in it, the key or the last key line.
  std::optional<size_t> sectionLine, keyLine, lastKeyLine;
  std::string keyText;  // the decoded line of the key found
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string text =
        DecodeWith(body.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin), encoding);
    const ParsedLine p = ParseLine(text);
    if (p.kind == LineKind::Section) {
      if (sectionLine) break;
      if (EqualsNoCase(p.name, section)) sectionLine = i;
    } else if (p.kind == LineKind::Key && sectionLine) {
      if (EqualsNoCase(p.name, key)) {
        keyLine = i;
        keyText = std::move(text);
        break;
      }
      lastKeyLine = i;
    }
  }

  std::string out(fileBytes.substr(0, bomSize));
  out.reserve(fileBytes.size() + eol.size() * 3 + (section.size() + key.size() + value.size()) * 2);
  const std::string newKeyLine = EncodeWith(std::string(key) + "=" + std::string(value), encoding);
  if (keyLine) {
    // Keep the line up to its first '=' (the existing spelling of the name) and its line ending.
    const RawLine& l = lines[*keyLine];
    out.append(body.substr(0, l.begin));
    const std::string kept = keyText.substr(0, keyText.find('=') + 1);
    out += EncodeWith(kept + std::string(value), encoding);
    out.append(body.substr(l.contentEnd));
  } else if (sectionLine) {
    const RawLine& l = lines[lastKeyLine.value_or(*sectionLine)];
    out.append(body.substr(0, l.end));
    if (l.end == l.contentEnd) out += eol;
    out += newKeyLine + eol;
    out.append(body.substr(l.end));
  } else {
    out.append(body);
    if (!lines.empty() && lines.back().end == lines.back().contentEnd) out += eol;
    out += EncodeWith("[" + std::string(section) + "]", encoding) + eol + newKeyLine + eol;
  }
  return out;
}

bool WriteProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value) {
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) {
    // Replace the file the link points to, not the link.
    const auto resolved = std::filesystem::weakly_canonical(target, ec);
    if (ec) return false;
    target = resolved;
  }
  std::string bytes;
  std::optional<mode_t> mode;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    auto old = ReadFileBytes(target.string());
    if (!old) return false;
    bytes = std::move(*old);
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return false;
  }
  const auto updated = SetProfileString(bytes, section, key, value);
  if (!updated) return false;
  return ReplaceFile(target, *updated, mode);
}

}  // namespace varnel
