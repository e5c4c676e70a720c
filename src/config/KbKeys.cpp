#include "config/KbKeys.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/AppConfig.h"
#include "config/ValueFormats.h"
#include "platform/IniFile.h"
#include "platform/Log.h"
#include "platform/UiPort.h"

namespace varnel {

std::array<KeyItem, kKbKeyCount> g_defKEY{};

namespace {

constexpr const char* kWarning = "Warning";
constexpr const char* kError = "Error";
constexpr const char* kParseError = "Data parse error!";

constexpr uint32_t kMaxMatrixIndex = kKbKeyCount - 1;

// How each number of a value is written (decimal numbers may carry a sign).
enum class Num { Decimal, Hex };

// [KBKEY]: left, top, right, bottom, type, code, extra, matrix index, LED index.
constexpr std::array kKbKeyFormat{Num::Decimal, Num::Decimal, Num::Decimal,
                                  Num::Decimal, Num::Hex,     Num::Hex,
                                  Num::Hex,     Num::Decimal, Num::Decimal};
// [FN]: type, code, extra, slot number.
constexpr std::array kFnKeyFormat{Num::Hex, Num::Hex, Num::Hex, Num::Decimal};

struct Numbers {
  // The numbers read before the end or the first bad one; negative numbers wrap, so an index
  // given as a negative number counts as out of range.
  std::vector<uint32_t> values;
  bool parseError = false;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Up to format.size() comma-separated numbers; a token that is not a number of its format ends
// the reading with parseError set. Numbers beyond the format are ignored.
Numbers ReadNumbers(std::string_view text, std::span<const Num> format) {
  Numbers out;
  size_t pos = 0;
  for (const Num kind : format) {
    const size_t comma = text.find(',', pos);
    std::string_view token =
        Trim(text.substr(pos, comma == std::string_view::npos ? text.npos : comma - pos));
    if (kind == Num::Hex && token.size() > 2 && token[0] == '0' &&
        (token[1] == 'x' || token[1] == 'X'))
      token.remove_prefix(2);
    const auto n = ParseNumberList(token, kind == Num::Hex ? 16 : 10, 1, kind == Num::Decimal);
    if (n.empty()) {
      out.parseError = true;
      break;
    }
    out.values.push_back(static_cast<uint32_t>(n[0]));
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return out;
}

// The value of K<n> in the section, nullopt when missing or blank.
std::optional<std::string> KeyValue(const IniFile& cfg, std::string_view section, int n) {
  char key[16];
  std::snprintf(key, sizeof key, "K%d", n);
  auto value = cfg.Find(section, key);
  if (!value || Trim(*value).empty()) return std::nullopt;
  return value;
}

// The main-layer function of a [KBKEY] entry.
void SetKbFunction(KeyItem& item, uint32_t type, uint32_t code, uint32_t extra) {
  if ((type & 0xFF) != kFuncTypeKey) {
    item.dwFunc = MakeKeyFunc(type, code);
    if ((type & 0xFF) == kFuncTypeHw) item.dwExtra = extra;
    return;
  }
  item.dwFunc = kFuncLayoutKey;
  const uint8_t key = static_cast<uint8_t>(code);
  if (key >= 1 && key <= 5) {  // mouse buttons
    item.byKey = key;
    item.byModifier = 0;
    item.dwExtra = extra;
    return;
  }
  item.byModifier = static_cast<uint8_t>(extra);
  if (const uint8_t bit = ModifierBitOfVk(key); bit != 0) {
    item.byModifier |= bit;
    item.byKey = 0;
  } else {
    item.byKey = key;
  }
}

std::string KeyPairMessage(const char* fmt, int first, int second) {
  char text[128];
  std::snprintf(text, sizeof text, fmt, first, second);
  return text;
}

// Reports the first pair of entries (with a function) that share a matrix index or a non-zero
// LED index; keyNumbers holds the K number each entry came from.
void CheckKbLayout(int count, std::span<const int> keyNumbers) {
  for (int i = 0; i < count; ++i) {
    const KeyItem& a = g_defKEY[i];
    if (a.dwFunc == 0) continue;
    for (int j = i + 1; j < count; ++j) {
      const KeyItem& b = g_defKEY[j];
      if (b.dwFunc == 0) continue;
      if (a.dwMatrixInx == b.dwMatrixInx) {
        Ui().ShowMessage(KeyPairMessage("错误：Key%d 和 Key%d 的按键位置重复了", keyNumbers[i],
                                        keyNumbers[j]),
                         kWarning);
        return;
      }
      if ((a.dwLedInx != 0 || b.dwLedInx != 0) && a.dwLedInx == b.dwLedInx) {
        Ui().ShowMessage(KeyPairMessage("错误：Key%d 和 Key%d 的灯光位置重复了", keyNumbers[i],
                                        keyNumbers[j]),
                         kWarning);
        return;
      }
    }
  }
}

}  // namespace

uint8_t ModifierBitOfVk(uint32_t vk) {
  switch (vk) {
    case 0x10:
    case 0xA0:
      return kModLShift;
    case 0x11:
    case 0xA2:
      return kModLCtrl;
    case 0x12:
    case 0xA4:
      return kModLAlt;
    case 0x5B:
      return kModLWin;
    case 0xA1:
      return kModRShift;
    case 0xA3:
      return kModRCtrl;
    case 0xA5:
      return kModRAlt;
    case 0x5C:
      return kModRWin;
    default:
      return 0;
  }
}

int LoadKbKeys(const IniFile& cfg) {
  g_defKEY = {};
  std::array<int, kKbKeyCount> keyNumbers{};
  int count = 0;
  for (int n = 1; count < static_cast<int>(kKbKeyCount); ++n) {
    const auto value = KeyValue(cfg, "KBKEY", n);
    if (!value) break;
    const Numbers nums = ReadNumbers(*value, kKbKeyFormat);
    if (nums.parseError) Ui().ShowMessage(kParseError, kError);
    const auto& v = nums.values;
    const auto at = [&v](size_t i) { return i < v.size() ? v[i] : 0u; };

    KeyItem item;
    item.rc = Rect{static_cast<int32_t>(at(0)), static_cast<int32_t>(at(1)),
                   static_cast<int32_t>(at(2)), static_cast<int32_t>(at(3))};
    SetKbFunction(item, at(4), at(5), at(6));
    item.dwMatrixInx = at(7);
    item.dwLedInx = v.size() > 8 ? v[8] : item.dwMatrixInx;
    if (item.dwMatrixInx > kMaxMatrixIndex || item.dwLedInx > kMaxMatrixIndex) {
      Ui().ShowMessage("Wrong matrix index value!", kWarning);
      continue;
    }
    keyNumbers[count] = n;
    g_defKEY[count++] = item;
  }
  CheckKbLayout(count, keyNumbers);
  return count;
}

void LoadFnKeys(const IniFile& cfg) {
  for (KeyItem& e : g_defKEY) {
    e.nFnInx = -1;
    e.dwFnFunc = 0;
    e.byFnModifier = 0;
    e.byFnKey = 0;
    e.dwFnExtra = 0;
  }
  const uint32_t maxFnNum = gVar.Kb.nMaxFnNum;

  int taken = 0;
  for (int n = 1; n <= static_cast<int>(kKbKeyCount); ++n) {
    const auto value = KeyValue(cfg, "FN", n);
    if (!value) continue;
    if (taken >= kMaxFnEntries) {
      Ui().ShowMessage("k>=64", kWarning);
      continue;
    }
    const Numbers nums = ReadNumbers(*value, kFnKeyFormat);
    if (nums.parseError) {
      // A half-read function is not stored: the key keeps no Fn function.
      Ui().ShowMessage(kParseError, kError);
      continue;
    }
    const auto& v = nums.values;
    const auto at = [&v](size_t i) { return i < v.size() ? v[i] : 0u; };
    const uint32_t type = at(0), code = at(1), extra = at(2);
    const uint32_t slot = v.size() > 3 ? v[3] : static_cast<uint32_t>(kFnSlotChoose);

    KeyItem& e = g_defKEY[n - 1];
    if ((type & 0xFF) == kFuncTypeKey) {
      e.dwFnFunc = kFuncKey;
      const uint8_t key = static_cast<uint8_t>(code);
      e.byFnModifier = ModifierBitOfVk(key);
      e.byFnKey = e.byFnModifier != 0 ? 0 : key;
    } else {
      e.dwFnFunc = MakeKeyFunc(type, code & 0xFF);
      e.dwFnExtra = extra;
    }
    if (slot != static_cast<uint32_t>(kFnSlotChoose) && slot >= maxFnNum)
      Ui().ShowMessage("Wrong FN index value!", kError);
    e.nFnInx = static_cast<int32_t>(slot);
    ++taken;
  }

  // Automatic slots: the lowest slot no entry uses, in table order. Slots at or above MaxFnNum
  // do not exist on the device, so they are never handed out.
  const int slotLimit = std::min<int>(kMaxFnEntries, static_cast<int>(maxFnNum));
  std::bitset<kMaxFnEntries> used;
  for (const KeyItem& e : g_defKEY)
    if (e.nFnInx >= 0 && e.nFnInx < slotLimit) used.set(static_cast<size_t>(e.nFnInx));
  for (size_t i = 0; i < kKbKeyCount; ++i) {
    KeyItem& e = g_defKEY[i];
    if (e.nFnInx != kFnSlotChoose) continue;
    int slot = 0;
    while (slot < slotLimit && used.test(static_cast<size_t>(slot))) ++slot;
    if (slot < slotLimit) {
      used.set(static_cast<size_t>(slot));
      e.nFnInx = slot;
    } else {
      LogPrint("ERROR: Get wrong index for g_defKEY[%d]", static_cast<int>(i));
      e.nFnInx = -1;
    }
  }
}

KbKeyMatch FindKbKeyByVk(uint32_t vk) {
  const uint8_t bit = ModifierBitOfVk(vk);
  for (size_t i = 0; i < kKbKeyCount; ++i) {
    const KeyItem& e = g_defKEY[i];
    if (e.dwFunc == 0) break;
    if (e.Type() != kFuncTypeKey) continue;
    // A modifier key is stored as its bit with key byte 0; a combination's modifier bits do not
    // make it that modifier's key.
    const bool match = bit != 0 ? (e.byKey == 0 && (e.byModifier & bit) != 0)
                                : (vk != 0 && e.byKey == vk);
    if (match) return {static_cast<int32_t>(e.dwMatrixInx), static_cast<int32_t>(i)};
  }
  return {};
}

}  // namespace varnel
