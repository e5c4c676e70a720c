// The language text table. A load walks the children of the first <config> element once, in
// document order, and gives every key the text of its first element; that is the same result as
// one GetText per key, without scanning the whole section for each of the several hundred keys.
#include "config/LangText.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "config/XmlDoc.h"

namespace varnel {

#define VARNEL_TEXT_SINGLE(name) std::string name;
#define VARNEL_TEXT_FAMILY(name, count) std::array<std::string, count> name;
#include "config/TextKeys.def"
#undef VARNEL_TEXT_SINGLE
#undef VARNEL_TEXT_FAMILY

std::string tc_tips3_invalid;

namespace {

constexpr const char* kSection = "config";

struct TextSlot {
  std::string key;
  std::string* text;
};

// Every key of the file with the variable it fills, in reading order.
const std::vector<TextSlot>& Slots() {
  static const std::vector<TextSlot> slots = [] {
    std::vector<TextSlot> all;
#define VARNEL_TEXT_SINGLE(name) all.push_back({#name, &name});
#define VARNEL_TEXT_FAMILY(name, count)                  \
  for (size_t n = 0; n < (count); ++n) {                 \
    all.push_back({#name + std::to_string(n + 1), &name[n]}); \
  }
#include "config/TextKeys.def"
#undef VARNEL_TEXT_SINGLE
#undef VARNEL_TEXT_FAMILY
    return all;
  }();
  return slots;
}

// Key name -> position in Slots().
const std::unordered_map<std::string_view, size_t>& SlotIndex() {
  static const std::unordered_map<std::string_view, size_t> index = [] {
    std::unordered_map<std::string_view, size_t> map;
    const auto& slots = Slots();
    map.reserve(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) map.emplace(slots[i].key, i);
    return map;
  }();
  return index;
}

void ApplyDefault(std::string& text, const char* fallback) {
  if (text.empty()) text = fallback;
}

void ApplyDefaults() {
  ApplyDefault(tc_tips3, "The number of profile has reached it's maximum");
  ApplyDefault(tc_tips3_invalid, "Invalid name");
  ApplyDefault(tc_lod, "LOD");
  ApplyDefault(tc_k45, "K45");
  ApplyDefault(tc_k56, "K56");
}

void ClearTexts() {
  for (const TextSlot& slot : Slots()) slot.text->clear();
  tc_tips3_invalid.clear();
}

// Fills every text from a parsed document (nullptr: a failed load, everything stays empty).
void FillTexts(XmlDoc* doc) {
  ClearTexts();
  if (doc) {
    const auto& slots = Slots();
    const auto& index = SlotIndex();
    std::vector<bool> seen(slots.size(), false);
    doc->XmlRewind();
    if (doc->XmlFind(kSection) && doc->XmlEnter()) {
      while (doc->XmlNext()) {
        auto it = index.find(doc->XmlName());
        if (it == index.end() || seen[it->second]) continue;  // the first element of a key wins
        seen[it->second] = true;
        *slots[it->second].text = doc->XmlText();
      }
    }
    doc->XmlRewind();
    // The invalid-name message is a second read of tc_tips3.
    tc_tips3_invalid = tc_tips3;
  }
  ApplyDefaults();
}

}  // namespace

bool LoadLangText(const std::filesystem::path& path) {
  XmlDoc doc;
  const bool ok = doc.XmlLoad(path) && doc.XmlParse();
  FillTexts(ok ? &doc : nullptr);
  return ok;
}

bool LoadLangTextBytes(std::string_view bytes) {
  XmlDoc doc;
  const bool ok = doc.XmlLoadBytes(bytes) && doc.XmlParse();
  FillTexts(ok ? &doc : nullptr);
  return ok;
}

void ResetLangText() { FillTexts(nullptr); }

std::string GetText(XmlDoc& doc, std::string_view section, std::string_view key) {
  doc.XmlRewind();
  std::string text;
  if (doc.XmlFind(section) && doc.XmlEnter() && doc.XmlFind(key)) text = doc.XmlText();
  doc.XmlRewind();
  return text;
}

std::optional<std::string> LookupText(std::string_view key) {
  const auto& index = SlotIndex();
  auto it = index.find(key);
  if (it == index.end()) return std::nullopt;
  return *Slots()[it->second].text;
}

size_t LangTextReadCount() { return Slots().size() + 1; }  // + the second read of tc_tips3

}  // namespace varnel
