#include <gtest/gtest.h>

#include <cstring>

#include "config/KeyItem.h"

namespace varnel {
namespace {

using Bytes = std::array<uint8_t, kKeyItemSize>;

void PutLe(Bytes& b, size_t offset, size_t size, uint32_t value) {
  for (size_t i = 0; i < size; ++i) b[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Every field at the offset and with the size the file formats give it.
struct FieldCase {
  const char* name;
  size_t offset;
  size_t size;
  uint32_t value;
  uint32_t (*get)(const KeyItem&);
};

const FieldCase kFields[] = {
    {"function", 0, 4, 0x080000A4, [](const KeyItem& k) { return k.dwFunc; }},
    {"left", 4, 4, 0xFFFFFFF6, [](const KeyItem& k) { return uint32_t(k.rc.left); }},
    {"top", 8, 4, 0x00000102, [](const KeyItem& k) { return uint32_t(k.rc.top); }},
    {"right", 12, 4, 0x00000304, [](const KeyItem& k) { return uint32_t(k.rc.right); }},
    {"bottom", 16, 4, 0x00000506, [](const KeyItem& k) { return uint32_t(k.rc.bottom); }},
    {"matrix", 20, 4, 0x00000083, [](const KeyItem& k) { return k.dwMatrixInx; }},
    {"macro", 24, 4, 0x12345678, [](const KeyItem& k) { return k.dwMacroID; }},
    {"modifier", 28, 1, 0x81, [](const KeyItem& k) { return uint32_t(k.byModifier); }},
    {"key", 29, 1, 0x41, [](const KeyItem& k) { return uint32_t(k.byKey); }},
    {"key2", 30, 1, 0x42, [](const KeyItem& k) { return uint32_t(k.byKey2); }},
    {"userset", 31, 1, 0x01, [](const KeyItem& k) { return uint32_t(k.byUserSet); }},
    {"extra", 32, 4, 0xA1B2C3D4, [](const KeyItem& k) { return k.dwExtra; }},
    {"fn slot", 36, 4, 0xFFFFFFFF, [](const KeyItem& k) { return uint32_t(k.nFnInx); }},
    {"fn function", 40, 4, 0x02000000, [](const KeyItem& k) { return k.dwFnFunc; }},
    {"fn modifier", 68, 1, 0x10, [](const KeyItem& k) { return uint32_t(k.byFnModifier); }},
    {"fn key", 69, 1, 0x70, [](const KeyItem& k) { return uint32_t(k.byFnKey); }},
    {"fn extra", 72, 4, 0x0BADF00D, [](const KeyItem& k) { return k.dwFnExtra; }},
    {"led", 76, 4, 0x00000077, [](const KeyItem& k) { return k.dwLedInx; }},
    {"gun colour", 80, 4, 0x00FF8000, [](const KeyItem& k) { return k.clrGun; }},
};

TEST(KeyItem, EveryFieldSitsAtItsOffsetInTheByteImage) {
  Bytes image{};
  for (const auto& f : kFields) PutLe(image, f.offset, f.size, f.value);
  // Reserved bytes are carried through untouched.
  image[44] = 0xE1;
  image[67] = 0xE2;
  image[70] = 0xE3;
  image[87] = 0xE4;
  const KeyItem item = KeyItemFromBytes(image);
  for (const auto& f : kFields) EXPECT_EQ(f.get(item), f.value) << f.name;
  EXPECT_EQ(item.rc.left, -10);
  EXPECT_EQ(item.nFnInx, -1);
  EXPECT_EQ(KeyItemToBytes(item), image);
}

TEST(KeyItem, FieldsWrittenByNameLandAtTheirOffsets) {
  KeyItem item;
  item.dwFunc = kFuncComboKey;
  item.byModifier = kModLCtrl | kModRShift;
  item.byKey = 0x05;
  item.byKey2 = 0x11;
  item.dwLedInx = 131;
  const Bytes b = KeyItemToBytes(item);
  EXPECT_EQ(b[0], 0xA1);
  EXPECT_EQ(b[3], 0x02);
  EXPECT_EQ(b[28], 0x21);
  EXPECT_EQ(b[29], 0x05);
  EXPECT_EQ(b[30], 0x11);
  EXPECT_EQ(b[76], 131);
  size_t nonZero = 0;
  for (uint8_t v : b) nonZero += v != 0;
  EXPECT_EQ(nonZero, 6u);
}

TEST(KeyFunc, BuildAndSplit) {
  struct Case {
    uint32_t type, data;
    KeyFunc code;
  };
  const Case cases[] = {
      {0x01, 0x11, kFuncLeftClick},   {0x02, 0xA1, kFuncComboKey}, {0x05, 0, kFuncMacro},
      {0x08, 0xA4, kFuncFire},        {0x0C, 0, kFuncRecoilMacro}, {0x0A, 0xC2, kFuncPubgMenuOption},
      {0xFF, 0xFFFFFF, 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MakeKeyFunc(c.type, c.data), c.code);
    EXPECT_EQ(KeyFuncType(c.code), c.type);
    EXPECT_EQ(KeyFuncData(c.code), c.data);
  }
  // Data beyond 24 bits and type beyond 8 bits do not leak into the other part.
  EXPECT_EQ(MakeKeyFunc(0x108, 0x1A4), 0x080001A4u);
  EXPECT_EQ(MakeKeyFunc(0x08, 0x7F0000A4), 0x080000A4u);
  EXPECT_EQ(DpiLockMenuCode(3), 0x080003A6u);
  EXPECT_EQ(KeyFuncData(DpiLockMenuCode(3)) & 0xFF, kDataDpiLock);
}

TEST(KeyFunc, GunExtraValueParts) {
  const uint32_t extra = 0x19320521;  // rate 0x19, value 0x32, colour 5, variant 2, gun 1
  EXPECT_EQ(GunNumber(extra), 1u);
  EXPECT_EQ(GunVariant(extra), 2u);
  EXPECT_EQ(GunColourIndex(extra), 5u);
  EXPECT_EQ(GunValueOf(extra), 0x32u);
  EXPECT_EQ(GunRate(extra), 0x19u);
}

}  // namespace
}  // namespace varnel
