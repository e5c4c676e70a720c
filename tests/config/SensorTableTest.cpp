#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/AppConfig.h"
#include "config/SensorTable.h"
#include "platform/IniFile.h"
#include "platform/UiPort.h"

namespace varnel {
namespace {

std::vector<uint16_t> Vec(std::span<const uint16_t> s) { return {s.begin(), s.end()}; }

// Sensor ids as cfg.ini writes them (decimal).
constexpr const char* k3360 = "13152";
constexpr const char* k3389 = "13193";

TEST(SensorStepTable, BuiltInEntriesHaveTheirStepCountsAndCodes) {
  BuildSensorTables();
  struct Case {
    uint32_t id;
    int count;
    uint16_t firstDpi, firstCode, lastDpi, lastCode;
  };
  const Case cases[] = {
      {0x3050, 11, 500, 1, 4000, 11},    {0x5050, 10, 500, 1, 2750, 10},
      {0x9800, 21, 500, 1, 16400, 21},   {0x3310, 100, 50, 1, 5000, 100},
      {0x3212, 16, 500, 1, 7200, 16},    {0x3320, 18, 500, 1, 7000, 18},
      {0x3325, 59, 200, 1, 10000, 59},   {0x3330, 19, 500, 1, 14400, 19},
      {0x3360, 21, 500, 1, 24000, 21},   {0x3610, 14, 400, 1, 6400, 14},
      {0x7350, 8, 600, 1, 3200, 8},      {0x3327, 74, 200, 1, 12400, 74},
      {0x3606, 12, 400, 0, 6800, 11},    {0x3389, 170, 100, 1, 26000, 170},
      {0x3104, 24, 250, 1, 8000, 24},    {0x3335, 160, 100, 0, 16000, 159},
      {0x3370, 190, 100, 0, 19000, 189}, {0x3395, 260, 100, 0, 26000, 259},
      {0x3399, 400, 50, 0, 20000, 399},  {0x3333, 87, 200, 1, 16000, 87},
      {0x3311, 132, 100, 0, 24000, 131}, {0x8925, 100, 100, 1, 10000, 100},
  };
  ASSERT_EQ(std::size(cases), kSensorTableSize);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << "sensor 0x" << c.id);
    const SensorSteps* e = FindSensorSteps(c.id);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->nNum, c.count);
    const auto n = static_cast<size_t>(c.count);
    EXPECT_EQ(e->wDpi[0], c.firstDpi);
    EXPECT_EQ(e->wHw[0], c.firstCode);
    EXPECT_EQ(e->wDpi[n - 1], c.lastDpi);
    EXPECT_EQ(e->wHw[n - 1], c.lastCode);
    for (size_t i = 1; i < n; ++i) {
      ASSERT_GT(e->wDpi[i], e->wDpi[i - 1]) << "step " << i;
      ASSERT_EQ(e->wHw[i], e->wHw[i - 1] + 1) << "step " << i;
    }
  }
  EXPECT_EQ(FindSensorSteps(0x1234), nullptr);
  EXPECT_EQ(FindSensorSteps(0), nullptr);
}

TEST(SensorStepTable, RunsJoinWhereTheStepSizeChanges) {
  BuildSensorTables();
  const SensorSteps* s3389 = FindSensorSteps(0x3389);
  ASSERT_NE(s3389, nullptr);
  EXPECT_EQ(s3389->wDpi[159], 16000);
  EXPECT_EQ(s3389->wDpi[160], 17000);
  EXPECT_EQ(s3389->wHw[160], 161);
  const SensorSteps* s9800 = FindSensorSteps(0x9800);
  ASSERT_NE(s9800, nullptr);
  EXPECT_EQ(Vec(s9800->Dpis().subspan(13)),
            (std::vector<uint16_t>{3750, 4000, 4500, 5000, 6000, 7000, 8200, 16400}));
}

TEST(SensorStepTable, DefaultLevelsAndColours) {
  EXPECT_EQ(DefaultDpiLevels(0x3104), (std::array<uint32_t, 10>{750, 1000, 1500, 2000, 2500, 3000}));
  EXPECT_EQ(DefaultDpiLevels(0x3606),
            (std::array<uint32_t, 10>{800, 1200, 2500, 3000, 4200, 5000, 6000}));
  EXPECT_EQ(DefaultDpiLevels(0x3399),
            (std::array<uint32_t, 10>{1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000}));
  EXPECT_EQ(DefaultDpiLevels(0x3310), (std::array<uint32_t, 10>{}));
  EXPECT_EQ(DefaultDpiColours(), (std::array<COLORREF, 10>{0x0000FF, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                           0xFF00FF, 0xFFFFFF}));
}

// One [SENSOR_1] section read with a fresh step table, messages recorded.
class SensorSection : public testing::Test {
 protected:
  void SetUp() override {
    gVar = GVar{};
    BuildSensorTables();
  }
  int Load(const std::string& body) {
    cfg = IniFile::FromBytes("[SENSOR_1]\n" + body);
    return LoadSensorCfg(cfg, "SENSOR_1", rec);
  }
  std::vector<std::pair<std::string, std::string>> Messages() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const UiMessage& m : ui.Messages()) out.emplace_back(m.text, m.caption);
    return out;
  }
  using Msgs = std::vector<std::pair<std::string, std::string>>;

  RecordingUiPort ui;
  ScopedUiPort scope{ui};
  IniFile cfg;
  SensorCfg rec;
};

TEST_F(SensorSection, BuiltInStepsAndLevelsApplyWithoutDpiKeys) {
  EXPECT_EQ(Load(std::string("Sensor=") + k3360 + "\n"), 1);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(rec.Sensor, 0x3360u);
  EXPECT_EQ(FindSensorSteps(0x3360)->nNum, 21);
  EXPECT_EQ(rec.DM, 6);
  EXPECT_EQ(rec.DPI, (std::array<uint32_t, 10>{1000, 1600, 2000, 4000, 6000, 8000}));
  EXPECT_EQ(rec.DC, DefaultDpiColours());
  EXPECT_EQ(rec.DEFLEVEL, 0xFFFFFFFFu);
  EXPECT_EQ(rec.nModeNum, 3);
  EXPECT_EQ(rec.nKeyNum, 7);
  EXPECT_EQ(rec.DR, (std::array<uint32_t, 3>{0x500, 0x500, 0x500}));
  EXPECT_EQ(rec.RATE, (std::array<uint32_t, 4>{0x125, 0x250, 0x500, 0x1000}));
}

TEST_F(SensorSection, ReportRatesOfLaterModesDefaultToTheFirst) {
  // DR=1000 as decimal digits is 0x3E8; DR_3 given on its own.
  Load(std::string("Sensor=") + k3360 + "\nDR=1000\nDR_3=500\nRATE4=8000\n");
  EXPECT_EQ(rec.DR, (std::array<uint32_t, 3>{1000, 1000, 500}));
  EXPECT_EQ(rec.RATE[3], 8000u);
  EXPECT_EQ(ReportRateText(0x1000), "1000 Hz");
}

TEST_F(SensorSection, EmptyOrUnknownSensor) {
  EXPECT_EQ(Load("Sensor=0\nDM=3\n"), 0);
  EXPECT_EQ(rec.Sensor, 0u);
  EXPECT_TRUE(Messages().empty());

  EXPECT_EQ(Load("Sensor=4660\nDM=3\n"), 0);
  EXPECT_EQ(Messages(), (Msgs{{"Error, Sensor vaulue of SENSOR_1 section is 0x1234", "Error"}}));
  // Without steps the record could not show or send a level: it stays empty.
  EXPECT_EQ(rec.Sensor, 0u);
}

TEST_F(SensorSection, DpivalPairsReplaceTheSteps) {
  Load(std::string("Sensor=") + k3360 + "\nDPIVAL=400,7,800,9,1600\nDPI=400,800\nDM=2\n");
  EXPECT_EQ(Messages(), (Msgs{{"错误的DPIVAL项：值数量必须是2的倍数", "Warning"}}));
  const SensorSteps* s = FindSensorSteps(0x3360);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Vec(s->Dpis()), (std::vector<uint16_t>{400, 800}));
  EXPECT_EQ(Vec(s->Codes()), (std::vector<uint16_t>{7, 9}));
}

TEST_F(SensorSection, DpiRangeSegments) {
  struct Case {
    const char* range;
    std::vector<uint16_t> dpis, codes;
    bool warns;
  };
  const Case cases[] = {
      {"100,1000,100,1,1",
       {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       false},
      {"100,1000,100,1,1,1200,2000,200,0,0",
       {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1200, 1400, 1600, 1800, 2000},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
       false},
      // Explicit first code and step in segment 2; segment 3 continues with segment 1's step.
      {"100,300,100,1,1,400,600,100,20,2,700,800,100,0,0",
       {100, 200, 300, 400, 500, 600, 700, 800},
       {1, 2, 3, 20, 22, 24, 26, 27},
       false},
      {"1000,3000,1000,5", {1000, 2000, 3000}, {5, 5, 5}, true},
      // No DPI step: one step only, not the same value up to the table's end.
      {"800,900", {800}, {0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range);
    ui.Clear();
    BuildSensorTables();
    Load(std::string("Sensor=") + k3360 + "\nDPIRANGE=" + c.range + "\n");
    const SensorSteps* s = FindSensorSteps(0x3360);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Vec(s->Dpis()), c.dpis);
    EXPECT_EQ(Vec(s->Codes()), c.codes);
    const auto msgs = Messages();
    const bool warned = !msgs.empty() && msgs[0] == std::pair<std::string, std::string>(
                                                         "Wrong DPIRANGE", "Warning");
    EXPECT_EQ(warned, c.warns);
  }
}

TEST_F(SensorSection, DpiRangeStopsAtTheTableSize) {
  Load(std::string("Sensor=") + k3389 + "\nDPIRANGE=1,1000,1,1,1\n");
  EXPECT_EQ(FindSensorSteps(0x3389)->nNum, 600);
  EXPECT_EQ(FindSensorSteps(0x3389)->wDpi[599], 600);
}

TEST_F(SensorSection, AliasReplacesGeneratedValuesUnlessMinusOne) {
  Load(std::string("Sensor=") + k3360 +
       "\nDPIRANGE=100,400,100,1,1\nDPIRANGEALIAS=200,250,300,-1,999,5\n");
  EXPECT_EQ(Vec(FindSensorSteps(0x3360)->Dpis()), (std::vector<uint16_t>{100, 250, 300, 400}));
}

TEST_F(SensorSection, DpiSetWithAndWithoutCodes) {
  Load(std::string("Sensor=") + k3360 + "\nDPISET=400,800,1600\nDPIHW=5,6\n");
  EXPECT_EQ(Messages().at(0),
            (std::pair<std::string, std::string>("DPISET Num(3) != DPIHW Num(2)", "Warning")));
  EXPECT_EQ(Vec(FindSensorSteps(0x3360)->Codes()), (std::vector<uint16_t>{5, 6, 3}));

  BuildSensorTables();
  ui.Clear();
  Load(std::string("Sensor=") + k3360 + "\nDPISET=400,800,1600\n");
  EXPECT_EQ(Vec(FindSensorSteps(0x3360)->Dpis()), (std::vector<uint16_t>{400, 800, 1600}));
  EXPECT_EQ(Vec(FindSensorSteps(0x3360)->Codes()), (std::vector<uint16_t>{1, 2, 3}));
}

TEST_F(SensorSection, DpivalComesBeforeDpiRangeAndDpiSet) {
  Load(std::string("Sensor=") + k3360 +
       "\nDPISET=1,2,3\nDPIRANGE=100,200,100,1,1\nDPIVAL=1000,3,2000,4\n");
  EXPECT_EQ(Vec(FindSensorSteps(0x3360)->Dpis()), (std::vector<uint16_t>{1000, 2000}));
}

TEST_F(SensorSection, DefaultLevels) {
  // Four values for six levels: the built-in levels of the sensor.
  Load(std::string("Sensor=") + k3360 + "\nDPI=500,800,1000,1200\n");
  EXPECT_EQ(Messages(), (Msgs{{"DPI != DM.", "Warning"}}));
  EXPECT_EQ(rec.DPI, DefaultDpiLevels(0x3360));

  ui.Clear();
  Load(std::string("Sensor=") + k3360 + "\nDM=3\nDPI=500,1234,24000\n");
  EXPECT_EQ(Messages(), (Msgs{{"Wrong default dpi value: 1234", "Warning"}}));
  EXPECT_EQ(rec.DPI, (std::array<uint32_t, 10>{500, 1234, 24000}));

  // Built-in levels that the section's own steps do not hold are each reported.
  ui.Clear();
  Load(std::string("Sensor=") + k3360 + "\nDPISET=1000,1600,2000,4000\n");
  EXPECT_EQ(Messages(), (Msgs{{"Wrong default dpi value: 6000", "Warning"},
                              {"Wrong default dpi value: 8000", "Warning"}}));
}

TEST_F(SensorSection, LevelCountIsBoundByTheLevelTable) {
  EXPECT_EQ(Load(std::string("Sensor=") + k3360 + "\nDM=40\n"), 1);
  EXPECT_EQ(rec.DM, 10);
}

TEST_F(SensorSection, LevelColoursNeedExactlyThreeNumbersPerLevel) {
  Load(std::string("Sensor=") + k3360 + "\nDM=2\nDPI=500,800\nDC=1,2,3,4,5,6\n");
  EXPECT_EQ(rec.DC[0], MakeRgb(1, 2, 3));
  EXPECT_EQ(rec.DC[1], MakeRgb(4, 5, 6));
  EXPECT_EQ(rec.DC[2], DefaultDpiColours()[2]);

  Load(std::string("Sensor=") + k3360 + "\nDM=2\nDPI=500,800\nDC=1,2,3,4,5\n");
  EXPECT_EQ(rec.DC, DefaultDpiColours());
}

TEST_F(SensorSection, ModeAndKeyCountsThatEndTheSection) {
  const char* endings[] = {"MDNUM=4\n", "KM=13\n", "KM=44\n", "KM=0\n"};
  for (const char* ending : endings) {
    SCOPED_TRACE(ending);
    EXPECT_EQ(Load(std::string("Sensor=") + k3360 + "\n" + ending +
                   "K1_1=1,11,0,1\nMark1=1,2,3,4\n"),
              0);
    EXPECT_EQ(rec.Sensor, 0x3360u);
    EXPECT_EQ(rec.nModeKeys, (std::array<int32_t, 3>{}));
    EXPECT_EQ(rec.nMarkNum, 0);
    EXPECT_EQ(rec.Keys[0][0], KeyItem{});
  }
  EXPECT_EQ(Load(std::string("Sensor=") + k3360 + "\nMDNUM=6\nKM=4\n"), 1);
  EXPECT_EQ(rec.nModeNum, 2);
  EXPECT_EQ(rec.nKeyNum, 2);
}

TEST_F(SensorSection, KeyTablesPerMode) {
  gVar.Ms.nExKey[1] = 0x1234;  // the key lines refer to [MS] values
  Load(std::string("Sensor=") + k3360 +
       "\nKM=6\nK1_1=1,11,0,1\nK2_1=B,1,0,2\nK3_1=2,1105,3,5\nK4_1=not a key\n"
       "K5_1=8,AD,77,6\nK1_3=1,13,0,3\n");
  // Mode 1 reads four lines (a gap or a malformed line does not end it); mode 3 one of three.
  EXPECT_EQ(Messages(), (Msgs{{"Key num to small", "Error"}}));
  EXPECT_EQ(rec.nModeKeys, (std::array<int32_t, 3>{4, 4, 1}));
  EXPECT_EQ(rec.Keys[0][0].dwFunc, kFuncLeftClick);
  EXPECT_EQ(rec.Keys[0][0].dwMatrixInx, 1u);
  EXPECT_EQ(rec.Keys[0][1].dwFunc, kFuncExKey + 1);
  EXPECT_EQ(rec.Keys[0][1].dwExtra, 0x1234u);
  EXPECT_EQ(rec.Keys[0][2].dwFunc, kFuncComboKey);
  EXPECT_EQ(rec.Keys[0][2].byKey2, 0x11);
  EXPECT_EQ(rec.Keys[0][3], KeyItem{});
  EXPECT_EQ(rec.Keys[0][4].dwFunc, kFuncCustomKey);
  EXPECT_EQ(rec.customValue, 0x77u);
  EXPECT_EQ(rec.Keys[1], rec.Keys[0]);  // mode 2 copies mode 1
  EXPECT_EQ(rec.Keys[2][0].dwFunc, kFuncRightClick);
  EXPECT_EQ(rec.Keys[2][1], KeyItem{});

  // Mode 1 without keys stays empty; mode 3 copies the empty mode 1.
  ui.Clear();
  Load(std::string("Sensor=") + k3360 + "\nKM=2\nK1_2=1,12,0,9\n");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(rec.nModeKeys, (std::array<int32_t, 3>{0, 1, 0}));
  EXPECT_EQ(rec.Keys[1][0].dwFunc, kFuncMiddleClick);
  EXPECT_EQ(rec.Keys[2], MsKeyTable{});
  EXPECT_FALSE(rec.customValue.has_value());
}

TEST_F(SensorSection, MarksAreRectanglesUntilTheFirstMissing) {
  EXPECT_EQ(Load(std::string("Sensor=") + k3360 +
                 "\nMark1=10,20,30,40\nMark2=1,2,3\nMark3=-5,0,5,5\nMark5=1,1,1,1\n"),
            1);
  EXPECT_EQ(Messages(), (Msgs{{"Mark value error", "Error"}}));
  EXPECT_EQ(rec.nMarkNum, 3);
  EXPECT_EQ(rec.Mark[0], (Rect{10, 20, 40, 60}));
  EXPECT_EQ(rec.Mark[1], Rect{});
  EXPECT_EQ(rec.Mark[2], (Rect{-5, 0, 0, 5}));
  EXPECT_EQ(rec.Mark[4], Rect{});
}

TEST_F(SensorSection, PsdBytes) {
  Load(std::string("Sensor=") + k3360 + "\nPSD=a1,b2,c3,d4\n");
  EXPECT_EQ(rec.Psd, (std::array<uint8_t, 4>{0xA1, 0xB2, 0xC3, 0xD4}));
}

TEST_F(SensorSection, SensorListAndCurrentSensor) {
  cfg = IniFile::FromBytes(std::string("[SENSOR_1]\nSensor=") + k3360 + "\n[SENSOR_3]\nSensor=" +
                           k3389 + "\nDM=8\nDPI=100,200,300,400,500,600,700,800\n");
  gVar.dwCurSensor = 0x3389;
  LoadSensorList(cfg);
  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(gVar.pSensorCfg, &gVar.Sensors[2]);
  EXPECT_EQ(gVar.pSensorCfg->DM, 8);
  EXPECT_EQ(gVar.Sensors[1].Sensor, 0u);

  set_cur_sensor(0x3360);
  EXPECT_EQ(gVar.pSensorCfg, &gVar.Sensors[0]);
  EXPECT_TRUE(Messages().empty());

  set_cur_sensor(0x1234);
  EXPECT_EQ(gVar.dwCurSensor, 0x1234u);
  EXPECT_EQ(gVar.pSensorCfg, nullptr);
  EXPECT_EQ(Messages(), (Msgs{{"set_cur_sensor:  pSensorCfg=null for 0x1234", "Error"}}));

  // An empty record (sensor 0) is never the current sensor's record.
  ui.Clear();
  set_cur_sensor(0);
  EXPECT_EQ(gVar.pSensorCfg, nullptr);
  EXPECT_EQ(Messages(), (Msgs{{"set_cur_sensor:  pSensorCfg=null for 0x0000", "Error"}}));
}

TEST_F(SensorSection, SensorListWithoutTheCurrentSensorWarns) {
  cfg = IniFile::FromBytes(std::string("[SENSOR_1]\nSensor=") + k3360 + "\n");
  gVar.dwCurSensor = 0x3050;
  LoadSensorList(cfg);
  EXPECT_EQ(gVar.pSensorCfg, nullptr);
  EXPECT_EQ(Messages(), (Msgs{{"pSensorCfg is null", "Warning"}}));
}

}  // namespace
}  // namespace varnel
