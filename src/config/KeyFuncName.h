#pragma once
// The display text of a key item's function, as the button lists and menus show it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "config/KeyItem.h"

namespace varnel {

// What naming needs from other parts of the program; an empty function means "not known".
struct KeyFuncNameSources {
  // Name of the macro / recoil macro with this ID, nullopt when there is none.
  std::function<std::optional<std::string>(uint32_t id)> macroName;
  std::function<std::optional<std::string>(uint32_t id)> recoilMacroName;
  // DPI value of step n (counted from 1) of the current sensor's step table.
  std::function<std::optional<int32_t>(uint32_t step)> stepDpi;
  // Name of the PUBG gun a gun item holds.
  std::function<std::string(const KeyItem& item)> gunName;
};

// The sources KeyFuncName(item) uses (none until the owners install theirs).
void SetKeyFuncNameSources(KeyFuncNameSources sources);
KeyFuncNameSources GetKeyFuncNameSources();

class ScopedKeyFuncNameSources {
 public:
  explicit ScopedKeyFuncNameSources(KeyFuncNameSources sources);
  ~ScopedKeyFuncNameSources();
  ScopedKeyFuncNameSources(const ScopedKeyFuncNameSources&) = delete;
  ScopedKeyFuncNameSources& operator=(const ScopedKeyFuncNameSources&) = delete;

 private:
  KeyFuncNameSources m_prev;
};

std::string KeyFuncName(const KeyItem& item);
std::string KeyFuncName(const KeyItem& item, const KeyFuncNameSources& sources);

// The text of a function code alone (menus): the function table's text, empty for codes it does
// not list.
std::string KeyFuncCodeText(KeyFunc code);

// Name of a fire target (byte 2 of a fire item's extra value).
std::string FireTargetName(uint8_t target);

}  // namespace varnel
