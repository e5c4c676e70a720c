// varnelctl keys … and the device sections and key tables of varnelctl config.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "Cli.h"
#include "TestSupport.h"
#include "config/SensorKeys.h"

namespace varnel {
namespace {

using nlohmann::json;
using test::TempDir;

// A mouse-and-keyboard build with one 0x3360 sensor of two buttons; DPI-lock entries for steps 0
// and 2 (500 and 1000 DPI) and a custom key.
constexpr const char* kCfg =
    "[OPT]\r\nappdir=Varnel\r\nMacProtocol=1\r\nMsFw=21\r\nKbFw=20\r\n"
    "[MS]\r\nSensor=13152\r\nExKey1=4660\r\nSnipMenu=1,2,0,2\r\n"
    "[SENSOR_1]\r\nSensor=13152\r\nDPI=500,800,1000,1200,1600,2000\r\nKM=4\r\nKEYY=20\r\n"
    "KEYH=2\r\nK1_1=1,11,0,1\r\nK2_1=2,1105,3,5\r\nK3_1=8,AD,99,7\r\nK1_3=B,0,0,8\r\n"
    "K2_3=1,13,0,9\r\nMark1=10,20,30,40\r\n";

constexpr const char* kTexts =
    "<config><tc_snipe>DPI lock</tc_snipe><tc_customkey>Custom</tc_customkey>"
    "<tc_chiji1>Gun</tc_chiji1><tc_chiji3>Gun options</tc_chiji3></config>";

class CliKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("app/cfg.ini", kCfg);
    dir.Write("app/text.xml", kTexts);
  }
  int Run(std::vector<std::string> args) {
    std::vector<std::string> all = {"--app-dir", (dir.path() / "app").string(), "--data-dir",
                                    (dir.path() / "data").string()};
    all.insert(all.end(), args.begin(), args.end());
    out.str("");
    err.str("");
    return cli::RunCli(all, out, err);
  }
  std::string Line(std::vector<std::string> args) {
    EXPECT_EQ(Run(args), 0) << err.str();
    std::string s = out.str();
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }
  json Json(std::vector<std::string> args) {
    EXPECT_EQ(Run(args), 0) << err.str();
    return json::parse(out.str());
  }
  static std::vector<std::string> Codes(const json& menu) {
    std::vector<std::string> codes;
    for (const auto& e : menu) codes.push_back(e["code"]);
    return codes;
  }
  static bool Has(const json& menu, const std::string& code) {
    const auto codes = Codes(menu);
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }

  TempDir dir;
  test::ScopedEnv home{"HOME", dir.path().c_str()};
  test::ScopedEnv dataHome{"XDG_DATA_HOME", (dir.path() / "share").c_str()};
  std::ostringstream out, err;
};

TEST_F(CliKeys, NamesAndCodes) {
  struct Case {
    std::vector<std::string> args;
    std::string want;
  };
  const Case cases[] = {
      {{"keys", "name", "27"}, "Esc"},         {{"keys", "name", "0x70"}, "F1"},
      {{"keys", "name", "0XA0"}, "L_Shift"},   {{"keys", "name", "253"}, "NumEnter"},
      {{"keys", "vk", "MyComputer"}, "154"},   {{"keys", "vk", "F5"}, "116"},
      {{"keys", "vk", "num0"}, "96"},          {{"keys", "vk", "vol+"}, "141"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[2]);
    EXPECT_EQ(Line(c.args), c.want);
  }
}

TEST_F(CliKeys, FunctionTexts) {
  EXPECT_EQ(Line({"keys", "func", R"({"dwFunc":"0x02000000","byModifier":18,"byKey":112})"}),
            "Ctrl + Shift + F1");
  EXPECT_EQ(Line({"keys", "func", R"({"dwFunc":33554432,"byKey":250})"}), "Fn");
  // A DPI lock names the DPI of its step (counted from 1) in the current sensor's table.
  EXPECT_EQ(Line({"keys", "func", R"({"dwFunc":"0x080000A6","dwExtra":3})"}), "DPI lock - 1000");
  // A macro that does not exist has no name.
  EXPECT_EQ(Line({"keys", "func", R"({"dwFunc":"0x05000000","dwMacroID":7})"}), "");
}

TEST_F(CliKeys, BadArgumentsExitWithTwo) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"keys", "name", "256"}, "not a virtual-key code"},
      {{"keys", "name", "0x"}, "not a virtual-key code"},
      {{"keys", "name", "12a"}, "not a virtual-key code"},
      {{"keys", "vk", "k999"}, "unknown key name: k999"},
      {{"keys", "func", "{\"dwFunc\":"}, "not valid JSON"},
      {{"keys", "func", "[1,2]"}, "must be a JSON object"},
      {{"keys", "func", R"({"dwFunction":1})"}, "unknown field: dwFunction"},
      {{"keys", "func", R"({"byKey":256})"}, "byKey: out of range"},
      {{"keys", "func", R"({"dwFunc":"0x1G"})"}, "dwFunc: not a hex number"},
      {{"keys", "func", R"({"rc":[1,2,3]})"}, "rc: expected"},
      {{"keys", "menu", "--mode", "3"}, "--mode must be 0, 1 or 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    EXPECT_EQ(Run(c.args), 2);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_NE(Run({"keys"}), 0);  // a keys command is required
}

TEST_F(CliKeys, MenuFollowsConfigurationAndProfileOptions) {
  const json menu = Json({"keys", "menu"});
  EXPECT_TRUE(Has(menu, "0x080000AD"));   // the sensor has a custom key
  EXPECT_TRUE(Has(menu, "0x080000A6"));   // SnipMenu on
  EXPECT_FALSE(Has(menu, "0x0A0000C0"));  // PUBG entries need a profile in mode 2
  EXPECT_FALSE(Has(menu, "0x0B000000"));  // extra keys need a profile
  const json& dpi = menu[Codes(menu).size() - 3];
  ASSERT_EQ(dpi["code"], "0x08000000");
  EXPECT_EQ(dpi["submenu"].back(), json({{"code", "0x080002A6"}, {"text", "1000"}}));

  EXPECT_TRUE(Has(Json({"keys", "menu", "--mode", "1"}), "0x0A0000C0"));
  EXPECT_FALSE(Has(Json({"keys", "menu", "--profile"}), "0x0A0000C0"));  // mode 0
}

TEST_F(CliKeys, ConfigShowsSensorsStepsAndKeyTables) {
  // keycfg.kyg gives the functions of the default tables, the sensor their matrix indexes.
  KeyCfgFile kyg;
  kyg.dwMagic = kKeyCfgMagic;
  kyg.msKeys[0][0].dwFunc = kFuncDpiCycle;
  kyg.msKeys[0][0].dwMatrixInx = 99;
  std::string bytes(sizeof kyg, '\0');
  std::memcpy(bytes.data(), &kyg, sizeof kyg);
  dir.Write("data/keycfg.kyg", bytes);

  const json j = Json({"config"});
  EXPECT_EQ(j["messages"], json::array());
  EXPECT_EQ(j["curSensor"], 0x3360);
  EXPECT_EQ(j["steps"].size(), 21u);
  EXPECT_EQ(j["steps"][0], json({500, 1}));
  EXPECT_EQ(j["ms"]["Sensor"], 0x3360);
  EXPECT_EQ(j["ms"]["ExKey1"], 4660);
  EXPECT_EQ(j["ms"]["VID"], 9610);
  EXPECT_EQ(j["kb"]["GaoshouGroupNum"], 5);
  EXPECT_EQ(j["kb"]["RGBIndex"], json({2, 1, 0}));
  EXPECT_TRUE(j["pad"].is_null());
  EXPECT_EQ(j["defKEY"], json::array());

  ASSERT_EQ(j["sensors"].size(), 1u);
  const json& s = j["sensors"][0];
  EXPECT_EQ(s["Sensor"], 0x3360);
  EXPECT_EQ(s["DM"], 6);
  EXPECT_EQ(s["DPI"], json({500, 800, 1000, 1200, 1600, 2000}));
  EXPECT_EQ(s["DC"][1], json({0, 0, 255}));
  EXPECT_EQ(s["MDNUM"], 9);
  EXPECT_EQ(s["KM"], 4);
  EXPECT_EQ(s["RATE4"], 0x1000);
  EXPECT_EQ(s["DR_3"], 0x500);
  EXPECT_EQ(s["customValue"], 0x99);
  EXPECT_EQ(s["marks"], json({{10, 20, 40, 60}}));
  ASSERT_EQ(s["keys"].size(), 3u);
  EXPECT_EQ(s["keys"][0].size(), 21u);
  const json& combo = s["keys"][0][1];
  EXPECT_EQ(combo["dwFunc"], "0x020000A1");
  EXPECT_EQ(combo["byKey"], 5);
  EXPECT_EQ(combo["byKey2"], 0x11);
  EXPECT_EQ(combo["byModifier"], 3);
  EXPECT_EQ(combo["dwMatrixInx"], 5);
  EXPECT_EQ(s["keys"][1], s["keys"][0]);  // mode 2 copies mode 1
  EXPECT_EQ(s["keys"][2][0]["dwFunc"], "0x0B000000");
  EXPECT_EQ(s["keys"][2][0]["dwExtra"], 4660);

  const json& def = j["defMsKEY"];
  ASSERT_EQ(def.size(), 3u);
  EXPECT_EQ(def[0][0]["dwFunc"], "0x080000AA");  // from keycfg.kyg
  EXPECT_EQ(def[0][0]["dwMatrixInx"], 1);        // from the sensor
  EXPECT_EQ(def[0][0]["rc"], json({45, 20, 250, 44}));
  EXPECT_EQ(def[0][1]["rc"], json({45, 46, 250, 70}));
  EXPECT_EQ(def[2][1]["dwMatrixInx"], 9);
}

TEST_F(CliKeys, ConfigWithASensorWithoutSection) {
  dir.Write("app/cfg.ini", "[OPT]\r\nappdir=Varnel\r\nMacProtocol=1\r\nMsFw=5\r\n"
                           "[MS]\r\nSensor=13193\r\n");
  const json j = Json({"config"});
  std::vector<std::string> texts;
  for (const auto& m : j["messages"]) texts.push_back(m["text"]);
  EXPECT_EQ(texts, (std::vector<std::string>{"pSensorCfg is null",
                                             "set_cur_sensor:  pSensorCfg=null for 0x3389"}));
  EXPECT_EQ(j["sensors"], json::array());
  EXPECT_EQ(j["curSensor"], 0x3389);
  EXPECT_EQ(j["steps"].size(), 170u);  // the built-in table still applies
  EXPECT_TRUE(j["kb"].is_null());
  // No sensor: empty functions on the default list layout.
  EXPECT_EQ(j["defMsKEY"][0][0]["dwFunc"], "0x00000000");
  EXPECT_EQ(j["defMsKEY"][0][0]["rc"], json({45, 10, 250, 34}));
}

}  // namespace
}  // namespace varnel
