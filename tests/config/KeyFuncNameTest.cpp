#include <gtest/gtest.h>

#include "KeyTestTexts.h"
#include "TestSupport.h"
#include "config/KeyFuncName.h"

namespace varnel {
namespace {

KeyItem Item(KeyFunc code, uint32_t extra = 0) {
  KeyItem item;
  item.dwFunc = code;
  item.dwExtra = extra;
  return item;
}

KeyItem Combo(uint8_t modifier, uint8_t key, uint8_t key2 = 0) {
  KeyItem item;
  item.dwFunc = kFuncKey;
  item.byModifier = modifier;
  item.byKey = key;
  item.byKey2 = key2;
  return item;
}

class KeyFuncNameTest : public ::testing::Test {
 protected:
  KeyFuncNameTest() {
    sources.macroName = [](uint32_t id) -> std::optional<std::string> {
      if (id == 7) return "Burst";
      return std::nullopt;
    };
    sources.recoilMacroName = [](uint32_t id) -> std::optional<std::string> {
      if (id == 9) return "M4";
      return std::nullopt;
    };
    sources.stepDpi = [](uint32_t step) -> std::optional<int32_t> {
      if (step >= 1 && step <= 3) return int32_t(step * 400);
      return std::nullopt;
    };
    sources.gunName = [](const KeyItem& item) { return "gun" + std::to_string(GunNumber(item.dwExtra)); };
  }
  test::KeyTexts texts;
  test::ScopedEnv layout{"VARNEL_KB_LAYOUT", "us"};
  KeyFuncNameSources sources;
};

TEST_F(KeyFuncNameTest, KeysAndCombinations) {
  struct Case {
    KeyItem item;
    const char* name;
  };
  const Case cases[] = {
      {Combo(0x12, 0x41), "Ctrl + Shift + A"},
      {Combo(0xFF, 0x41, 0x42), "Ctrl + Alt + Shift + Win + A + B"},
      {Combo(kModRAlt | kModLWin, 0), "Alt + Win"},
      {Combo(0, 0x70), "F1"},
      {Combo(0, 0x31, 0x1B), "1 + Esc"},
      {Combo(0, 250), "Fn"},
      {Combo(kModLCtrl, 250), "Ctrl"},  // 250 has no name of its own
      {Combo(0, 137), "PL"},
      {Combo(kModLCtrl, 143), "mute"},
      {Combo(0, 153), "kbmedia_cal"},
      {Combo(0, 154), "kbmedia_explore"},
      {Combo(0, 0), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyFuncName(c.item, sources), c.name) << c.name;
  KeyItem layoutKey = Combo(0, 0x20);
  layoutKey.dwFunc = kFuncLayoutKey;
  EXPECT_EQ(KeyFuncName(layoutKey, sources), "Space");
}

TEST_F(KeyFuncNameTest, MacrosByTheirNameAndDeletedMacrosEmpty) {
  KeyItem macro = Item(kFuncMacro);
  macro.dwMacroID = 7;
  EXPECT_EQ(KeyFuncName(macro, sources), "mac_def - Burst");
  macro.dwMacroID = 8;
  EXPECT_EQ(KeyFuncName(macro, sources), "");
  EXPECT_EQ(KeyFuncName(macro, KeyFuncNameSources{}), "");
  KeyItem recoil = Item(kFuncRecoilMacro);
  recoil.dwMacroID = 9;
  EXPECT_EQ(KeyFuncName(recoil, sources), "bullet14 - M4");
  recoil.dwMacroID = 7;  // an ordinary macro's ID does not name a recoil macro
  EXPECT_EQ(KeyFuncName(recoil, sources), "");
  {
    ScopedKeyFuncNameSources installed(sources);
    macro.dwMacroID = 7;
    EXPECT_EQ(KeyFuncName(macro), "mac_def - Burst");
  }
  EXPECT_EQ(KeyFuncName(macro), "");
}

TEST_F(KeyFuncNameTest, FireNamesItsTarget) {
  EXPECT_EQ(KeyFuncName(Item(kFuncFire, 0x00F20305), sources), "fire - middle");
  EXPECT_EQ(KeyFuncName(Item(kFuncFire, 0x00F50000), sources), "fire - titlt1");
  EXPECT_EQ(KeyFuncName(Item(kFuncFire, 0x00F60000), sources), "fire - titlt2");
  EXPECT_EQ(KeyFuncName(Item(kFuncFire, 0x00410000), sources), "fire - A");
  EXPECT_EQ(KeyFuncName(Item(kFuncFire, 0x00F10000), sources), "fire - menu");
  // Data 0xA4 of any type other than 2 is a fire key.
  EXPECT_EQ(KeyFuncName(Item(0x010000A4, 0x00F00000), sources), "fire - click");
}

TEST_F(KeyFuncNameTest, DpiLockAndGun) {
  EXPECT_EQ(KeyFuncName(Item(kFuncDpiLock, 2), sources), "snipe - 800");
  EXPECT_EQ(KeyFuncName(Item(kFuncDpiLock, 9), sources), "snipe");
  EXPECT_EQ(KeyFuncName(Item(kFuncPubgGun, 0x19320003), sources), "gun3");
  EXPECT_EQ(KeyFuncName(Item(kFuncPubgGun), KeyFuncNameSources{}), "");
}

TEST_F(KeyFuncNameTest, FunctionTable) {
  struct Case {
    KeyFunc code;
    const char* name;
  };
  const Case cases[] = {
      {kFuncLeftClick, "click"},         {kFuncRightClick, "menu"},
      {kFuncMiddleClick, "middle"},      {kFuncForward, "forward"},
      {kFuncBack, "back"},               {kFuncDoubleClick, "dclick"},
      {kFuncTripleClick, "three"},       {kFuncWheelUp, "scrollup"},
      {kFuncWheelDown, "scrolldown"},    {0x0100001A, ""},
      {kFuncAppMail, "kbmedia_mail"},    {kFuncAppCalculator, "kbmedia_cal"},
      {kFuncAppMyComputer, "kbmedia_explore"}, {kFuncAppBrowserHome, "kbmedia_main"},
      {0x03000021, ""},                  {0x04000030, ""},
      {kFuncMediaMenu, "media"},         {kFuncMediaSelect, "kbmedia_msel"},
      {kFuncMediaPlayPause, "PL"},       {kFuncMediaStop, "stop"},
      {kFuncMediaPrevious, "pre_media"}, {kFuncMediaNext, "next_media"},
      {kFuncMediaVolumeUp, "vol_up"},    {kFuncMediaVolumeDown, "vol_dw"},
      {kFuncMediaMute, "mute"},
      {0x03000029, "kbmedia_briup"},     {0x0400002A, "kbmedia_bridn"},
      {0x03000033, "kbmedia_search"},    {0x04000035, "back"},
      {0x03000036, "forward"},           {0x04000037, "kbmedia_stop"},
      {0x03000038, "kbmedia_refresh"},   {0x04000039, "kbmedia_favor"},
      {kFuncDpiMenu, "dpi"},             {kFuncKeyOff, "key_off"},
      {kFuncShift, "Shift"},             {kFuncLightOnOff, "rgb"},
      {kFuncDpiUp, "dpiadd"},            {kFuncDpiDown, "dpisub"},
      {kFuncDpiCycle, "dpiloop"},        {kFuncModeSwitch, "mdsw"},
      {kFuncReportRateSwitch, "reportsw"}, {kFuncCustomKey, "customkey"},
      {kFuncLightEffectSwitch, "rgbsw"}, {kFuncKeySnipe, "keysnipe"},
      {kFuncDisplayB0, "msg16"},         {kFuncDisplayB1, "msg17"},
      {kFuncSpeedUp, "speed +"},         {kFuncSpeedDown, "speed -"},
      {kFuncDisplayB4, "msg20"},         {kFuncDisplayB7, "msg20"},
      {kFuncKbBrightnessUp, "kb_briup"}, {kFuncKbBrightnessDown, "kb_bridn"},
      {kFuncPubgOption, "chiji3"},       {kFuncReportRateUp, "reportsw +"},
      {kFuncReportRateDown, "reportsw -"}, {0x080000A5, ""},
      {kFuncHw + 0, "hw1"},              {kFuncHw + 3, "hw4"},
      {kFuncHw + 4, ""},                 {kFuncPubgMenuGun, "chiji1"},
      {kFuncPubgMenuOption, "chiji3"},   {kFuncExKey + 0, "ex1"},
      {kFuncExKey + 3, "ex4"},           {kFuncExKey + 4, ""},
      {kFuncExKey + 5, ""},              {0x07000011, ""},
      {0x00000000, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyFuncName(Item(c.code), sources), c.name) << std::hex << c.code;
  }
}

TEST_F(KeyFuncNameTest, KeyboardBrightnessFallsBackToBrightness) {
  texts.Empty("tc_kb_briup");
  texts.Empty("tc_kb_bridn");
  EXPECT_EQ(KeyFuncName(Item(kFuncKbBrightnessUp), sources), "brightness +");
  EXPECT_EQ(KeyFuncName(Item(kFuncKbBrightnessDown), sources), "brightness -");
}

}  // namespace
}  // namespace varnel
