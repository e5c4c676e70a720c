#include "platform/TextCodec.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";


// One UTF-8 character at the start of s. Returns the bytes it takes and sets valid; an invalid
// sequence takes its longest valid-looking prefix (at least one byte), so that it becomes a single
// U+FFFD as Unicode recommends.
size_t NextUtf8(std::string_view s, char32_t& cp, bool& valid) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  valid = false;
  if (b0 < 0x80) {
    cp = b0;
    valid = true;
    return 1;
  }
  size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;       // overlong
    if (b0 == 0xED) hi = 0x9F;       // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;       // overlong
    if (b0 == 0xF4) hi = 0x8F;       // above U+10FFFF
  } else {
    return 1;
  }
  for (size_t i = 1; i <= need; ++i) {
    if (i >= s.size()) return i;
    const auto b = static_cast<unsigned char>(s[i]);
    const unsigned char l = i == 1 ? lo : 0x80;
    const unsigned char h = i == 1 ? hi : 0xBF;
    if (b < l || b > h) return i;
    cp = (cp << 6) | (b & 0x3F);
  }
  valid = true;
  return need + 1;
}

// UTF-8 with every invalid sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    char32_t cp;
    bool valid;
    const size_t n = NextUtf8(s.substr(i), cp, valid);
    if (valid)
      out.append(s.substr(i, n));
    else
      AppendUtf8(out, kReplacement);
    i += n;
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  auto unitAt = [&](size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  for (size_t i = 0; i < units; ++i) {
    const char32_t u = unitAt(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char32_t low = unitAt(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  if (bytes.size() % 2 != 0) AppendUtf8(out, kReplacement);  // a dangling half unit
  return out;
}

std::string EncodeUtf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  out.reserve(utf8.size() * 2);
  auto put = [&](char32_t u) {
    const char hiByte = static_cast<char>(u >> 8);
    const char loByte = static_cast<char>(u & 0xFF);
    if (bigEndian) {
      out += hiByte;
      out += loByte;
    } else {
      out += loByte;
      out += hiByte;
    }
  };
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    bool valid;
    i += NextUtf8(utf8.substr(i), cp, valid);
    if (!valid) cp = kReplacement;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : m_cd(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in. With a replacement, input that cannot be converted is replaced and the
  // conversion goes on (skip tells how many input bytes to drop); without one it fails.
  std::optional<std::string> Run(std::string_view in, const std::string* replacement,
                                 size_t (*skip)(std::string_view rest)) {
    std::string out;
    out.resize(in.size() * 2 + 16);
    size_t used = 0;
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    bool flushing = false;
    for (;;) {
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      const size_t r = flushing ? iconv(m_cd, nullptr, nullptr, &dst, &dstLeft)
                                : iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
      const int err = errno;
      used = out.size() - dstLeft;
      if (r != static_cast<size_t>(-1)) {
        if (flushing) break;
        flushing = true;  // the rest of a shift state, for stateful charsets
        continue;
      }
      if (err == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      if ((err == EILSEQ || err == EINVAL) && replacement && !flushing) {
        out.resize(used);
        out += *replacement;
        used = out.size();
        out.resize(used + srcLeft * 2 + 16);
        const size_t n = err == EINVAL ? srcLeft : skip(std::string_view(src, srcLeft));
        src += n;
        srcLeft -= n;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        continue;
      }
      return std::nullopt;
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t m_cd;
};

size_t SkipOneByte(std::string_view) { return 1; }

size_t SkipOneUtf8Char(std::string_view rest) {
  char32_t cp;
  bool valid;
  return NextUtf8(rest, cp, valid);
}

// The iconv name of a code page: Windows numbers ("936") become "CP936".
std::string IconvName(std::string name) {
  const bool digits = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
  return digits ? "CP" + name : name;
}

std::string DecodeLegacy(std::string_view bytes) {
  const std::string replacement = "\xEF\xBF\xBD";
  for (const std::string& page : {IconvName(LegacyCodePage()), std::string("GB18030")}) {
    Converter conv("UTF-8", page);
    if (!conv.ok()) continue;
    if (auto out = conv.Run(bytes, &replacement, SkipOneByte)) return SanitizeUtf8(*out);
  }
  // No usable code page at all: keep ASCII.
  std::string out;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80)
      out += c;
    else
      out += replacement;
  }
  return out;
}

std::string EncodeLegacy(std::string_view utf8) {
  const std::string clean = SanitizeUtf8(utf8);
  const std::string replacement = "?";
  for (const std::string& page : {IconvName(LegacyCodePage()), std::string("GB18030")}) {
    Converter conv(page, "UTF-8");
    if (!conv.ok()) continue;
    if (auto out = conv.Run(clean, &replacement, SkipOneUtf8Char)) return *out;
  }
  std::string out;
  for (const char c : clean) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out += c;
    else if (b >= 0xC0)
      out += '?';
  }
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

DecodedText DecodeText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
    return {DecodeUtf16(bytes.substr(2), false), TextEncoding::Utf16Le};
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
    return {DecodeUtf16(bytes.substr(2), true), TextEncoding::Utf16Be};
  if (bytes.substr(0, 3) == kUtf8Bom) return {SanitizeUtf8(bytes.substr(3)), TextEncoding::Utf8Bom};
  if (IsValidUtf8(bytes)) return {std::string(bytes), TextEncoding::Utf8};
  return {DecodeLegacy(bytes), TextEncoding::Legacy};
}

std::string DecodeWith(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf16Le: return DecodeUtf16(bytes, false);
    case TextEncoding::Utf16Be: return DecodeUtf16(bytes, true);
    case TextEncoding::Legacy: return DecodeLegacy(bytes);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: break;
  }
  return IsValidUtf8(bytes) ? std::string(bytes) : SanitizeUtf8(bytes);
}

std::string EncodeWith(std::string_view utf8, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf16Le: return EncodeUtf16(utf8, false);
    case TextEncoding::Utf16Be: return EncodeUtf16(utf8, true);
    case TextEncoding::Legacy: return EncodeLegacy(utf8);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: break;
  }
  return IsValidUtf8(utf8) ? std::string(utf8) : SanitizeUtf8(utf8);
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding) {
  std::string bom;
  switch (encoding) {
    case TextEncoding::Utf16Le: bom = "\xFF\xFE"; break;
    case TextEncoding::Utf16Be: bom = "\xFE\xFF"; break;
    case TextEncoding::Utf8Bom: bom = kUtf8Bom; break;
    case TextEncoding::Utf8:
    case TextEncoding::Legacy: break;
  }
  return bom + EncodeWith(utf8, encoding);
}

std::optional<std::string> ConvertToUtf8(std::string_view bytes, std::string_view charset) {
  Converter conv("UTF-8", std::string(charset));
  if (!conv.ok()) return std::nullopt;
  auto out = conv.Run(bytes, nullptr, nullptr);
  if (!out || !IsValidUtf8(*out)) return std::nullopt;
  return out;
}

std::optional<std::string> ConvertFromUtf8(std::string_view utf8, std::string_view charset) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  Converter conv(std::string(charset), "UTF-8");
  if (!conv.ok()) return std::nullopt;
  return conv.Run(utf8, nullptr, nullptr);
}

std::string LegacyCodePage() {
  const char* env = std::getenv("VARNEL_CODEPAGE");
  return env && *env ? std::string(env) : std::string("GB18030");
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {  // fast path for ASCII runs
      ++i;
      continue;
    }
    char32_t cp;
    bool valid;
    i += NextUtf8(s.substr(i), cp, valid);
    if (!valid) return false;
  }
  return true;
}

std::string TruncateChars(std::string_view utf8, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (chars == maxChars) return std::string(utf8.substr(0, i));
    ++chars;
  }
  return std::string(utf8);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    data.reserve(static_cast<size_t>(st.st_size));
  char buf[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace varnel
