#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/AppConfig.h"
#include "config/DeviceModel.h"
#include "platform/IniFile.h"
#include "platform/UiPort.h"

namespace varnel {
namespace {

using Msgs = std::vector<std::pair<std::string, std::string>>;

class DeviceSections : public testing::Test {
 protected:
  void SetUp() override {
    gVar = GVar{};
    BuildSensorTables();
  }
  // [MS] with a section for the default sensor, so only the keys under test speak.
  void LoadMs(const std::string& body, int32_t msFw = 2) {
    gVar.nMsFw = msFw;
    cfg = IniFile::FromBytes("[MS]\n" + body + "\n[SENSOR_1]\nSensor=12368\n");
    LoadMsCfg(cfg);
  }
  void LoadKb(const std::string& body, int32_t kbFw = 20, const std::string& opt = "") {
    gVar.nKbFw = kbFw;
    cfg = IniFile::FromBytes("[OPT]\n" + opt + "\n[KB]\n" + body + "\n");
    LoadKbCfg(cfg);
  }
  Msgs Messages() const {
    Msgs out;
    for (const UiMessage& m : ui.Messages()) out.emplace_back(m.text, m.caption);
    return out;
  }

  RecordingUiPort ui;
  ScopedUiPort scope{ui};
  IniFile cfg;
};

TEST_F(DeviceSections, MsDefaultsAndCurrentSensor) {
  LoadMs("");
  EXPECT_TRUE(Messages().empty());
  const MsModel& ms = gVar.Ms;
  EXPECT_EQ(ms.wVid, 0x258A);
  EXPECT_EQ(gVar.dwCurSensor, 0x3050u);
  ASSERT_EQ(gVar.pSensorCfg, &gVar.Sensors[0]);
  EXPECT_EQ(ms.dwLOD, 0x0A0206u);
  EXPECT_EQ(ms.byLODVal, ms.byLODSet);
  EXPECT_EQ(ms.byLODSet[15], 20);
  EXPECT_EQ(ms.ptDebounce, (Point{648, 131}));
  EXPECT_EQ(ms.dwShowEx, 0x10101u);
  EXPECT_EQ(ms.nGunKeyRate, 25);
  EXPECT_EQ(ms.byLightHW, ms.byLightUI);
  EXPECT_EQ(ms.nPickColorNum, 7);
  EXPECT_EQ(ms.PickColor[6], (PickColorEntry{MakeRgb(255, 255, 255), 7}));
}

TEST_F(DeviceSections, MsIdentity) {
  LoadMs("VID=1234\nPID=fa60,fa61\nPID2=1\nPop=65537\nSingleMode=1\n");
  EXPECT_EQ(gVar.Ms.wVid, 1234);
  EXPECT_EQ(gVar.Ms.wPid, (std::array<uint16_t, 5>{0xFA60, 0xFA61}));
  EXPECT_EQ(gVar.Ms.wPid2[0], 1);
  EXPECT_EQ(gVar.Ms.nPop, 1);
  EXPECT_EQ(gVar.Ms.nSingleMode, 1);
}

TEST_F(DeviceSections, MsPsdNeedsExactlyFourNumbers) {
  struct Case {
    const char* line;
    std::array<uint8_t, 6> psd;
    bool error;
  };
  const Case cases[] = {
      {"PSD=12,34,ab,cd", {0x12, 0x34, 0xAB, 0xCD}, false},
      {"", {}, false},
      {"PSD=12,34,56", {}, true},
      {"PSD=1,2,3,4,5", {}, true},
      {"PSD=1,2,zz,4", {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ui.Clear();
    LoadMs(c.line);
    EXPECT_EQ(gVar.nPsd, c.psd);
    EXPECT_EQ(Messages(), (c.error ? Msgs{{"Psd value error", "Error"}} : Msgs{}));
  }
}

TEST_F(DeviceSections, MsUnknownSensorLeavesNoSensorRecord) {
  LoadMs("Sensor=4660");
  EXPECT_EQ(gVar.pSensorCfg, nullptr);
  EXPECT_EQ(Messages(), (Msgs{{"pSensorCfg is null", "Warning"},
                              {"set_cur_sensor:  pSensorCfg=null for 0x1234", "Error"}}));
}

TEST_F(DeviceSections, MsChecks) {
  struct Case {
    std::string body;
    int32_t msFw;
    Msgs msgs;
  };
  const Case cases[] = {
      {"ShowLOD=1", 2, {{"Wrong LodUI value", "Warning"}, {"Wrong LodHW value", "Warning"}}},
      {"ShowLOD=1\nLodUI=1,2\nLodHW=a,b", 2, {}},
      {"ColorfulSteadyIndex=1,2,3", 2, {{"Wrong ColorfulSteadyIndex value", "Warning"}}},
      {"DefLight=4", 2, {{"Wrong DefLight value", "Warning"}}},
      {"LightUI=1,2,3,4,5\nDefLight=4", 2, {}},
      {"DefSpeed=3", 2, {{"Wrong DefSpeed value", "Warning"}}},
      {"RGBIndex=0,1,3", 2, {{"Wrong RGBIndex value", "Warning"}}},
      {"DPIRGBIndex=2,1,0\nRGBIndex=0,1", 2, {}},
      {"DPIRGBIndex=0,5,1", 2, {{"Wrong DPIRGBIndex value", "Warning"}}},
      {"SnipMenu=1,16,1,2", 2, {{"Dpi lock menus > 15", "Error"}}},
      {"GunValue=1,2,3", 0x12, {{"GunValue number!=21", "Error"}}},
      {"GunValue=1,2,3", 2, {}},  // gun keys only above MsFw 15
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    ui.Clear();
    LoadMs(c.body, c.msFw);
    EXPECT_EQ(Messages(), c.msgs);
  }
}

TEST_F(DeviceSections, MsCheckedValuesStayUsable) {
  LoadMs("DefLight=9\nRGBIndex=0,1,3\nSnipMenu=1,20\nColorfulSteadyIndex=7,6\n"
         "GunValue=1,2,3\nShootSpeed=40",
         0x12);
  const MsModel& ms = gVar.Ms;
  EXPECT_EQ(ms.nDefLight, 3);  // highest of the four levels
  EXPECT_EQ(ms.byRGBIndex, (std::array<uint8_t, 3>{0, 1, 2}));
  EXPECT_EQ(ms.bySnipMenu[1], 15);
  EXPECT_EQ(ms.byColorfulSteadyIndex, (std::array<uint8_t, 8>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(ms.byGunValue[0], 13);
  EXPECT_EQ(ms.nGunKeyRate, 40);
}

TEST_F(DeviceSections, MsListsAndColours) {
  LoadMs("LODSet=1,2,3\nLightUI=5,6\nLightHW=9\nShowEffect=1\nclrEffectTail=1,2,3\n"
         "PickColor=255,0,0,9,0,0,0,3,1,1,1,4\nGunColor=9,9,9\nclrLow=1,2,3\nptSleep=5,6",
         0x12);
  const MsModel& ms = gVar.Ms;
  EXPECT_EQ(ms.nLODSetNum, 3);
  EXPECT_EQ(ms.byLODVal, ms.byLODSet);
  EXPECT_EQ(ms.byLODSet[3], 0);
  EXPECT_EQ(ms.nLightNum, 2);
  EXPECT_EQ(ms.byLightHW, (std::array<uint8_t, 8>{9}));
  EXPECT_EQ(ms.clrEffectTail, (std::array<COLORREF, 7>{MakeRgb(1, 2, 3)}));
  EXPECT_EQ(ms.nPickColorNum, 1);  // the list ends at the black colour
  EXPECT_EQ(ms.PickColor[0], (PickColorEntry{MakeRgb(255, 0, 0), 9}));
  EXPECT_EQ(ms.PickColor[1], PickColorEntry{});
  EXPECT_EQ(ms.clrGunColor[0], MakeRgb(9, 9, 9));
  EXPECT_EQ(ms.clrLow, MakeRgb(1, 2, 3));
  EXPECT_EQ(ms.ptSleep, (Point{5, 6}));
}

TEST_F(DeviceSections, MsEffectTailNeedsShowEffect) {
  LoadMs("clrEffectTail=1,2,3");
  EXPECT_EQ(gVar.Ms.clrEffectTail[0], MakeRgb(255, 0, 0));
}

TEST_F(DeviceSections, MsLedDefaultsPerFamily) {
  const auto a = DefaultMsLedEffects(0x22, 0);
  EXPECT_EQ(a[0], (MsLedEffect{1, 5, 1, {1, 0, 1, 0, 0},
                               {MakeRgb(255, 0, 0), MakeRgb(0, 0, 255), MakeRgb(0, 255, 0),
                                MakeRgb(128, 0, 255), MakeRgb(250, 198, 3), MakeRgb(250, 3, 106),
                                MakeRgb(250, 0, 250), MakeRgb(255, 255, 255), MakeRgb(0, 250, 250),
                                MakeRgb(0, 128, 250)}}));
  EXPECT_EQ(a[3].nKind, 0);
  EXPECT_EQ(a[10].bEnable, 1);
  EXPECT_EQ(a[10].nCode, 0);
  EXPECT_EQ(a[11], MsLedEffect{});
  EXPECT_EQ(a[1].clr[0], MakeRgb(255, 0, 255));
  EXPECT_EQ(a[2].clr[9], MakeRgb(255, 0, 255));
  EXPECT_EQ(a[5].clr[6], MakeRgb(250, 128, 0));
  EXPECT_EQ(a[6].clr[9], MakeRgb(0, 0, 255));

  const auto b = DefaultMsLedEffects(0x103, 2);
  EXPECT_EQ(b[3].nKind, 8);
  EXPECT_EQ(b[7].nKind, 8);
  EXPECT_EQ(b[9].nParam, (std::array<int32_t, 5>{1, 0, 0, 1, 7}));
  EXPECT_EQ(b[10].nCode, 11);
  EXPECT_EQ(b[10].nParam[0], 1);
  EXPECT_EQ(b[11].bEnable, 1);
  EXPECT_EQ(b[0].clr[8], 0u);
  EXPECT_EQ(b[12], MsLedEffect{});
  EXPECT_EQ(DefaultMsLedEffects(0x03, 0)[9].nParam, (std::array<int32_t, 5>{1, 0, 0, 0, 0}));

  for (int32_t fw : {0, 1, 0x102, 0x06, 0x114}) {
    SCOPED_TRACE(fw);
    EXPECT_EQ(DefaultMsLedEffects(fw, 0), (std::array<MsLedEffect, kMsLedEffects>{}));
  }
}

TEST_F(DeviceSections, MsLedOptReplacesARecord) {
  LoadMs("LedOpt1=7,3,1,2,3,4,5\nLedOpt15=9,1,0,0,0,0,0,10,20,30,40,50,60\n");
  const MsModel& ms = gVar.Ms;
  // Colours stay with seven numbers or fewer.
  EXPECT_EQ(ms.LedEft[0].nCode, 7);
  EXPECT_EQ(ms.LedEft[0].nKind, 3);
  EXPECT_EQ(ms.LedEft[0].nParam, (std::array<int32_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ms.LedEft[0].clr, DefaultMsLedEffects(2, 0)[0].clr);
  EXPECT_EQ(ms.LedEft[14].bEnable, 1);
  EXPECT_EQ(ms.LedEft[14].nCode, 9);
  EXPECT_EQ(ms.LedEft[14].clr,
            (std::array<COLORREF, 10>{MakeRgb(10, 20, 30), MakeRgb(40, 50, 60)}));
}

TEST_F(DeviceSections, KbDefaults) {
  LoadKb("");
  EXPECT_TRUE(Messages().empty());
  const KbModel& kb = gVar.Kb;
  EXPECT_EQ(kb.dwSpeedNum, 0x040104u);
  EXPECT_EQ(kb.dwBriNum, 0x040104u);
  EXPECT_EQ(kb.nGaoshouIndex, 13);
  EXPECT_EQ(kb.nGaoshouGroupNum, 5);
  EXPECT_EQ(kb.byRGBIndex, (std::array<uint8_t, 3>{2, 1, 0}));
  EXPECT_EQ(kb.byLEDParam[0], 7);
  EXPECT_EQ(kb.byLEDParam[49], 53);
  EXPECT_EQ(kb.byNeonSpeed, (std::array<uint8_t, 5>{50, 40, 30, 20, 15}));
  EXPECT_EQ(kb.LedEft, DefaultKbLedEffects());
  EXPECT_EQ(kb.LedEft[12].nIndex, 13);
  EXPECT_EQ(kb.LedEft[12].nCode, 18);
  EXPECT_EQ(kb.LedEft[13], KbLedEffect{});
  EXPECT_EQ(kb.nUIKeyNum, 0);
  EXPECT_EQ(kb.nMaxEftKeyIndex, kb.nUIKeyNum);
}

TEST_F(DeviceSections, KbFamilyDefaults) {
  struct Case {
    int32_t kbFw;
    uint32_t speed, bri;
    uint8_t gaoshouIndex, groups;
  };
  const Case cases[] = {
      {21, 0x040005, 0x050006, 18, 2},
      {23, 0x040104, 0x040104, 13, 10},
      {22, 0x040104, 0x040104, 13, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kbFw);
    LoadKb("", c.kbFw);
    EXPECT_EQ(gVar.Kb.dwSpeedNum, c.speed);
    EXPECT_EQ(gVar.Kb.dwBriNum, c.bri);
    EXPECT_EQ(gVar.Kb.nGaoshouIndex, c.gaoshouIndex);
    EXPECT_EQ(gVar.Kb.nGaoshouGroupNum, c.groups);
  }
  LoadKb("GaoshouGroupNum=12");
  EXPECT_EQ(gVar.Kb.nGaoshouGroupNum, 10);
}

TEST_F(DeviceSections, KbIndexChecks) {
  struct Case {
    const char* body;
    Msgs msgs;
  };
  const Case cases[] = {
      {"EffectOffset=60\nEffectNum=23\nRGBIndex=0,1,2\nGameRGBIndex=1,2,0\nColorIndex=6", {}},
      {"EffectOffset=61", {{"Invalid nEffectOffset", "Warning"}}},
      {"EffectNum=24", {{"Invalid nEffectNum", "Warning"}}},
      {"RGBIndex=1,1,0", {{"R G B Index Error", "Warning"}}},
      {"RGBIndex=3,0,0", {{"R G B Index Error", "Warning"}}},
      {"GameRGBIndex=0,0,0", {{"clrGmKey RGB Index Error", "Warning"}}},
      {"ColorIndex=7", {{"Invalid gVar.nColorIndex", "Warning"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    ui.Clear();
    LoadKb(c.body);
    EXPECT_EQ(Messages(), c.msgs);
    // Whatever was reported, the values in use stay within their tables.
    EXPECT_LE(gVar.Kb.nEffectOffset, 60);
    EXPECT_LE(gVar.nColorIndex, 6);
    for (uint8_t i : gVar.Kb.byRGBIndex) EXPECT_LE(i, 2);
    for (uint8_t i : gVar.Kb.byGameRGBIndex) EXPECT_LE(i, 2);
  }
}

TEST_F(DeviceSections, KbEnterKeyOutline) {
  LoadKb("UnRectKey=40,0,0,10,0,10,10,0,0");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(gVar.Kb.nUnRectKey, 40);
  EXPECT_EQ(gVar.Kb.nUnRectPtNum, 4);
  EXPECT_EQ(gVar.Kb.ptUnRect[2], (Point{10, 10}));

  LoadKb("UnRectKey=40,0,0,10,0,10,10,1,1");
  EXPECT_EQ(Messages(), (Msgs{{"EnterPt[0]!=EnterPt[Last] ", "Error"}}));
  EXPECT_EQ(gVar.Kb.nUnRectPtNum, 0);

  ui.Clear();
  LoadKb("UnRectKey=40,0,0,10,0,0,0");  // three points: not taken
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(gVar.Kb.nUnRectPtNum, 0);
}

TEST_F(DeviceSections, KbGameGroupsStopAtTheFirstWithoutKeys) {
  LoadKb("GaoshouGroupNum=3\nGaoshouKey1=1a,2b\nGaoshouKeyColor1=ff\nGaoshouKey2=3\n"
         "GaoshouKey4=4");
  const KbModel& kb = gVar.Kb;
  EXPECT_EQ(kb.nGaoshouKeyGroups, 2);
  EXPECT_EQ(kb.nGaoshouKeyNum[0], 2);
  EXPECT_EQ(kb.byGaoshouKey[0][1], 0x2B);
  EXPECT_EQ(kb.byGaoshouKeyColor[0][0], 0xFF);
  EXPECT_EQ(kb.byGaoshouKey[3][0], 0);

  LoadKb("GaoshouGroupNum=1\nGaoshouKey1=1\nGaoshouKey2=2");
  EXPECT_EQ(gVar.Kb.nGaoshouKeyGroups, 1);
}

TEST_F(DeviceSections, KbValues) {
  LoadKb("PID=70000\nUSBString=0123456789012345678901234567890123\nrcKB=10,20,300,100\n"
         "LEDParam=1,2\nLedOpt2=9,4,1,1,1,1,1,1,2,3\nLedOpt24=1,2\nPaomaVk=ff,1\n"
         "MaxFnNum=300\nMaxEftKeyIndex=90",
         20, "Direct1=1,2,3\nDirect3=9");
  const KbModel& kb = gVar.Kb;
  EXPECT_EQ(kb.wPid, 70000 & 0xFFFF);
  EXPECT_EQ(kb.szUSBString.size(), 29u);
  EXPECT_EQ(kb.rcKB, (Rect{10, 20, 310, 120}));
  EXPECT_EQ(kb.byLEDParam[0], 1);
  EXPECT_EQ(kb.byLEDParam[1], 2);
  EXPECT_EQ(kb.byLEDParam[2], 0);
  EXPECT_EQ(kb.LedEft[1].nIndex, 9);
  EXPECT_EQ(kb.LedEft[1].nCode, 4);
  EXPECT_EQ(kb.LedEft[1].clr, (std::array<COLORREF, 7>{MakeRgb(1, 2, 3)}));
  EXPECT_EQ(kb.LedEft[23].nIndex, 1);
  EXPECT_EQ(kb.LedEft[23].nCode, 2);
  EXPECT_EQ(kb.byPaomaVk[0], 0xFF);
  EXPECT_EQ(kb.nMaxFnNum, 300 & 0xFF);
  EXPECT_EQ(kb.nMaxEftKeyIndex, 90);
  EXPECT_EQ(kb.byDirect[0], (std::array<uint8_t, 3>{1, 2, 3}));
  EXPECT_EQ(kb.byDirect[1], (std::array<uint8_t, 3>{}));
  EXPECT_EQ(kb.byDirect[2][0], 9);
}

TEST_F(DeviceSections, Pad) {
  cfg = IniFile::FromBytes("[PAD]\nVID=1\nPSD=ab,cd\nLedParam=0,0,0,5\n");
  LoadPadCfg(cfg);
  EXPECT_EQ(gVar.Pad.wVid, 1);
  EXPECT_EQ(gVar.Pad.byPsd, (std::array<uint8_t, 2>{0xAB, 0xCD}));
  EXPECT_TRUE(gVar.Pad.bLedParam);
  EXPECT_EQ(gVar.Pad.ptPadDlg, (Point{380, 60}));
  EXPECT_EQ(gVar.Pad.ptEft2, (Point{454, 304}));
  EXPECT_EQ(gVar.Pad.nEftGridW, 18);

  cfg = IniFile::FromBytes("[PAD]\nLedParam=0,0,0,0,7\n");
  LoadPadCfg(cfg);
  EXPECT_FALSE(gVar.Pad.bLedParam);
}

}  // namespace
}  // namespace varnel
