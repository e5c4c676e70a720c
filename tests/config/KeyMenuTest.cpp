#include <gtest/gtest.h>

#include <algorithm>

#include "KeyTestTexts.h"
#include "config/KeyMenu.h"

namespace varnel {
namespace {

std::vector<KeyFunc> Codes(const std::vector<KeyMenuEntry>& menu) {
  std::vector<KeyFunc> codes;
  for (const auto& e : menu) codes.push_back(e.code);
  return codes;
}

bool Has(const std::vector<KeyMenuEntry>& menu, KeyFunc code) {
  return std::any_of(menu.begin(), menu.end(), [code](const auto& e) { return e.code == code; });
}

const KeyMenuEntry& Entry(const std::vector<KeyMenuEntry>& menu, KeyFunc code) {
  return *std::find_if(menu.begin(), menu.end(), [code](const auto& e) { return e.code == code; });
}

class KeyMenuTest : public ::testing::Test {
 protected:
  KeyMenuTest() {
    defKeys[0].dwFunc = kFuncLightOnOff;
    defKeys[5].dwFunc = kFuncReportRateSwitch;
    defKeys[30].dwFunc = kFuncLightEffectSwitch;
    params.defMsKeys = defKeys;
  }
  test::KeyTexts texts;
  std::array<KeyItem, 63> defKeys{};
  KeyMenuParams params;
};

TEST_F(KeyMenuTest, EverythingOfferedInOrder) {
  params.hasProfile = true;
  params.profileMode = 1;
  params.msFw = 0x0110;
  params.showReportSw = params.showKeySnip = params.snipMenuOn = true;
  params.customValue = 0x33;
  params.snipSteps = {0, 2};
  params.sensorStepDpi = {400, 800, 1600};
  texts.Empty("tc_ex3");  // extra keys stop at the first empty text

  const auto menu = BuildKeyMenu(params);
  const std::vector<KeyFunc> expected = {
      kFuncLeftClick, kFuncRightClick, kFuncMiddleClick, kFuncForward, kFuncBack, kFuncWheelUp,
      kFuncWheelDown, kFuncTripleClick, kFuncPubgMenuGun, kFuncPubgMenuOption, kFuncFire,
      kFuncComboKey, kFuncLightOnOff, kFuncReportRateSwitch, kFuncLightEffectSwitch, kFuncMacro,
      kFuncCustomKey, kFuncKeyOff, kFuncKeySnipe, kFuncExKey + 0, kFuncExKey + 1, kFuncDpiMenu,
      kFuncMediaMenu, kFuncDpiLock};
  EXPECT_EQ(Codes(menu), expected);
  EXPECT_EQ(Entry(menu, kFuncLeftClick).text, "click");
  EXPECT_EQ(Entry(menu, kFuncComboKey).text, "combokey");
  EXPECT_EQ(Entry(menu, kFuncPubgMenuGun).text, "chiji1");
  EXPECT_EQ(Entry(menu, kFuncExKey + 1).text, "ex2");
  EXPECT_EQ(Entry(menu, kFuncDpiLock).text, "snipe");
  for (const auto& e : menu) {
    if (e.code != kFuncDpiMenu && e.code != kFuncMediaMenu) {
      EXPECT_TRUE(e.submenu.empty());
    }
  }

  const auto& dpi = Entry(menu, kFuncDpiMenu);
  EXPECT_EQ(dpi.text, "dpi");
  EXPECT_EQ(dpi.submenu,
            (std::vector<KeyMenuEntry>{{kFuncDpiUp, "dpiadd", {}},
                                       {kFuncDpiDown, "dpisub", {}},
                                       {kFuncDpiCycle, "dpiloop", {}},
                                       {0x080000A6, "400", {}},
                                       {0x080002A6, "1600", {}}}));

  const auto& media = Entry(menu, kFuncMediaMenu);
  EXPECT_EQ(media.text, "media");
  EXPECT_EQ(Codes(media.submenu),
            (std::vector<KeyFunc>{0x04000021, 0x04000022, 0x04000025, 0x04000024, 0x04000023,
                                  0x04000028, 0x04000026, 0x04000027, 0x03000030, 0x03000031,
                                  0x03000032, 0x03000034}));
  EXPECT_EQ(media.submenu[2].text, "next_media");
  EXPECT_EQ(media.submenu[11].text, "kbmedia_main");
}

TEST_F(KeyMenuTest, SmallestMenu) {
  params.rgbSw = false;
  params.defMsKeys = {};
  const auto menu = BuildKeyMenu(params);
  EXPECT_EQ(Codes(menu),
            (std::vector<KeyFunc>{kFuncLeftClick, kFuncRightClick, kFuncMiddleClick, kFuncForward,
                                  kFuncBack, kFuncWheelUp, kFuncWheelDown, kFuncTripleClick,
                                  kFuncFire, kFuncComboKey, kFuncMacro, kFuncKeyOff, kFuncDpiMenu,
                                  kFuncMediaMenu}));
  EXPECT_EQ(Codes(Entry(menu, kFuncDpiMenu).submenu),
            (std::vector<KeyFunc>{kFuncDpiUp, kFuncDpiDown, kFuncDpiCycle}));
}

TEST_F(KeyMenuTest, PubgEntriesNeedProfileFamilyModeAndOption) {
  struct Case {
    bool hasProfile;
    int32_t mode;
    int32_t msFw;
    bool show;
    bool offered;
  };
  const Case cases[] = {
      {true, 1, 16, true, true},     {true, 1, 0x310, true, true},
      {false, 1, 16, true, false},   {true, 0, 16, true, false},
      {true, 2, 16, true, false},    {true, 1, 15, true, false},
      {true, 1, 0x1F0F, true, false}, {true, 1, 16, false, false},
  };
  for (const auto& c : cases) {
    params.hasProfile = c.hasProfile;
    params.profileMode = c.mode;
    params.msFw = c.msFw;
    params.showPubgMenu = c.show;
    const auto menu = BuildKeyMenu(params);
    EXPECT_EQ(Has(menu, kFuncPubgMenuGun), c.offered) << c.msFw << " mode " << c.mode;
    EXPECT_EQ(Has(menu, kFuncPubgMenuOption), c.offered);
  }
}

TEST_F(KeyMenuTest, EntriesWithoutTextAreLeftOutWhereAllowed) {
  for (const char* key : {"tc_three", "tc_fire", "tc_rgb", "tc_customkey", "tc_kbmedia_mail",
                          "tc_kbmedia_cal", "tc_kbmedia_explore", "tc_kbmedia_main", "tc_click",
                          "tc_key_off", "tc_PL"}) {
    texts.Empty(key);
  }
  params.customValue = 1;
  const auto menu = BuildKeyMenu(params);
  for (KeyFunc gone : {kFuncTripleClick, kFuncFire, kFuncLightOnOff, kFuncCustomKey}) {
    EXPECT_FALSE(Has(menu, gone)) << std::hex << gone;
  }
  // The others stay, with their empty text.
  EXPECT_EQ(Entry(menu, kFuncLeftClick).text, "");
  EXPECT_EQ(Entry(menu, kFuncKeyOff).text, "");
  const auto& media = Entry(menu, kFuncMediaMenu).submenu;
  EXPECT_EQ(media.size(), 8u);
  EXPECT_EQ(media[1].text, "");
}

TEST_F(KeyMenuTest, SwitchesOnlyWhenADefaultKeyHasThem) {
  params.showReportSw = true;
  params.rgbSw = true;
  EXPECT_TRUE(Has(BuildKeyMenu(params), kFuncLightOnOff));
  EXPECT_TRUE(Has(BuildKeyMenu(params), kFuncReportRateSwitch));
  EXPECT_TRUE(Has(BuildKeyMenu(params), kFuncLightEffectSwitch));
  params.showReportSw = false;
  params.rgbSw = false;
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncReportRateSwitch));
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncLightEffectSwitch));
  params.showReportSw = params.rgbSw = true;
  defKeys = {};
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncLightOnOff));
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncReportRateSwitch));
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncLightEffectSwitch));
}

TEST_F(KeyMenuTest, CustomKeyNeedsACustomValue) {
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncCustomKey));
  params.customValue = 0;
  EXPECT_TRUE(Has(BuildKeyMenu(params), kFuncCustomKey));
}

TEST_F(KeyMenuTest, ExtraKeysFollowTheShowExByteOfTheMode) {
  params.hasProfile = true;
  params.showEx = 0x000100;  // mode 1 only
  for (int mode : {0, 1, 2}) {
    params.profileMode = mode;
    const auto menu = BuildKeyMenu(params);
    EXPECT_EQ(Has(menu, kFuncExKey), mode == 1) << mode;
    if (mode == 1) {
      // tc_ex5 and tc_ex6 have texts in this test, so all six are offered.
      for (uint32_t n = 0; n < 6; ++n) EXPECT_TRUE(Has(menu, kFuncExKey + n));
      EXPECT_FALSE(Has(menu, kFuncExKey + 6));
    }
  }
  params.hasProfile = false;
  params.profileMode = 1;
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncExKey));
}

TEST_F(KeyMenuTest, DpiLockStepsNeedSnipMenuAndAStepTable) {
  params.snipSteps = {1, 7, 2};
  params.sensorStepDpi = {400, 800, 1600};
  EXPECT_EQ(Entry(BuildKeyMenu(params), kFuncDpiMenu).submenu.size(), 3u);
  EXPECT_FALSE(Has(BuildKeyMenu(params), kFuncDpiLock));
  params.snipMenuOn = true;
  const auto menu = BuildKeyMenu(params);
  EXPECT_TRUE(Has(menu, kFuncDpiLock));
  // Step 7 is beyond the sensor's table and is not offered.
  const auto& dpi = Entry(menu, kFuncDpiMenu).submenu;
  ASSERT_EQ(dpi.size(), 5u);
  EXPECT_EQ(dpi[3], (KeyMenuEntry{0x080001A6, "800", {}}));
  EXPECT_EQ(dpi[4], (KeyMenuEntry{0x080002A6, "1600", {}}));
  params.sensorStepDpi.clear();
  EXPECT_EQ(Entry(BuildKeyMenu(params), kFuncDpiMenu).submenu.size(), 3u);
  EXPECT_TRUE(Has(BuildKeyMenu(params), kFuncDpiLock));
}

}  // namespace
}  // namespace varnel
