#include "config/KbKeys.h"

#include "platform/IniFile.h"

namespace varnel {

std::array<KeyItem, kKbKeyCount> g_defKEY{};

// Placeholders until the readers of [KBKEY] and [FN] are written: no key is accepted.
int LoadKbKeys(const IniFile&) {
  g_defKEY = {};
  return 0;
}

void LoadFnKeys(const IniFile&) {}

KbKeyMatch FindKbKeyByVk(uint32_t) { return {}; }

}  // namespace varnel
