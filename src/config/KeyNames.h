#pragma once
// Key names: the display text of a virtual-key code, the key-name vocabulary of lighting and music
// effect files, and the layout correction of keys taken from the user's keyboard.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/KeyboardLayout.h"

namespace varnel {

// ---- Language texts ------------------------------------------------------------------------

// Where the key code uses its language texts ("tc_click", "tc_msg16", …): the loaded language
// table (LookupText) unless replaced, e.g. by a test.
using TextSource = std::function<std::optional<std::string>(std::string_view key)>;
// The text of a key, empty when the key is unknown or empty.
std::string KeyText(std::string_view key);
void SetTextSource(TextSource source);  // an empty function restores LookupText

class ScopedTextSource {
 public:
  explicit ScopedTextSource(TextSource source);
  ~ScopedTextSource();
  ScopedTextSource(const ScopedTextSource&) = delete;
  ScopedTextSource& operator=(const ScopedTextSource&) = delete;

 private:
  TextSource m_prev;
};

// ---- Vocabulary tables ---------------------------------------------------------------------

// Fixed display names by virtual-key code: either a literal text or a language key.
struct KeyNameEntry {
  uint8_t vk;
  const char* text;
  bool isTextKey;  // text names a language text ("tc_sf1") rather than being the name
};
std::span<const KeyNameEntry> KeyNameTable();

// Named keys of the effect-file vocabulary (lower case).
struct KeyVocabEntry {
  const char* name;
  uint8_t vk;
};
std::span<const KeyVocabEntry> KeyVocabularyTable();

// ---- Names ---------------------------------------------------------------------------------

// Display text of one key; codes without a fixed name show the character the keyboard layout
// produces for them.
std::string KeyName(uint32_t vk);
std::string KeyName(uint32_t vk, LayoutLanguage language);

// Virtual-key code of a key name of an effect file, compared without regard to case; 0 (after the
// warning "text_to_vk: wrong string=…, pszALL=…, file=…") for an unknown name. file and line only
// go into the warning.
uint8_t text_to_vk(std::string_view file, std::string_view line, std::string_view name);
// The same without the warning: nullopt for an unknown name.
std::optional<uint8_t> LookupKeyVocabulary(std::string_view name);

// ---- Layout correction ---------------------------------------------------------------------

enum class LayoutFixDirection {
  Capture,  // key of the user's layout → key at the same position of a US keyboard
  Display,  // stored (US) key → key of the user's layout
};

// Changes only the low byte of the code; layouts without a correction leave it unchanged.
uint32_t LayoutKeyFix(uint32_t code, LayoutFixDirection direction, LayoutLanguage language);
uint32_t LayoutKeyFix(uint32_t code, LayoutFixDirection direction);  // current layout

// One correction pair: the key of the layout and the US key at its position. Pairs that apply in
// one direction only are marked.
struct LayoutKeyPair {
  uint8_t local;
  uint8_t us;
  enum Use : uint8_t { Both, CaptureOnly, DisplayOnly } use = Both;
};
std::span<const LayoutKeyPair> LayoutKeyPairs(LayoutLanguage language);

}  // namespace varnel
