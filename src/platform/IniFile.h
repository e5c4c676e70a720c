#pragma once
// INI files read and written the way the Windows private-profile functions do: case-insensitive
// section and key names, the first of repeated keys and sections wins, values trimmed and one pair
// of outer quotes removed, defaults for what is missing, integers read like GetPrivateProfileInt.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextCodec.h"

namespace varnel {

class IniFile {
 public:
  IniFile() = default;
  // A missing or unreadable file gives an empty IniFile (every read yields its default).
  static IniFile Load(const std::filesystem::path& path);
  static IniFile FromBytes(std::string_view bytes);

  bool Exists() const { return m_exists; }

  // GetPrivateProfileString: the value, or the default (trailing spaces stripped) when the key is
  // missing; the result is cut to bufferChars - 1 characters like the Windows buffer.
  std::string GetString(std::string_view section, std::string_view key, std::string_view def = "",
                        size_t bufferChars = 256) const;
  // GetPrivateProfileInt: leading decimal digits of the value, wrapped modulo 2^32; the default
  // (as unsigned) when the key is missing.
  uint32_t GetInt(std::string_view section, std::string_view key, int32_t def) const;
  // The value when the key is present (not truncated).
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(std::string_view name) const;
  const std::string* FindValue(std::string_view section, std::string_view key) const;

  bool m_exists = false;
  std::vector<Section> m_sections;
};

// WritePrivateProfileString for one key: replaces the key's value or adds it (and the section),
// keeping every other line byte for byte and the file's encoding. The new content goes to a
// temporary file in the same folder that is then renamed over the old file, so a crash never
// leaves a half-written file. Returns false when the file cannot be written.
bool WriteProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value);

// The edit that WriteProfileString makes, on a file's bytes (empty for a missing file): the new
// bytes of the file, or nullopt when the names or the value cannot be stored so that they read
// back (a line break in any of them, a tab at either end of a name, '=' in or ';' / '[' at the
// start of the key, ']' in the section name).
std::optional<std::string> SetProfileString(std::string_view fileBytes, std::string_view section,
                                            std::string_view key, std::string_view value);

}  // namespace varnel
