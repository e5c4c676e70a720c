// Reads arbitrary bytes as an INI file, looks up names taken from the data, and edits the bytes the
// way WriteProfileString does; the edited file must read back the value just written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/IniFile.h"
#include "platform/TextCodec.h"

namespace {

// A name made of the letters and digits of a piece of the data (so that it can always be stored).
std::string NameFrom(std::string_view data, size_t start, size_t len) {
  std::string name;
  for (size_t i = start; i < data.size() && name.size() < len; ++i) {
    const char c = data[i];
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) name += c;
  }
  return name.empty() ? "k" : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const varnel::IniFile ini = varnel::IniFile::FromBytes(bytes);

  const std::string section = NameFrom(bytes, 0, 8);
  const std::string key = NameFrom(bytes, size / 2, 8);
  const size_t buffer = size ? data[0] % 300 : 256;
  (void)ini.GetString(section, key, "dflt  ", buffer);
  (void)ini.GetString(" " + section + " ", key);
  (void)ini.GetInt(section, key, -1);
  (void)ini.Find(key, section);

  // Decoding and encoding again keeps the text, except for the legacy code page (its re-encoded
  // bytes may happen to be valid UTF-8).
  const varnel::DecodedText text = varnel::DecodeText(bytes);
  if (!varnel::IsValidUtf8(text.utf8)) std::abort();
  if (text.encoding != varnel::TextEncoding::Legacy &&
      varnel::DecodeText(varnel::EncodeText(text.utf8, text.encoding)).utf8 != text.utf8)
    std::abort();

  const std::string value = NameFrom(bytes, size / 3, 12);
  const auto edited = varnel::SetProfileString(bytes, section, key, value);
  if (!edited) std::abort();  // the names and the value are always storable
  if (varnel::IniFile::FromBytes(*edited).Find(section, key) != value) std::abort();
  return 0;
}
