#pragma once
// The key-assignment record of every key table (default tables, profiles, key-configuration
// files, button pages) and its 32-bit function code: function type in the top byte, function data
// in the low 24 bits.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

#include "config/ValueFormats.h"

namespace varnel {

static_assert(std::endian::native == std::endian::little,
              "KeyItem images are little-endian and copied byte for byte");

using KeyFunc = uint32_t;

// ---- Function codes ------------------------------------------------------------------------

constexpr KeyFunc MakeKeyFunc(uint32_t type, uint32_t data) {
  return ((type & 0xFFu) << 24) | (data & 0xFFFFFFu);
}
constexpr uint8_t KeyFuncType(KeyFunc code) { return static_cast<uint8_t>(code >> 24); }
constexpr uint32_t KeyFuncData(KeyFunc code) { return code & 0xFFFFFFu; }

// Function types.
constexpr uint8_t kFuncTypeMouse = 0x01;     // mouse buttons, clicks and the wheel
constexpr uint8_t kFuncTypeKey = 0x02;       // key or key combination (modifier, key, key 2)
constexpr uint8_t kFuncTypeApp = 0x03;       // application keys (mail, calculator, …)
constexpr uint8_t kFuncTypeMedia = 0x04;     // media keys
constexpr uint8_t kFuncTypeMacro = 0x05;     // macro (ID in dwMacroID)
constexpr uint8_t kFuncTypeSpecial = 0x08;   // DPI, lighting, fire, switches, PUBG gun
constexpr uint8_t kFuncTypeHw = 0x09;        // hardware function 0 … 3
constexpr uint8_t kFuncTypePubgMenu = 0x0A;  // PUBG menu entries, never stored
constexpr uint8_t kFuncTypeExKey = 0x0B;     // extra key 0 … 5
constexpr uint8_t kFuncTypeRecoil = 0x0C;    // recoil (bullet) macro (ID in dwMacroID)

// Type 0x01.
constexpr KeyFunc kFuncLeftClick = 0x01000011;
constexpr KeyFunc kFuncMiddleClick = 0x01000012;
constexpr KeyFunc kFuncRightClick = 0x01000013;
constexpr KeyFunc kFuncForward = 0x01000014;
constexpr KeyFunc kFuncBack = 0x01000015;
constexpr KeyFunc kFuncDoubleClick = 0x01000016;
constexpr KeyFunc kFuncTripleClick = 0x01000017;
constexpr KeyFunc kFuncWheelUp = 0x01000018;
constexpr KeyFunc kFuncWheelDown = 0x01000019;

// Type 0x02.
constexpr KeyFunc kFuncKey = 0x02000000;         // key or combination
constexpr KeyFunc kFuncLayoutKey = 0x020000A0;   // plain key of the keyboard layout
constexpr KeyFunc kFuncComboKey = 0x020000A1;    // combination (menu entry, sensor tables)

// Type 0x03 (data 0x29 … 0x39 below also exist as type 0x04).
constexpr KeyFunc kFuncAppMail = 0x03000030;
constexpr KeyFunc kFuncAppCalculator = 0x03000031;
constexpr KeyFunc kFuncAppMyComputer = 0x03000032;
constexpr KeyFunc kFuncAppBrowserHome = 0x03000034;

// Type 0x04.
constexpr KeyFunc kFuncMediaMenu = 0x04000000;  // submenu header, never stored
constexpr KeyFunc kFuncMediaSelect = 0x04000021;
constexpr KeyFunc kFuncMediaPlayPause = 0x04000022;
constexpr KeyFunc kFuncMediaStop = 0x04000023;
constexpr KeyFunc kFuncMediaPrevious = 0x04000024;
constexpr KeyFunc kFuncMediaNext = 0x04000025;
constexpr KeyFunc kFuncMediaVolumeUp = 0x04000026;
constexpr KeyFunc kFuncMediaVolumeDown = 0x04000027;
constexpr KeyFunc kFuncMediaMute = 0x04000028;

// Data of type 0x03 or 0x04.
constexpr uint32_t kDataBrightnessUp = 0x29;
constexpr uint32_t kDataBrightnessDown = 0x2A;
constexpr uint32_t kDataSearch = 0x33;
constexpr uint32_t kDataBrowserBack = 0x35;
constexpr uint32_t kDataBrowserForward = 0x36;
constexpr uint32_t kDataBrowserStop = 0x37;
constexpr uint32_t kDataRefresh = 0x38;
constexpr uint32_t kDataFavourites = 0x39;

// Type 0x05 and 0x0C.
constexpr KeyFunc kFuncMacro = 0x05000000;
constexpr KeyFunc kFuncRecoilMacro = 0x0C000000;

// Type 0x08.
constexpr KeyFunc kFuncDpiMenu = 0x08000000;  // submenu header, never stored
constexpr KeyFunc kFuncKeyOff = 0x080000A2;
constexpr KeyFunc kFuncShift = 0x080000A3;  // display only
constexpr KeyFunc kFuncFire = 0x080000A4;
constexpr KeyFunc kFuncDpiLock = 0x080000A6;
constexpr KeyFunc kFuncLightOnOff = 0x080000A7;
constexpr KeyFunc kFuncDpiUp = 0x080000A8;
constexpr KeyFunc kFuncDpiDown = 0x080000A9;
constexpr KeyFunc kFuncDpiCycle = 0x080000AA;
constexpr KeyFunc kFuncModeSwitch = 0x080000AB;
constexpr KeyFunc kFuncReportRateSwitch = 0x080000AC;
constexpr KeyFunc kFuncCustomKey = 0x080000AD;
constexpr KeyFunc kFuncLightEffectSwitch = 0x080000AE;
constexpr KeyFunc kFuncKeySnipe = 0x080000AF;
constexpr KeyFunc kFuncDisplayB0 = 0x080000B0;
constexpr KeyFunc kFuncDisplayB1 = 0x080000B1;
constexpr KeyFunc kFuncSpeedUp = 0x080000B2;
constexpr KeyFunc kFuncSpeedDown = 0x080000B3;
constexpr KeyFunc kFuncDisplayB4 = 0x080000B4;
constexpr KeyFunc kFuncKbBrightnessUp = 0x080000B5;
constexpr KeyFunc kFuncKbBrightnessDown = 0x080000B6;
constexpr KeyFunc kFuncDisplayB7 = 0x080000B7;
constexpr KeyFunc kFuncPubgGun = 0x080000C0;
constexpr KeyFunc kFuncPubgOption = 0x080000C2;
constexpr KeyFunc kFuncReportRateUp = 0x080000D0;
constexpr KeyFunc kFuncReportRateDown = 0x080000D1;

// Data bytes of type 0x08 that need their extra value.
constexpr uint32_t kDataFire = 0xA4;
constexpr uint32_t kDataDpiLock = 0xA6;
constexpr uint32_t kDataCustomKey = 0xAD;
constexpr uint32_t kDataKeySnipe = 0xAF;
constexpr uint32_t kDataPubgGun = 0xC0;

// Type 0x09, 0x0A, 0x0B.
constexpr KeyFunc kFuncHw = 0x09000000;  // + function 0 … 3
constexpr KeyFunc kFuncPubgMenuGun = 0x0A0000C0;
constexpr KeyFunc kFuncPubgMenuOption = 0x0A0000C2;
constexpr KeyFunc kFuncExKey = 0x0B000000;  // + extra key 0 … 5

// A DPI-lock menu entry for step s of the sensor's step table (stored as kFuncDpiLock, s + 1).
constexpr KeyFunc DpiLockMenuCode(uint32_t step) { return kFuncDpiLock | ((step & 0xFFFFu) << 8); }

// Modifier bits (dwModifier of a type-2 item).
constexpr uint8_t kModLCtrl = 0x01;
constexpr uint8_t kModLShift = 0x02;
constexpr uint8_t kModLAlt = 0x04;
constexpr uint8_t kModLWin = 0x08;
constexpr uint8_t kModRCtrl = 0x10;
constexpr uint8_t kModRShift = 0x20;
constexpr uint8_t kModRAlt = 0x40;
constexpr uint8_t kModRWin = 0x80;

// Fire targets in byte 2 of a fire item's extra value: mouse buttons 0xF0 … 0xF6, otherwise a
// virtual-key code.
constexpr uint8_t kFireTargetFirst = 0xF0;
constexpr uint8_t kFireTargetLast = 0xF6;

// PUBG gun extra value: bits 0–3 gun, 4–7 variant, 8–11 colour index (as configured), 16–23 gun
// value, 24–31 rate.
constexpr uint32_t GunNumber(uint32_t extra) { return extra & 0x0F; }
constexpr uint32_t GunVariant(uint32_t extra) { return (extra >> 4) & 0x0F; }
constexpr uint32_t GunColourIndex(uint32_t extra) { return (extra >> 8) & 0x0F; }
constexpr uint32_t GunValueOf(uint32_t extra) { return (extra >> 16) & 0xFF; }
constexpr uint32_t GunRate(uint32_t extra) { return (extra >> 24) & 0xFF; }

// ---- The record ----------------------------------------------------------------------------

// One key assignment: 88 bytes, little-endian, copied byte for byte into and out of files and
// profile records.
struct KeyItem {
  KeyFunc dwFunc = 0;          // function code
  Rect rc;                     // key rectangle on the picture or button list
  uint32_t dwMatrixInx = 0;    // position in the device's key matrix
  uint32_t dwMacroID = 0;      // macro ID (types 5 and 12)
  uint8_t byModifier = 0;      // modifier bits (type 2)
  uint8_t byKey = 0;           // virtual-key code (type 2)
  uint8_t byKey2 = 0;          // second key (type 2), 0 if none
  uint8_t byUserSet = 0;       // 1 when the user set the combination
  uint32_t dwExtra = 0;        // extra value, meaning per function
  int32_t nFnInx = 0;          // Fn slot number (keyboard; -1 = none)
  KeyFunc dwFnFunc = 0;        // Fn-layer function code
  std::array<uint8_t, 24> byReserved1{};
  uint8_t byFnModifier = 0;    // Fn-layer modifier bits
  uint8_t byFnKey = 0;         // Fn-layer key
  std::array<uint8_t, 2> byReserved2{};
  uint32_t dwFnExtra = 0;      // Fn-layer extra value
  uint32_t dwLedInx = 0;       // position in the device's light matrix
  COLORREF clrGun = 0;         // colour of a PUBG gun entry
  uint32_t dwReserved3 = 0;

  uint8_t Type() const { return KeyFuncType(dwFunc); }
  uint32_t Data() const { return KeyFuncData(dwFunc); }

  friend bool operator==(const KeyItem&, const KeyItem&) = default;
};

static_assert(sizeof(Rect) == 16);
static_assert(sizeof(KeyItem) == 88);
static_assert(std::is_trivially_copyable_v<KeyItem>);
static_assert(std::is_standard_layout_v<KeyItem>);
static_assert(offsetof(KeyItem, dwFunc) == 0);
static_assert(offsetof(KeyItem, rc) == 4);
static_assert(offsetof(KeyItem, dwMatrixInx) == 20);
static_assert(offsetof(KeyItem, dwMacroID) == 24);
static_assert(offsetof(KeyItem, byModifier) == 28);
static_assert(offsetof(KeyItem, byKey) == 29);
static_assert(offsetof(KeyItem, byKey2) == 30);
static_assert(offsetof(KeyItem, byUserSet) == 31);
static_assert(offsetof(KeyItem, dwExtra) == 32);
static_assert(offsetof(KeyItem, nFnInx) == 36);
static_assert(offsetof(KeyItem, dwFnFunc) == 40);
static_assert(offsetof(KeyItem, byReserved1) == 44);
static_assert(offsetof(KeyItem, byFnModifier) == 68);
static_assert(offsetof(KeyItem, byFnKey) == 69);
static_assert(offsetof(KeyItem, byReserved2) == 70);
static_assert(offsetof(KeyItem, dwFnExtra) == 72);
static_assert(offsetof(KeyItem, dwLedInx) == 76);
static_assert(offsetof(KeyItem, clrGun) == 80);
static_assert(offsetof(KeyItem, dwReserved3) == 84);

constexpr size_t kKeyItemSize = sizeof(KeyItem);
constexpr size_t kMsKeyCount = 21;   // entries of a mouse key table
constexpr size_t kKbKeyCount = 132;  // entries of a keyboard key table
constexpr size_t kMsModeCount = 3;

using MsKeyTable = std::array<KeyItem, kMsKeyCount>;
using MsKeyTables = std::array<MsKeyTable, kMsModeCount>;

// Byte images of one record.
inline KeyItem KeyItemFromBytes(std::span<const uint8_t, kKeyItemSize> bytes) {
  KeyItem item;
  std::memcpy(&item, bytes.data(), kKeyItemSize);
  return item;
}
inline std::array<uint8_t, kKeyItemSize> KeyItemToBytes(const KeyItem& item) {
  std::array<uint8_t, kKeyItemSize> bytes{};
  std::memcpy(bytes.data(), &item, kKeyItemSize);
  return bytes;
}

}  // namespace varnel
