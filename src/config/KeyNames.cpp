#include "config/KeyNames.h"

#include <cstdio>
#include <mutex>

#include "config/LangText.h"
#include "platform/UiPort.h"

namespace varnel {

// ---- Language texts ------------------------------------------------------------------------

namespace {

std::mutex g_textMutex;
TextSource g_textSource;

}  // namespace

std::string KeyText(std::string_view key) {
  TextSource source;
  {
    std::lock_guard lock(g_textMutex);
    source = g_textSource;
  }
  std::optional<std::string> text = source ? source(key) : LookupText(key);
  return text.value_or(std::string());
}

void SetTextSource(TextSource source) {
  std::lock_guard lock(g_textMutex);
  g_textSource = std::move(source);
}

ScopedTextSource::ScopedTextSource(TextSource source) {
  std::lock_guard lock(g_textMutex);
  m_prev = std::move(g_textSource);
  g_textSource = std::move(source);
}

ScopedTextSource::~ScopedTextSource() { SetTextSource(std::move(m_prev)); }

// ---- Vocabulary tables ---------------------------------------------------------------------

namespace {

constexpr KeyNameEntry kKeyNames[] = {
    {1, "tc_sf1", true},      {2, "tc_sf2", true},      {3, "tc_sf3", true},
    {4, "tc_sf4", true},      {5, "tc_sf5", true},      {8, "Back", false},
    {9, "Tab", false},        {12, "Clr", false},       {13, "Enter", false},
    {16, "Shift", false},     {17, "Ctrl", false},      {18, "Alt", false},
    {19, "Pause", false},     {20, "CapsLk", false},    {27, "Esc", false},
    {32, "Space", false},     {33, "PgUp", false},      {34, "PgDn", false},
    {35, "End", false},       {36, "Home", false},      {37, "Left", false},
    {38, "Up", false},        {39, "Right", false},     {40, "Down", false},
    {41, "Select", false},    {42, "Print", false},     {43, "Enter", false},
    {44, "PrtSc", false},     {45, "Ins", false},       {46, "Del", false},
    {47, "Help", false},      {48, "0", false},         {49, "1", false},
    {50, "2", false},         {51, "3", false},         {52, "4", false},
    {53, "5", false},         {54, "6", false},         {55, "7", false},
    {56, "8", false},         {57, "9", false},         {91, "L_Win", false},
    {92, "R_Win", false},     {93, "App", false},       {96, "Num 0", false},
    {97, "Num 1", false},     {98, "Num 2", false},     {99, "Num 3", false},
    {100, "Num 4", false},    {101, "Num 5", false},    {102, "Num 6", false},
    {103, "Num 7", false},    {104, "Num 8", false},    {105, "Num 9", false},
    {106, "Num *", false},    {107, "Num +", false},    {108, "\\", false},
    {109, "Num -", false},    {110, "Num .", false},    {111, "Num /", false},
    {112, "F1", false},       {113, "F2", false},       {114, "F3", false},
    {115, "F4", false},       {116, "F5", false},       {117, "F6", false},
    {118, "F7", false},       {119, "F8", false},       {120, "F9", false},
    {121, "F10", false},      {122, "F11", false},      {123, "F12", false},
    {144, "NumLock", false},  {145, "ScrLk", false},    {160, "L_Shift", false},
    {161, "R_Shift", false},  {162, "L_Ctrl", false},   {163, "R_Ctrl", false},
    {164, "L_Alt", false},    {165, "R_Alt", false},    {193, "tc_k56", true},
    {226, "tc_k45", true},    {240, "tc_click", true},  {241, "tc_menu", true},
    {242, "tc_middle", true}, {243, "tc_forward", true}, {244, "tc_back", true},
    {253, "NumEnter", false},
};

constexpr KeyVocabEntry kVocabulary[] = {
    {"esc", 27},        {"tab", 9},          {"caps", 20},       {"back", 8},
    {"enter", 13},      {"space", 32},       {"[", 219},         {"]", 221},
    {"|", 220},         {"~", 192},          {"-", 189},         {"=", 187},
    {";", 186},         {"'", 222},          {"<", 188},         {">", 190},
    {"?", 191},         {"shift", 160},      {"ctrl", 162},      {"win", 91},
    {"alt", 164},       {"rshift", 161},     {"rctrl", 163},     {"rwin", 92},
    {"ralt", 165},      {"left", 37},        {"right", 39},      {"up", 38},
    {"down", 40},       {"fn", 250},         {"fn2", 251},       {"app", 93},
    {"ins", 45},        {"del", 46},         {"home", 36},       {"end", 35},
    {"pgup", 33},       {"pgdn", 34},        {"print", 44},      {"scroll", 145},
    {"pause", 19},      {"numlock", 144},    {"numenter", 253},  {"num1", 97},
    {"num2", 98},       {"num3", 99},        {"num4", 100},      {"num5", 101},
    {"num6", 102},      {"num7", 103},       {"num8", 104},      {"num9", 105},
    {"num0", 96},       {"num-", 109},       {"num+", 107},      {"num*", 106},
    {"num/", 111},      {"num.", 110},       {"k45", 226},       {"k56", 193},
    {"k107", 194},      {"k14", 195},        {"k131", 235},      {"k132", 218},
    {"k133", 215},      {"player", 136},     {"playpause", 137}, {"stop", 138},
    {"prev", 139},      {"next", 140},       {"vol+", 141},      {"vol-", 142},
    {"mute", 143},      {"cal", 153},        {"mycomputer", 154}, {"screen+", 151},
    {"screen-", 152},   {"kcustom", 216},    {"sf1", 1},         {"sf2", 2},
    {"sf3", 3},         {"sf4", 4},          {"sf5", 5},
};

// Names longer than this are compared by their first characters only.
constexpr size_t kMaxNameChars = 10;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const KeyNameEntry> KeyNameTable() { return kKeyNames; }
std::span<const KeyVocabEntry> KeyVocabularyTable() { return kVocabulary; }

// ---- Names ---------------------------------------------------------------------------------

std::string KeyName(uint32_t vk, LayoutLanguage language) {
  for (const auto& e : kKeyNames) {
    if (e.vk == vk) return e.isTextKey ? KeyText(e.text) : std::string(e.text);
  }
  if (vk > 0xFF) return {};
  return VkToChar(static_cast<uint8_t>(vk), language);
}

std::string KeyName(uint32_t vk) { return KeyName(vk, CurrentLayoutLanguage()); }

std::optional<uint8_t> LookupKeyVocabulary(std::string_view name) {
  if (name.size() > kMaxNameChars) name = name.substr(0, kMaxNameChars);
  if (name.size() == 1) {
    const char c = Lower(name[0]);
    if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 'a' + 65);
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0' + 48);
  }
  if (name.size() >= 2 && name.size() <= 3 && Lower(name[0]) == 'f') {
    for (const auto& [fname, vk] : {std::pair{"f10", 121}, {"f11", 122}, {"f12", 123},
                                    {"f13", 124}}) {
      if (EqualNoCase(name, fname)) return static_cast<uint8_t>(vk);
    }
    if (name[1] >= '1' && name[1] <= '9') return static_cast<uint8_t>(112 + (name[1] - '1'));
  }
  for (const auto& e : kVocabulary) {
    if (EqualNoCase(name, e.name)) return e.vk;
  }
  return std::nullopt;
}

uint8_t text_to_vk(std::string_view file, std::string_view line, std::string_view name) {
  if (const auto vk = LookupKeyVocabulary(name)) return *vk;
  const std::string text = "text_to_vk: wrong string=" + std::string(name) +
                           ", pszALL=" + std::string(line) + ", file=" + std::string(file);
  Ui().ShowMessage(text, "Warning");
  return 0;
}

// ---- Layout correction ---------------------------------------------------------------------

namespace {

using P = LayoutKeyPair;

constexpr LayoutKeyPair kGermanPairs[] = {
    {0x59, 0x5A}, {0x5A, 0x59}, {0xBA, 0xDB}, {0xBB, 0xDD}, {0xBD, 0xBF},
    {0xBF, 0xDC}, {0xC0, 0xBA}, {0xDB, 0xBD}, {0xDC, 0xC0}, {0xDD, 0xBB},
};
constexpr LayoutKeyPair kSpanishPairs[] = {
    {0xBA, 0xDB}, {0xBB, 0xDD}, {0xBD, 0xBF}, {0xBF, 0xDC},
    {0xC0, 0xBA}, {0xDB, 0xBD}, {0xDC, 0xC0}, {0xDD, 0xBB},
};
constexpr LayoutKeyPair kFrenchPairs[] = {
    {0x41, 0x51}, {0x4D, 0xBA}, {0x51, 0x41}, {0x57, 0x5A}, {0x5A, 0x57},
    {0xBA, 0xDD}, {0xBB, 0xBB}, {0xBC, 0x4D}, {0xBE, 0xBC}, {0xBF, 0xBE},
    {0xC0, 0xDE}, {0xDB, 0xBD}, {0xDD, 0xDB}, {0xDE, 0xC0}, {0xDF, 0xBF},
};
// The yen key is captured as 0xC3 but shown from 0xFF.
constexpr LayoutKeyPair kJapanesePairs[] = {
    {0xBA, 0xDE}, {0xBB, 0xBA}, {0xC0, 0xDB}, {0xDB, 0xDD},
    {0xDC, 0xC3, P::CaptureOnly}, {0xDC, 0xFF, P::DisplayOnly},
    {0xDD, 0xDC}, {0xDE, 0xBB}, {0xE2, 0xC1},
};
constexpr LayoutKeyPair kTurkishPairs[] = {
    {0xBC, 0xDC}, {0xBD, 0xBB}, {0xBE, 0xBF}, {0xBF, 0xBC}, {0xDC, 0xBE}, {0xDF, 0xBD},
};

}  // namespace

std::span<const LayoutKeyPair> LayoutKeyPairs(LayoutLanguage language) {
  switch (language) {
    case LayoutLanguage::German: return kGermanPairs;
    case LayoutLanguage::Spanish: return kSpanishPairs;
    case LayoutLanguage::French: return kFrenchPairs;
    case LayoutLanguage::Japanese: return kJapanesePairs;
    case LayoutLanguage::Turkish: return kTurkishPairs;
    case LayoutLanguage::Other: break;
  }
  return {};
}

uint32_t LayoutKeyFix(uint32_t code, LayoutFixDirection direction, LayoutLanguage language) {
  const uint8_t low = static_cast<uint8_t>(code & 0xFF);
  const bool capture = direction == LayoutFixDirection::Capture;
  for (const auto& pair : LayoutKeyPairs(language)) {
    if (pair.use == (capture ? P::DisplayOnly : P::CaptureOnly)) continue;
    if ((capture ? pair.local : pair.us) == low) {
      return (code & ~0xFFu) | (capture ? pair.us : pair.local);
    }
  }
  return code;
}

uint32_t LayoutKeyFix(uint32_t code, LayoutFixDirection direction) {
  return LayoutKeyFix(code, direction, CurrentLayoutLanguage());
}

}  // namespace varnel
