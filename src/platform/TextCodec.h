#pragma once
// Text files of this program (INI files, language files) come as UTF-16LE/BE with BOM, UTF-8 with
// or without BOM, or a legacy ANSI code page. Everything inside the program is UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

enum class TextEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Legacy };

struct DecodedText {
  std::string utf8;
  TextEncoding encoding = TextEncoding::Utf8;
};

// BOM first; then valid UTF-8; otherwise the legacy code page. Never fails: bytes that the legacy
// code page cannot decode become U+FFFD.
DecodedText DecodeText(std::string_view bytes);

// The inverse, for writing a file back in the encoding it was read in (BOM included).
std::string EncodeText(std::string_view utf8, TextEncoding encoding);

// Decoding and encoding of text known to be in an encoding, without looking for, removing or
// adding a BOM (pieces of a file, e.g. single lines). Never fail: what cannot be decoded becomes
// U+FFFD, what the legacy code page cannot represent becomes '?'.
std::string DecodeWith(std::string_view bytes, TextEncoding encoding);
std::string EncodeWith(std::string_view utf8, TextEncoding encoding);

// Converts bytes in the named charset (iconv name, e.g. "GB2312", "ISO-8859-1") to UTF-8;
// nullopt when the charset is unknown or the bytes are invalid in it.
std::optional<std::string> ConvertToUtf8(std::string_view bytes, std::string_view charset);
std::optional<std::string> ConvertFromUtf8(std::string_view utf8, std::string_view charset);

// The legacy code page: $VARNEL_CODEPAGE when set, else "GB18030".
std::string LegacyCodePage();

bool IsValidUtf8(std::string_view s);

// Appends one code point as UTF-8 (the caller passes valid scalar values).
void AppendUtf8(std::string& out, char32_t cp);

// The first maxChars characters (code points) of a UTF-8 string, never splitting a character.
std::string TruncateChars(std::string_view utf8, size_t maxChars);

// Reads a whole file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Lower-case ASCII comparison, as Windows compares section, key and file names.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace varnel
