#pragma once
// The keyboard's default key table g_defKEY: one KeyItem per key of the keyboard picture, filled
// from [KBKEY] (position, function, matrix and LED index) and [FN] (the Fn layer and its slot).
#include <array>
#include <cstdint>

#include "config/KeyItem.h"

namespace varnel {

class IniFile;


extern std::array<KeyItem, kKbKeyCount> g_defKEY;

// [KBKEY] into g_defKEY; returns the number of keys accepted (gVar.Kb.nUIKeyNum).
int LoadKbKeys(const IniFile& cfg);

// [FN] into the Fn half of g_defKEY and the Fn slot numbers.
void LoadFnKeys(const IniFile& cfg);

struct KbKeyMatch {
  int32_t matrixIndex = -1;  // -1 when no key has that code
  int32_t tableIndex = -1;
};
// The first g_defKEY entry whose key is vk (a modifier code: whose modifier bits hold its bit).
KbKeyMatch FindKbKeyByVk(uint32_t vk);

}  // namespace varnel
