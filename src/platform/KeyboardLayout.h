#pragma once
// The active keyboard layout: its primary language (for the layout corrections of captured keys)
// and the character a virtual-key code produces on it (for naming keys).
//
// The layout is found in this order: $VARNEL_KB_LAYOUT, $XKB_DEFAULT_LAYOUT, XKBLAYOUT= of
// /etc/default/keyboard; the first layout of a comma list counts, a variant in parentheses or
// after a colon is ignored.
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

// Primary language ids of the layouts that need corrections; everything else is Other.
enum class LayoutLanguage : uint8_t {
  Other = 0x00,
  German = 0x07,
  Spanish = 0x0A,
  French = 0x0C,
  Japanese = 0x11,
  Turkish = 0x1F,
};

// The XKB layout name in use ("de", "us", …), empty when nothing names one.
std::string CurrentXkbLayout();
LayoutLanguage CurrentLayoutLanguage();

// Pure helpers behind the two calls above.
// "de(nodeadkeys),us" → "de"; blanks and quotes around the value are removed.
std::string FirstXkbLayout(std::string_view list);
// XKBLAYOUT= of a /etc/default/keyboard text (comments and other keys ignored), empty if none.
std::string XkbLayoutFromKeyboardFile(std::string_view text);
LayoutLanguage LayoutLanguageOf(std::string_view xkbLayout);

// The one character (UTF-8) the layout produces for a virtual-key code without modifiers, as the
// key is labelled (letters upper case); empty when the code produces no character.
std::string VkToChar(uint8_t vk, LayoutLanguage language);

}  // namespace varnel
