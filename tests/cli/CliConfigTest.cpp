// varnelctl config / text on application folders made for each case.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "Cli.h"
#include "TestSupport.h"

namespace varnel {
namespace {

using nlohmann::json;
using test::TempDir;

class CliConfig : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    std::vector<std::string> all = {"--app-dir", (dir.path() / "app").string(), "--data-dir",
                                    (dir.path() / "data").string()};
    all.insert(all.end(), args.begin(), args.end());
    out.str("");
    err.str("");
    return cli::RunCli(all, out, err);
  }
  json Config() {
    EXPECT_EQ(Run({"config"}), 0) << err.str();
    return json::parse(out.str());
  }
  static json Messages(const json& j) {
    json texts = json::array();
    for (const auto& m : j["messages"]) texts.push_back(m["text"]);
    return texts;
  }

  TempDir dir;
  test::ScopedEnv home{"HOME", dir.path().c_str()};
  test::ScopedEnv dataHome{"XDG_DATA_HOME", (dir.path() / "share").c_str()};
  std::ostringstream out, err;
};

constexpr const char* kBase = "[OPT]\r\nappdir=Varnel\r\nMacProtocol=1\r\n";

TEST_F(CliConfig, ShippedConfigurationLoadsWithoutMessages) {
  std::vector<std::string> args = {"--app-dir", std::string(VARNEL_BUILD_DIR) + "/app",
                                   "--data-dir", (dir.path() / "data").string(), "config"};
  ASSERT_EQ(cli::RunCli(args, out, err), 0) << err.str();
  const json j = json::parse(out.str());
  EXPECT_EQ(j["messages"], json::array());
  EXPECT_EQ(j["title"], "Varnel");  // from the English text file
  EXPECT_EQ(j["opt"]["MsFw"], 5);
  EXPECT_TRUE(j["combo"].get<bool>());
  EXPECT_EQ(j["langs"][0]["folder"], "Text\\English");
  EXPECT_EQ(j["hwParam"]["nMacroBufferNum"], 64);
  EXPECT_EQ(j["sensors"].size(), 2u);
  EXPECT_EQ(j["defKEY"].size(), 103u);  // a full-size keyboard
}

TEST_F(CliConfig, MissingCfgIniGivesDefaultsAndMessages) {
  std::filesystem::create_directories(dir.path() / "app");
  const json j = Config();
  EXPECT_EQ(Messages(j), json({"APPDATA=NULL", "Macro Protocol is unknown"}));
  EXPECT_EQ(j["messages"][0]["caption"], "Error");
  EXPECT_EQ(j["opt"]["ProfileNum"], 3);
  EXPECT_EQ(j["opt"]["FontName"], "MS Shell Dlg");
  EXPECT_EQ(j["opt"]["FontSize"], json({14, 20, 24}));
  EXPECT_EQ(j["opt"]["rcNavi"], json({540, 22, 605, 77}));
  EXPECT_EQ(j["opt"]["ptKeyMsDlg"], json({790, 35}));
  EXPECT_EQ(j["opt"]["ClrPopWndBkg"], json({6, 6, 7}));
  EXPECT_EQ(j["skins"], json::array());
  EXPECT_FALSE(j["combo"].get<bool>());
  EXPECT_EQ(j["hwParam"]["nMaxLoop"], 65535);
}

TEST_F(CliConfig, EdgeCasesOfTheOptionSection) {
  std::string cfg = std::string(kBase) +
                    "MsFw=5\r\nKbFw=20\r\nFontSize=0,18\r\nViewKeyNum=-3\r\n"
                    "clrPick=255,0,0,0,0,0,0,255,0\r\nptMinBtn=1;2\r\nrcWeb=1,2,3,4,5\r\n"
                    "Skins1=Dark,\r\n[SENSOR_1]\r\nSensor=12368\r\n";
  dir.Write("app/cfg.ini", cfg);
  const json j = Config();
  EXPECT_EQ(Messages(j), json({"Wrong POINT num", "Wrong rect num", "Skins1 is invalidate"}));
  EXPECT_EQ(j["opt"]["FontSize"], json({14, 18, 24}));
  EXPECT_EQ(j["opt"]["ViewKeyNum"], -3);
  EXPECT_EQ(j["viewKeyRows"], 21);
  EXPECT_EQ(j["opt"]["clrPickNum"], 1);
  EXPECT_EQ(j["opt"]["clrPick"][0], json({255, 0, 0}));
  EXPECT_EQ(j["opt"]["clrPick"][1], json({0, 0, 0}));
  EXPECT_EQ(j["opt"]["ptMinBtn"], json({991, 8}));
  EXPECT_EQ(j["opt"]["rcWeb"], json({400, 773, 630, 793}));
  EXPECT_TRUE(j["combo"].get<bool>());
  EXPECT_EQ(j["hwParam"], json({{"nMinDelay", 1},
                                {"nMacroBufferSize", 128},
                                {"nMacroBufferNum", 64},
                                {"nMaxLoop", 255},
                                {"nMaxDelay", 25627},
                                {"nMaxAction", 32}}));
  EXPECT_EQ(j["skins"], json::array());
  EXPECT_EQ(j["langs"], json::array());
}

TEST_F(CliConfig, ElevenLanguagesListTen) {
  std::string cfg = kBase;
  for (int i = 1; i <= 11; ++i)
    cfg += "Lang" + std::to_string(i) + "=L" + std::to_string(i) + ",Text\\L" +
           std::to_string(i) + "\r\n";
  dir.Write("app/cfg.ini", cfg);
  const json j = Config();
  EXPECT_EQ(j["langs"].size(), 10u);
  EXPECT_EQ(j["langs"][9], json({{"name", "L10"}, {"folder", "Text\\L10"}}));
  EXPECT_EQ(j["LangIndex"], 0);
}

// text.xml in UTF-16LE with BOM, in the language-folder layout, found case-insensitively.
TEST_F(CliConfig, TitleFromUtf16LanguageFile) {
  dir.Write("app/cfg.ini", std::string(kBase) + "Lang1=English,TEXT\\english\r\n");
  const std::string xml = "<?xml version=\"1.0\"?><config><tc_title>T\xC3\xADtulo</tc_title>"
                          "<tc_msg3>Bad name</tc_msg3></config>";
  std::string utf16 = "\xFF\xFE";
  for (size_t i = 0; i < xml.size(); ++i) {
    if (xml.compare(i, 2, "\xC3\xAD") == 0) {
      utf16 += std::string("\xED\x00", 2);
      ++i;
      continue;
    }
    utf16 += xml[i];
    utf16 += '\0';
  }
  dir.Write("app/Text/English/text.xml", utf16);
  const json j = Config();
  EXPECT_EQ(j["title"], "T\xC3\xADtulo");
  ASSERT_EQ(Run({"text", "tc_msg3"}), 0);
  EXPECT_EQ(out.str(), "Bad name\n");
  ASSERT_EQ(Run({"text", "tc_lod"}), 0);
  EXPECT_EQ(out.str(), "LOD\n");
}

TEST_F(CliConfig, TitleFromDeclaredGb2312LanguageFile) {
  dir.Write("app/cfg.ini", kBase);
  dir.Write("app/text.xml",
            "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<config><tc_title>\xC4\xE3\xBA\xC3"
            "</tc_title></config>");
  EXPECT_EQ(Config()["title"], "\xE4\xBD\xA0\xE5\xA5\xBD");  // 你好
}

TEST_F(CliConfig, TitleKeyWinsOverLanguageText) {
  dir.Write("app/cfg.ini", std::string(kBase) + "Title=My Mouse\r\n");
  dir.Write("app/text.xml", "<config><tc_title>Other</tc_title></config>");
  EXPECT_EQ(Config()["title"], "My Mouse");
}

TEST_F(CliConfig, DataFolderComesFromAppdirUnderXdgDataHome) {
  dir.Write("app/cfg.ini", kBase);
  std::vector<std::string> args = {"--app-dir", (dir.path() / "app").string(), "config"};
  ASSERT_EQ(cli::RunCli(args, out, err), 0);
  EXPECT_EQ(json::parse(out.str())["dataDir"], (dir.path() / "share/Varnel").string());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "share/Varnel"));  // a read creates nothing
}

TEST_F(CliConfig, BadUsage) {
  dir.Write("app/cfg.ini", kBase);
  EXPECT_EQ(Run({"text", "tc_nosuchkey"}), 2);
  EXPECT_NE(err.str().find("unknown text key"), std::string::npos);
  EXPECT_NE(Run({"frobnicate"}), 0);
  std::vector<std::string> missing = {"--app-dir", (dir.path() / "nowhere").string(), "config"};
  EXPECT_EQ(cli::RunCli(missing, out, err), 1);
  EXPECT_NE(err.str().find("application folder not found"), std::string::npos);
}

}  // namespace
}  // namespace varnel
