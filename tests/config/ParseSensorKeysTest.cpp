#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "TestSupport.h"
#include "config/SensorKeys.h"
#include "platform/UiPort.h"

namespace varnel {
namespace {

class SensorKeysTest : public ::testing::Test {
 protected:
  SensorKeysTest() {
    context.exKey = {0x11, 0, 0x33, 0x44, 0x55, 0x66};
    for (size_t i = 0; i < context.gunValue.size(); ++i) context.gunValue[i] = uint8_t(100 + i);
    context.gunColor = {0xFF, 0xFF0000, 0xFF00, 0xFFFF00, 0xFF00FF, 0xFFFF, 0xFFFFFF};
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& m : ui.Messages()) out.push_back(m.caption + ": " + m.text);
    return out;
  }
  RecordingUiPort ui;
  ScopedUiPort scope{ui};
  SensorKeyContext context;
};

TEST_F(SensorKeysTest, KeyLinesByType) {
  struct Case {
    const char* line;
    KeyFunc func;
    uint32_t matrix;
    uint32_t extra;
    uint32_t macro;
  };
  const Case cases[] = {
      {"1,11,0,0", kFuncLeftClick, 0, 0, 0},
      {"1, 311 ,7,105", kFuncLeftClick, 5, 0, 0},  // code and matrix keep their low byte
      {"4,22,0,3", kFuncMediaPlayPause, 3, 0, 0},
      {"5,7,1234,3", kFuncMacro, 3, 0, 0x1234},
      {"c,c0,99,1", kFuncRecoilMacro, 1, 0, 0x99},
      {"8,a4,f20305,2", kFuncFire, 2, 0xF20305, 0},
      {"8,a6,3,2", kFuncDpiLock, 2, 3, 0},
      {"8,af,ff00,2", kFuncKeySnipe, 2, 0xFF00, 0},
      {"8,a7,ff,4", kFuncLightOnOff, 4, 0, 0},  // no extra value for other functions
      {"9,2,1,2", kFuncHw + 2, 2, 1, 0},
      {"b,0,99,6", kFuncExKey + 0, 6, 0x11, 0},
      {"B,2,0,6", kFuncExKey + 2, 6, 0x33, 0},
  };
  for (const auto& c : cases) {
    const auto key = ParseSensorKey(c.line, context);
    ASSERT_TRUE(key) << c.line;
    EXPECT_EQ(key->item.dwFunc, c.func) << c.line;
    EXPECT_EQ(key->item.dwMatrixInx, c.matrix) << c.line;
    EXPECT_EQ(key->item.dwExtra, c.extra) << c.line;
    EXPECT_EQ(key->item.dwMacroID, c.macro) << c.line;
    EXPECT_FALSE(key->customValue) << c.line;
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SensorKeysTest, CombinationLine) {
  const auto key = ParseSensorKey("2,1105,3,5", context);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->item.dwFunc, kFuncComboKey);
  EXPECT_EQ(key->item.byKey, 0x05);
  EXPECT_EQ(key->item.byKey2, 0x11);
  EXPECT_EQ(key->item.byModifier, 0x03);
  EXPECT_EQ(key->item.dwMatrixInx, 5u);
  EXPECT_EQ(key->item.dwExtra, 0u);
  // Only the four left-hand modifier bits come from the extra value.
  EXPECT_EQ(ParseSensorKey("2,41,ff,0", context)->item.byModifier, 0x0F);
}

TEST_F(SensorKeysTest, CustomKeyReportsItsValue) {
  const auto key = ParseSensorKey("8,ad,55,1", context);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->item.dwFunc, kFuncCustomKey);
  EXPECT_EQ(key->item.dwExtra, 0x55u);
  EXPECT_EQ(key->customValue, 0x55u);
}

TEST_F(SensorKeysTest, IndexMessages) {
  struct Case {
    const char* line;
    KeyFunc func;
    uint32_t extra;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"9,4,1,2", 0x09000004, 1, {"Error: Wrong FUN_HW Index"}},
      {"9,ff,0,2", 0x090000FF, 0, {"Error: Wrong FUN_HW Index"}},
      {"b,1,0,2", 0x0B000001, 0, {"Error: UnSet ExKey Value"}},
      {"b,4,0,2", 0x0B000004, 0x55, {}},
      {"b,5,0,2", 0x0B000005, 0x66, {"Error: Wrong ExKey Index"}},
      // Beyond the six values nothing is read.
      {"b,9,0,2", 0x0B000009, 0, {"Error: Wrong ExKey Index"}},
  };
  for (const auto& c : cases) {
    ui.Clear();
    const auto key = ParseSensorKey(c.line, context);
    ASSERT_TRUE(key) << c.line;
    EXPECT_EQ(key->item.dwFunc, c.func) << c.line;
    EXPECT_EQ(key->item.dwExtra, c.extra) << c.line;
    EXPECT_EQ(Texts(), c.messages) << c.line;
  }
  context.exKey[5] = 0;
  ui.Clear();
  ParseSensorKey("b,5,0,2", context);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"Error: UnSet ExKey Value", "Error: Wrong ExKey Index"}));
}

TEST_F(SensorKeysTest, GunDefaultsValueRateAndColour) {
  struct Case {
    const char* line;
    int32_t shootSpeed;
    uint32_t extra;
    COLORREF colour;
  };
  const Case cases[] = {
      // gun 3, variant 2, colour 1: value GunValue[11], rate 25
      {"8,c0,123,0", 1, 0x19000123 | (111u << 16), 0xFF0000},
      {"8,c0,123,0", 40, 0x28000123 | (111u << 16), 0xFF0000},
      // given value and rate stay
      {"8,c0,0a370601,0", 40, 0x0A370601, 0xFFFFFF},
      // gun 7 has no configured value, colour 9 no colour
      {"8,c0,907,0", 1, 0x19000907, 0},
  };
  for (const auto& c : cases) {
    context.shootSpeed = c.shootSpeed;
    const auto key = ParseSensorKey(c.line, context);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->item.dwFunc, kFuncPubgGun);
    EXPECT_EQ(key->item.dwExtra, c.extra) << std::hex << key->item.dwExtra;
    EXPECT_EQ(key->item.clrGun, c.colour) << c.line;
  }
}

TEST_F(SensorKeysTest, MalformedLinesAreSkippedQuietly) {
  for (const char* line : {"", "1,11,0", "1,11,0,5,6", "1,zz,0,5", "1,11,,5", "1,11,0,5,",
                           "0x1,11,0,5", "-1,11,0,5", "1 11 0 5"}) {
    EXPECT_FALSE(ParseSensorKey(line, context)) << line;
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SensorKeysTest, SectionReadsTheKeysOfOneMode) {
  const std::map<std::string, std::string> section = {
      {"K1_2", "1,13,0,1"}, {"K2_2", "1,13"},        {"K3_2", "8,ad,7,3"},
      {"K21_2", "5,0,42,20"}, {"K1_1", "1,11,0,9"}, {"K22_2", "1,11,0,9"}};
  auto read = [&section](std::string_view key) -> std::optional<std::string> {
    auto it = section.find(std::string(key));
    if (it == section.end()) return std::nullopt;
    return it->second;
  };
  MsKeyTable table{};
  table[1].dwFunc = kFuncBack;  // untouched by the malformed K2_2
  const SensorKeysResult result = ParseSensorKeys(read, 2, table, context);
  EXPECT_EQ(result.count, 3);
  EXPECT_EQ(result.customValue, 7u);
  EXPECT_EQ(table[0].dwFunc, kFuncRightClick);
  EXPECT_EQ(table[1].dwFunc, kFuncBack);
  EXPECT_EQ(table[2].dwFunc, kFuncCustomKey);
  EXPECT_EQ(table[20].dwMacroID, 0x42u);
  EXPECT_EQ(table[20].dwMatrixInx, 0x20u);
  for (size_t i = 3; i < 20; ++i) EXPECT_EQ(table[i].dwFunc, 0u) << i;
}

// ---- keycfg.kyg and the default mouse key tables --------------------------------------------

class DefMsKeysTest : public ::testing::Test {
 protected:
  DefMsKeysTest() {
    for (size_t m = 0; m < 3; ++m) {
      for (size_t k = 0; k < 21; ++k) {
        sensorTables[m][k].dwFunc = kFuncLeftClick;
        sensorTables[m][k].dwMatrixInx = uint32_t(k + 1);
        sensorTables[m][k].rc = Rect{1, 1, 1, 1};
      }
    }
    sensor.tables = &sensorTables;
    sensor.keyY = 10;
    sensor.keyH = 6;
  }
  // A keycfg image built by offsets, every key a macro with ID 1000 + mode × 100 + key.
  std::string KeyCfgImage(uint32_t magic, size_t size = kKeyCfgFileSize) const {
    std::string bytes(kKeyCfgFileSize, '\0');
    std::memcpy(bytes.data(), &magic, 4);
    bytes[4] = 'M';  // first byte of the first macro slot
    for (size_t m = 0; m < 3; ++m) {
      for (size_t k = 0; k < 21; ++k) {
        KeyItem item;
        item.dwFunc = kFuncMacro;
        item.dwMacroID = uint32_t(1000 + m * 100 + k);
        item.dwMatrixInx = 99;
        const auto image = KeyItemToBytes(item);
        std::memcpy(bytes.data() + 22204 + (m * 21 + k) * 88, image.data(), 88);
      }
    }
    bytes.resize(size);
    return bytes;
  }
  void TearDown() override { g_defMsKEY = {}; }

  test::TempDir dir;
  RecordingUiPort ui;
  ScopedUiPort scope{ui};
  MsKeyTables sensorTables{};
  SensorKeyLayout sensor;
};

TEST_F(DefMsKeysTest, KeyCfgImageLayout) {
  const auto path = dir.Write("keycfg.kyg", KeyCfgImage(kKeyCfgMagic));
  const auto file = ReadKeyCfg(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->macroSlots[0][0], 'M');
  EXPECT_EQ(file->msKeys[0][0].dwMacroID, 1000u);
  EXPECT_EQ(file->msKeys[1][3].dwMacroID, 1103u);
  EXPECT_EQ(file->msKeys[2][20].dwMacroID, 1220u);
}

TEST_F(DefMsKeysTest, KeyCfgMustBeWholeAndCarryTheMagic) {
  EXPECT_FALSE(ReadKeyCfg(dir.path() / "missing.kyg"));
  EXPECT_FALSE(ReadKeyCfg(dir.Write("bad.kyg", KeyCfgImage(0x8948EE02))));
  EXPECT_FALSE(ReadKeyCfg(dir.Write("short.kyg", KeyCfgImage(kKeyCfgMagic, 27747))));
  EXPECT_TRUE(ReadKeyCfg(dir.Write("long.kyg", KeyCfgImage(kKeyCfgMagic) + "tail")));
}

TEST_F(DefMsKeysTest, FromTheSensorWithoutKeyCfg) {
  BuildDefMsKeys(&sensor, 0, dir.path());
  for (size_t m = 0; m < 3; ++m) {
    for (size_t k = 0; k < 21; ++k) {
      const int32_t y = 10 + int32_t(k) * 30;
      EXPECT_EQ(g_defMsKEY[m][k].dwFunc, kFuncLeftClick);
      EXPECT_EQ(g_defMsKEY[m][k].rc, (Rect{45, y, 250, y + 24})) << m << "," << k;
      EXPECT_EQ(g_defMsKEY[m][k].dwMatrixInx, k + 1);
    }
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DefMsKeysTest, KeyCfgGivesFunctionsTheSensorGivesMatrixIndexes) {
  dir.Write("keycfg.kyg", KeyCfgImage(kKeyCfgMagic));
  BuildDefMsKeys(&sensor, 21, dir.path());
  EXPECT_EQ(g_defMsKEY[1][3].dwFunc, kFuncMacro);
  EXPECT_EQ(g_defMsKEY[1][3].dwMacroID, 1103u);
  EXPECT_EQ(g_defMsKEY[1][3].dwMatrixInx, 4u);
  EXPECT_EQ(g_defMsKEY[2][20].rc, (Rect{45, 610, 250, 634}));
}

TEST_F(DefMsKeysTest, KeyCfgWithWrongMagicIsIgnored) {
  dir.Write("keycfg.kyg", KeyCfgImage(0x12345678));
  BuildDefMsKeys(&sensor, 21, dir.path());
  EXPECT_EQ(g_defMsKEY[1][3].dwFunc, kFuncLeftClick);
}

TEST_F(DefMsKeysTest, RowsRepeatAfterViewKeyNum) {
  sensor.keyY = 4;
  sensor.keyH = 2;
  const MsKeyTables tables = MakeDefMsKeys(nullptr, &sensor, 5);
  for (size_t k = 0; k < 21; ++k) {
    const int32_t y = 4 + int32_t(k % 5) * 26;
    EXPECT_EQ(tables[0][k].rc, (Rect{45, y, 250, y + 24})) << k;
    EXPECT_EQ(tables[2][k].rc, tables[0][k].rc);
  }
}

TEST_F(DefMsKeysTest, EveryButtonWhoseMatrixDiffersBetweenModesOneAndTwoWarns) {
  sensorTables[1][2].dwMatrixInx = 50;
  sensorTables[1][7].dwMatrixInx = 51;
  sensorTables[2][9].dwMatrixInx = 52;  // mode 3 is not compared
  BuildDefMsKeys(&sensor, 21, dir.path());
  const auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 2u);
  for (const auto& m : messages) {
    EXPECT_EQ(m.text, "Matrix index repeat");
    EXPECT_EQ(m.caption, "Warning");
  }
}

TEST_F(DefMsKeysTest, WithoutSensorKeyCfgIsKeptAsIs) {
  dir.Write("keycfg.kyg", KeyCfgImage(kKeyCfgMagic));
  BuildDefMsKeys(nullptr, 21, dir.path());
  EXPECT_EQ(g_defMsKEY[0][1].dwMacroID, 1001u);
  EXPECT_EQ(g_defMsKEY[0][1].dwMatrixInx, 99u);
  EXPECT_EQ(g_defMsKEY[0][1].rc, (Rect{45, 40, 250, 64}));
  BuildDefMsKeys(nullptr, 21, {});
  EXPECT_EQ(g_defMsKEY[0][1].dwFunc, 0u);
  EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace varnel
