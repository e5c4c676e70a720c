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

// Fn entries taken from [FN]; automatic slots are chosen below this bound (and below MaxFnNum).
constexpr int kMaxFnEntries = 64;
constexpr int32_t kFnSlotChoose = 255;  // [FN] slot number meaning "choose a free slot"

// The modifier bit of a modifier key's virtual-key code (0x10/0xA0 shift, 0x11/0xA2 control, …),
// 0 for any other code.
uint8_t ModifierBitOfVk(uint32_t vk);

struct KbKeyMatch {
  int32_t matrixIndex = -1;  // -1 when no key has that code
  int32_t tableIndex = -1;
};
// The first g_defKEY entry whose key is vk (a modifier code: whose modifier bits hold its bit).
KbKeyMatch FindKbKeyByVk(uint32_t vk);

}  // namespace varnel
