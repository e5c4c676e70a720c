#include "platform/KeyboardLayout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace varnel {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// /etc/default/keyboard is read once per process; the environment is looked at on every call.
const std::string& SystemKeyboardFileLayout() {
  static std::once_flag once;
  static std::string layout;
  std::call_once(once, [] {
    std::ifstream in("/etc/default/keyboard");
    if (!in) return;
    std::ostringstream text;
    text << in.rdbuf();
    layout = XkbLayoutFromKeyboardFile(text.str());
  });
  return layout;
}

struct VkChar {
  uint8_t vk;
  const char* text;
};

// Characters of the punctuation keys on a US layout (letters and digits are the code itself).
constexpr VkChar kUsChars[] = {
    {0xBA, ";"}, {0xBB, "="}, {0xBC, ","},  {0xBD, "-"}, {0xBE, "."},  {0xBF, "/"},
    {0xC0, "`"}, {0xDB, "["}, {0xDC, "\\"}, {0xDD, "]"}, {0xDE, "'"}, {0xE2, "\\"},
};
// What differs on the other layouts.
constexpr VkChar kGermanChars[] = {
    {0xBA, "Ü"}, {0xBB, "+"}, {0xBF, "#"}, {0xC0, "Ö"}, {0xDB, "ß"},
    {0xDC, "^"}, {0xDD, "´"}, {0xDE, "Ä"}, {0xE2, "<"},
};
constexpr VkChar kSpanishChars[] = {
    {0xBA, "`"}, {0xBB, "+"}, {0xBF, "Ç"}, {0xC0, "Ñ"}, {0xDB, "'"},
    {0xDC, "º"}, {0xDD, "¡"}, {0xDE, "´"}, {0xE2, "<"},
};
constexpr VkChar kFrenchChars[] = {
    {0xBA, "$"}, {0xBE, ";"}, {0xBF, ":"}, {0xC0, "Ù"}, {0xDB, ")"},
    {0xDC, "*"}, {0xDD, "^"}, {0xDE, "²"}, {0xDF, "!"}, {0xE2, "<"},
};
constexpr VkChar kJapaneseChars[] = {
    {0xBA, ":"}, {0xBB, ";"}, {0xC0, "@"}, {0xDE, "^"},
};
constexpr VkChar kTurkishChars[] = {
    {0xBA, "Ş"}, {0xBF, "Ö"}, {0xC0, "\""}, {0xDB, "Ğ"}, {0xDC, "Ç"},
    {0xDD, "Ü"}, {0xDE, "İ"}, {0xDF, "*"},  {0xE2, "<"},
};

template <size_t N>
const char* Find(const VkChar (&table)[N], uint8_t vk) {
  for (const auto& e : table) {
    if (e.vk == vk) return e.text;
  }
  return nullptr;
}

}  // namespace

std::string FirstXkbLayout(std::string_view list) {
  list = Trim(list);
  if (list.size() >= 2 && (list.front() == '"' || list.front() == '\'') &&
      list.back() == list.front()) {
    list = list.substr(1, list.size() - 2);
  }
  list = list.substr(0, list.find(','));
  list = list.substr(0, list.find('('));
  list = list.substr(0, list.find(':'));
  return std::string(Trim(list));
}

std::string XkbLayoutFromKeyboardFile(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.starts_with("export ")) line = Trim(line.substr(7));
    if (line.starts_with("XKBLAYOUT=")) return FirstXkbLayout(line.substr(10));
  }
  return {};
}

std::string CurrentXkbLayout() {
  for (const char* name : {"VARNEL_KB_LAYOUT", "XKB_DEFAULT_LAYOUT"}) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
      return FirstXkbLayout(value);
    }
  }
  return SystemKeyboardFileLayout();
}

LayoutLanguage LayoutLanguageOf(std::string_view xkbLayout) {
  const std::string name = LowerAscii(FirstXkbLayout(xkbLayout));
  if (name == "de" || name == "at" || name == "ch") return LayoutLanguage::German;
  if (name == "es" || name == "latam") return LayoutLanguage::Spanish;
  if (name == "fr" || name == "be") return LayoutLanguage::French;
  if (name == "jp") return LayoutLanguage::Japanese;
  if (name == "tr") return LayoutLanguage::Turkish;
  return LayoutLanguage::Other;
}

LayoutLanguage CurrentLayoutLanguage() { return LayoutLanguageOf(CurrentXkbLayout()); }

std::string VkToChar(uint8_t vk, LayoutLanguage language) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
  const char* text = nullptr;
  switch (language) {
    case LayoutLanguage::German: text = Find(kGermanChars, vk); break;
    case LayoutLanguage::Spanish: text = Find(kSpanishChars, vk); break;
    case LayoutLanguage::French: text = Find(kFrenchChars, vk); break;
    case LayoutLanguage::Japanese: text = Find(kJapaneseChars, vk); break;
    case LayoutLanguage::Turkish: text = Find(kTurkishChars, vk); break;
    case LayoutLanguage::Other: break;
  }
  if (text == nullptr) text = Find(kUsChars, vk);
  return text != nullptr ? std::string(text) : std::string();
}

}  // namespace varnel
