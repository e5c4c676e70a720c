#include "config/LangText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/XmlDoc.h"

namespace varnel {
namespace {

struct KeyRef {
  std::string key;
  std::string* text;
};

std::vector<KeyRef> AllKeys() {
  std::vector<KeyRef> keys;
#define VARNEL_TEXT_SINGLE(name) keys.push_back({#name, &name});
#define VARNEL_TEXT_FAMILY(name, count) \
  for (size_t n = 0; n < (count); ++n) keys.push_back({#name + std::to_string(n + 1), &name[n]});
#include "config/TextKeys.def"
#undef VARNEL_TEXT_SINGLE
#undef VARNEL_TEXT_FAMILY
  return keys;
}

std::string Config(const std::string& body) { return "<?xml version=\"1.0\"?><config>" + body + "</config>"; }

class LangTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLangText(); }
  void TearDown() override { ResetLangText(); }
  test::TempDir dir;
};

TEST_F(LangTextTest, ReadCountAndEveryKeyFillsItsOwnText) {
  EXPECT_EQ(LangTextReadCount(), 437u);
  std::string body;
  for (const auto& k : AllKeys()) body += "<" + k.key + ">" + k.key + "</" + k.key + ">";
  ASSERT_TRUE(LoadLangTextBytes(Config(body)));
  for (const auto& k : AllKeys()) {
    EXPECT_EQ(*k.text, k.key);
    EXPECT_EQ(LookupText(k.key), k.key);
  }
  EXPECT_EQ(tc_tips3_invalid, "tc_tips3");  // both messages read tc_tips3
}

TEST_F(LangTextTest, DefaultsWhenMissingEmptyOrUnloadable) {
  const std::string files[] = {Config("<tc_title>T</tc_title><tc_lod></tc_lod>"), "<config><a>"};
  for (const auto& xml : files) {
    SCOPED_TRACE(xml);
    LoadLangTextBytes(xml);
    EXPECT_EQ(tc_lod, "LOD");
    EXPECT_EQ(tc_k45, "K45");
    EXPECT_EQ(tc_k56, "K56");
    EXPECT_EQ(tc_tips3, "The number of profile has reached it's maximum");
    EXPECT_EQ(tc_tips3_invalid, "Invalid name");
  }
  EXPECT_EQ(tc_title, "");  // the broken file gave nothing
  EXPECT_FALSE(LoadLangText(dir.path() / "missing" / "text.xml"));
  EXPECT_EQ(tc_lod, "LOD");
}

TEST_F(LangTextTest, FirstElementAndFirstSectionWin) {
  ASSERT_TRUE(LoadLangTextBytes(
      "<config><tc_title>A</tc_title><tc_title>B</tc_title><tc_ok/><tc_ok>late</tc_ok>"
      "<x><tc_apply>nested</tc_apply></x></config><config><tc_cancel>second</tc_cancel></config>"));
  EXPECT_EQ(tc_title, "A");
  EXPECT_EQ(tc_ok, "");
  EXPECT_EQ(tc_apply, "");
  EXPECT_EQ(tc_cancel, "");
}

TEST_F(LangTextTest, SwitchingLanguageReplacesEveryText) {
  ASSERT_TRUE(LoadLangText(dir.Write("en/text.xml",
      Config("<tc_title>Title</tc_title><tc_lod>Lift</tc_lod><tc_msg3>m3</tc_msg3><tc_tips3>Full</tc_tips3>"))));
  EXPECT_EQ(tc_lod, "Lift");
  EXPECT_EQ(tc_tips3_invalid, "Full");
  ASSERT_TRUE(LoadLangText(dir.Write("de/text.xml", Config("<tc_click>Klick</tc_click>"))));
  EXPECT_EQ(tc_click, "Klick");
  EXPECT_EQ(tc_title, "");
  EXPECT_EQ(tc_msg[2], "");
  EXPECT_EQ(tc_lod, "LOD");
  EXPECT_EQ(tc_tips3_invalid, "Invalid name");
}

TEST_F(LangTextTest, FamiliesAndLookup) {
  ASSERT_TRUE(LoadLangTextBytes(Config(
      "<tc_msg1>a</tc_msg1><tc_msg30>b</tc_msg30><tc_msg31>x</tc_msg31><tc_ms21>c</tc_ms21>"
      "<tc_ms_led1>d</tc_ms_led1><tc_macro_msg36>e</tc_macro_msg36><tc_title>A&amp;B&nbsp;</tc_title>")));
  EXPECT_EQ(tc_msg[0], "a");
  EXPECT_EQ(tc_msg[29], "b");
  EXPECT_EQ(tc_ms[20], "c");
  EXPECT_EQ(tc_ms_led[0], "d");
  EXPECT_EQ(tc_ms[0], "");
  EXPECT_EQ(tc_macro_msg[35], "e");
  EXPECT_EQ(tc_title, "A&B\xC2\xA0");
  const std::pair<const char*, std::optional<std::string>> lookups[] = {
      {"tc_msg30", "b"}, {"tc_macro_msg36", "e"}, {"tc_ms_led1", "d"}, {"tc_msg0", std::nullopt},
      {"tc_msg31", std::nullopt}, {"tc_msg03", std::nullopt}, {"TC_TITLE", std::nullopt},
      {"tc_tips3_invalid", std::nullopt}, {"tc_lod", "LOD"}};
  for (const auto& [key, expected] : lookups) EXPECT_EQ(LookupText(key), expected) << key;
}

TEST_F(LangTextTest, LoadAgreesWithGetTextForEveryKey) {
  const std::string xml =
      "<other><tc_title>no</tc_title></other>" +
      Config("<tc_title>t</tc_title><tc_title>t2</tc_title><tc_kb12>k</tc_kb12><g><tc_ok>no</tc_ok></g>"
             "<tc_ok>ok</tc_ok><tc_sf5><![CDATA[<raw>]]></tc_sf5>") +
      "<config><tc_apply>no</tc_apply></config>";
  ASSERT_TRUE(LoadLangTextBytes(xml));
  XmlDoc doc;
  doc.XmlLoadBytes(xml);
  ASSERT_TRUE(doc.XmlParse());
  for (const auto& k : AllKeys()) {
    if (k.key == "tc_lod" || k.key == "tc_k45" || k.key == "tc_k56" || k.key == "tc_tips3") continue;
    EXPECT_EQ(*k.text, GetText(doc, "config", k.key)) << k.key;
  }
  EXPECT_EQ(tc_ok, "ok");
  EXPECT_EQ(tc_sf[4], "<raw>");
}

}  // namespace
}  // namespace varnel
