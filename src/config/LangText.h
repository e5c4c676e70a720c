#pragma once
// The language text table: one global string per key of text.xml (tc_title, tc_click, …) and one
// array per numbered family (tc_msg1 … tc_msg30 in tc_msg[0..29]), refilled by LoadLangText.
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

#define VARNEL_TEXT_SINGLE(name) extern std::string name;
#define VARNEL_TEXT_FAMILY(name, count) extern std::array<std::string, count> name;
#include "config/TextKeys.def"
#undef VARNEL_TEXT_SINGLE
#undef VARNEL_TEXT_FAMILY

// Second read of tc_tips3: the invalid-name message (default "Invalid name").
extern std::string tc_tips3_invalid;

// Loads the file and refills every text (missing keys become empty, then the built-in defaults
// apply). False when the file could not be loaded or parsed (all texts are then defaults/empty).
bool LoadLangText(const std::filesystem::path& path);
// The same from the bytes of a text.xml.
bool LoadLangTextBytes(std::string_view bytes);

// Empties every text and applies the built-in defaults.
void ResetLangText();

// GetText(section, key): character data of the first child named key of the first top-level
// element named section in the loaded document, or empty.
class XmlDoc;
std::string GetText(XmlDoc& doc, std::string_view section, std::string_view key);

// The loaded text of a key by its file name ("tc_title", "tc_msg3"); nullopt for unknown keys.
std::optional<std::string> LookupText(std::string_view key);

// How many keys one load reads (tc_tips3 counts twice).
size_t LangTextReadCount();

}  // namespace varnel
