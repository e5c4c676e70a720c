#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/AppConfig.h"
#include "config/SensorTable.h"
#include "platform/IniFile.h"
#include "platform/UiPort.h"

namespace varnel {
namespace {

using test::TempDir;

class AppConfigTest : public ::testing::Test {
 protected:
  // Loads [OPT] lines (joined with CRLF) the way start-up does, recording the messages.
  void Load(const std::string& optLines) {
    const std::string text = "[OPT]\r\n" + optLines;
    BuildSensorTables();  // as start-up does before the configuration is read
    LoadCfg(IniFile::FromBytes(text), dir.path(), dir.path() / "Desktop");
    InitDataDir(dir.path() / "data", false);
    InitDefaultKeys(IniFile::FromBytes(text));
    LoadLangSkinList(IniFile::FromBytes(text));
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& m : ui.Messages()) out.push_back(m.text);
    return out;
  }

  TempDir dir;
  RecordingUiPort ui;
  ScopedUiPort scope{ui};
};

constexpr const char* kQuiet = "appdir=Test\r\nMacProtocol=1\r\n";
// The section of the default sensor 0x3050, so that a configured mouse loads without messages.
constexpr const char* kSensorSection = "[SENSOR_1]\r\nSensor=12368\r\n";

TEST_F(AppConfigTest, MissingFileTakesEveryDefault) {
  LoadCfg(dir.path(), dir.path());
  InitDataDir({}, false);
  InitDefaultKeys(IniFile());
  LoadLangSkinList(IniFile());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"APPDATA=NULL", "Macro Protocol is unknown"}));
  for (const auto& m : ui.Messages()) EXPECT_EQ(m.caption, "Error");
  EXPECT_EQ(gVar.nMsFw + gVar.nKbFw + gVar.nPadFw, 0);
  EXPECT_EQ(gVar.nProfileNum, 3);
  EXPECT_EQ(gVar.nExitOnPlugOut, 1);
  EXPECT_EQ(gVar.nTrayIcon, 2);
  EXPECT_EQ(gVar.nPopWndTrans, 255);
  EXPECT_EQ(gVar.szFontName, "MS Shell Dlg");
  EXPECT_EQ(gVar.byFontSize, (std::array<uint8_t, 3>{14, 20, 24}));
  EXPECT_EQ(gVar.clrPopWndBkg, MakeRgb(6, 6, 7));
  EXPECT_EQ(gVar.clrBtnTxtDn, MakeRgb(67, 156, 200));
  EXPECT_EQ(gVar.ptKeyMsDlg, (Point{790, 35}));
  EXPECT_EQ(gVar.rcSubDlg, (Rect{0, 95, 1063, 760}));
  EXPECT_EQ(gVar.rcWebTwitter, Rect{});
  EXPECT_EQ(gVar.rcMacroList, (Rect{313, 80, 551, 557}));
  EXPECT_EQ(gVar.rcKeyList, (Rect{552, 80, 792, 557}));
  EXPECT_EQ(gVar.nMacro_Opt_X, 812);
  EXPECT_EQ(gVar.clrPick[7], MakeRgb(255, 128, 0));
  EXPECT_EQ(gVar.nSkinsNum, 0);
  EXPECT_EQ(SkinDir(), dir.path() / "skins");
  EXPECT_EQ(LangTextPath(), dir.path() / "text.xml");
  EXPECT_FALSE(gVar.bCombo);
}

TEST_F(AppConfigTest, ValueFormatsAndTheirChecks) {
  Load(std::string(kQuiet) +
       "FontSize=0,18\r\n"
       "clrPick=255,0,0,0,0,0,0,255,0\r\n"
       "ViewKeyNum=-3\r\n"
       "ptMinBtn=5\r\n"
       "ptDpiDlg=1,2,3\r\n"
       "ptResetBtn=-4, 7\r\n"
       "rcNavi=1,2,3\r\n"
       "rcWeb=1,2,x,4\r\n"
       "rcMacroList=10,20,30,40\r\n"
       "Txt_clr=300,1,2\r\n"
       "ListTrans=65537\r\n"
       "Title=" + std::string(50, 'T') + "\r\n");
  EXPECT_EQ(gVar.byFontSize, (std::array<uint8_t, 3>{14, 18, 24}));
  EXPECT_EQ(gVar.nPickNum, 1);
  EXPECT_EQ(gVar.clrPick[0], MakeRgb(255, 0, 0));
  EXPECT_EQ(gVar.clrPick[1], 0u);  // the ending triple is stored, the defaults are not used
  EXPECT_EQ(gVar.clrPick[2], 0u);
  EXPECT_EQ(gVar.ViewKeyRows(), 21);
  EXPECT_EQ(gVar.ptMinBtn, (Point{991, 8}));
  EXPECT_EQ(gVar.ptDpiDlg, (Point{743, 41}));
  EXPECT_EQ(gVar.ptResetBtn, (Point{-4, 7}));
  EXPECT_EQ(gVar.rcNavi, (Rect{540, 22, 605, 77}));
  EXPECT_EQ(gVar.rcWeb, (Rect{400, 773, 630, 793}));
  EXPECT_EQ(gVar.rcKeyList, (Rect{552, 20, 792, 40}));  // follows rcMacroList
  EXPECT_EQ(gVar.nMacro_Opt_X, 812);
  EXPECT_EQ(gVar.clrTxt, MakeRgb(44, 1, 2));
  EXPECT_EQ(gVar.nListTrans, 1);
  EXPECT_EQ(gVar.szTitle, std::string(39, 'T'));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Wrong POINT num", "Wrong POINT num",
                                               "Wrong rect num", "Wrong rect num"}));
}

struct HwCase {
  const char* lines;
  HwParam expected;  // nMinDelay, nMacroBufferSize, nMacroBufferNum, nMaxLoop, nMaxDelay, nMaxAction
  bool combo;
};

class HwParamTest : public AppConfigTest, public ::testing::WithParamInterface<HwCase> {};

TEST_P(HwParamTest, FamiliesPickTheMacroLimits) {
  Load(std::string(kQuiet) + GetParam().lines + kSensorSection);
  const HwParam& e = GetParam().expected;
  EXPECT_EQ(hwParam.nMinDelay, e.nMinDelay);
  EXPECT_EQ(hwParam.nMacroBufferSize, e.nMacroBufferSize);
  EXPECT_EQ(hwParam.nMacroBufferNum, e.nMacroBufferNum);
  EXPECT_EQ(hwParam.nMaxLoop, e.nMaxLoop);
  EXPECT_EQ(hwParam.nMaxDelay, e.nMaxDelay);
  EXPECT_EQ(hwParam.nMaxAction, e.nMaxAction);
  EXPECT_EQ(gVar.bCombo, GetParam().combo);
  EXPECT_TRUE(ui.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Families, HwParamTest,
    ::testing::Values(HwCase{"MsFw=5\r\nKbFw=20\r\n", {1, 128, 64, 255, 25627, 32}, true},
                      HwCase{"MsFw=5\r\n", {1, 506, 20, 255, 4095, 168}, false},
                      HwCase{"KbFw=22\r\n", {1, 128, 32, 65535, 65280, 60}, false},
                      HwCase{"KbFw=21\r\nPadFw=1\r\n", {1, 192, 10, 255, 20470, 64}, true},
                      HwCase{"KbFw=24\r\n", {1, 65535, 65535, 255, 4095, 65535}, false},
                      HwCase{"PadFw=1\r\n", {1, 128, 0, 65535, 0, 0}, false},
                      HwCase{"MsFw=5\r\nMacroBufferNum=7\r\n", {1, 506, 7, 255, 4095, 168},
                             false}));

TEST_F(AppConfigTest, WrongKbFwIsReportedAndLoadingGoesOn) {
  Load(std::string(kQuiet) + "KbFw=19\r\nMsFw=5\r\n" + kSensorSection);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Wrong KbFw Value"}));
  EXPECT_EQ(hwParam.nMacroBufferNum, 64);
}

TEST_F(AppConfigTest, MalformedFirstSkinEndsBothLists) {
  dir.Write("data/lang.ini", "[OPT]\r\nSkinsIndex=0\r\nLangIndex=1\r\n");
  Load(std::string(kQuiet) + "Skins1=Dark,\r\nLang1=English,Text\\English\r\n");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Skins1 is invalidate"}));
  EXPECT_EQ(gVar.nSkinsNum, 0);
  EXPECT_EQ(gVar.nLangNum, 0);
  EXPECT_EQ(gVar.nSkinsIndex, 0);
  EXPECT_EQ(gVar.nLangIndex, 0);
}

TEST_F(AppConfigTest, ListsStopAtTenAndAtTheFirstGap) {
  std::string lines = kQuiet;
  for (int i = 1; i <= 11; ++i)
    lines += "Lang" + std::to_string(i) + "=Lang " + std::to_string(i) + ",Text\\L" +
             std::to_string(i) + "\r\n";
  lines += "Skins1=Dark,skins\\dark\r\nSkins3=Gap,skins\\gap\r\n";
  dir.Write("data/lang.ini", "[OPT]\r\nLangIndex=9\r\n");
  Load(lines);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(gVar.nLangNum, 10);
  EXPECT_EQ(gVar.Langs[9].szName, "Lang 10");
  EXPECT_EQ(gVar.nSkinsNum, 1);
  EXPECT_EQ(gVar.nLangIndex, 9);
  EXPECT_EQ(LangTextPath(), dir.path() / "Text/L10/text.xml");
  EXPECT_EQ(SettingsLangTextPath(0), dir.path() / "Text/Text/L1/text.xml");
}

TEST_F(AppConfigTest, ListEntriesSplitAtTheFirstCommaAndAreCut) {
  Load(std::string(kQuiet) + "Skins1=" + std::string(40, 'n') + ",a,b" + std::string(40, 'f') +
       "\r\nSkins2=nocomma\r\n");
  EXPECT_EQ(gVar.nSkinsNum, 1);
  EXPECT_EQ(gVar.Skins[0].szName, std::string(29, 'n'));
  EXPECT_EQ(gVar.Skins[0].szFolder, "a,b" + std::string(26, 'f'));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Skins2 is invalidate"}));
}

TEST_F(AppConfigTest, SkinsIndexOutOfRangeIsReportedAndNeverReadsOutsideTheList) {
  dir.Write("data/lang.ini", "[OPT]\r\nSkinsIndex=4\r\nLangIndex=-1\r\n");
  Load(std::string(kQuiet) + "Skins1=A,skins\\a\r\nSkins2=B,skins\\b\r\nLang1=E,Text\\E\r\n");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"SkinsIndex is invalidate"}));
  EXPECT_EQ(gVar.nSkinsIndex, 0);
  EXPECT_EQ(gVar.nLangIndex, 0);
  EXPECT_EQ(SkinDir(), dir.path() / "skins/a");
}

TEST_F(AppConfigTest, SaveLangCfgWritesOneKeyAndKeepsTheRest) {
  Load(kQuiet);
  const auto langIni = dir.path() / "data" / "lang.ini";
  ASSERT_TRUE(std::filesystem::create_directories(langIni.parent_path()) ||
              std::filesystem::exists(langIni.parent_path()));
  ASSERT_TRUE(SaveLangCfg("LangIndex", 2));
  EXPECT_EQ(test::ReadFile(langIni), "[OPT]\r\nLangIndex=2\r\n");
  ASSERT_TRUE(SaveLangCfg("SkinsIndex", 1));
  ASSERT_TRUE(SaveLangCfg("LangIndex", 0));
  EXPECT_EQ(test::ReadFile(langIni), "[OPT]\r\nLangIndex=0\r\nSkinsIndex=1\r\n");
  const IniFile back = IniFile::Load(langIni);
  EXPECT_EQ(back.GetInt("opt", "skinsindex", -1), 1u);
}

}  // namespace
}  // namespace varnel
