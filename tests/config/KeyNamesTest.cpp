#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "KeyTestTexts.h"
#include "TestSupport.h"
#include "config/KeyNames.h"
#include "platform/UiPort.h"

namespace varnel {
namespace {

using LL = LayoutLanguage;

class KeyNamesTest : public ::testing::Test {
 protected:
  test::KeyTexts texts;
  RecordingUiPort ui;
  ScopedUiPort uiScope{ui};
  test::ScopedEnv layout{"VARNEL_KB_LAYOUT", "us"};
};

TEST_F(KeyNamesTest, EveryFixedNameOfTheTable) {
  std::set<uint8_t> seen;
  for (const auto& e : KeyNameTable()) {
    EXPECT_TRUE(seen.insert(e.vk).second) << "listed twice: " << int(e.vk);
    const std::string expected =
        e.isTextKey ? std::string(e.text).substr(3) : std::string(e.text);
    EXPECT_EQ(KeyName(e.vk), expected) << int(e.vk);
  }
  struct Case {
    uint32_t vk;
    const char* name;
  };
  const Case cases[] = {{1, "sf1"},     {5, "sf5"},      {13, "Enter"},   {43, "Enter"},
                        {48, "0"},      {57, "9"},       {96, "Num 0"},   {105, "Num 9"},
                        {108, "\\"},    {112, "F1"},     {123, "F12"},    {193, "k56"},
                        {226, "k45"},   {240, "click"},  {244, "back"},   {253, "NumEnter"}};
  for (const auto& c : cases) EXPECT_EQ(KeyName(c.vk), c.name) << c.vk;
}

TEST_F(KeyNamesTest, OtherCodesShowTheLayoutsCharacter) {
  struct Case {
    uint32_t vk;
    LL layout;
    const char* name;
  };
  const Case cases[] = {
      {0x41, LL::Other, "A"},   {0x5A, LL::German, "Z"},  {0xBA, LL::Other, ";"},
      {0xBA, LL::German, "Ü"},  {0xC0, LL::Spanish, "Ñ"}, {0xBF, LL::French, ":"},
      {0xC0, LL::Japanese, "@"}, {0xBF, LL::Turkish, "Ö"}, {0xDC, LL::Other, "\\"},
      {0xDF, LL::Other, ""},     {0x00, LL::Other, ""},    {0x1FF, LL::Other, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyName(c.vk, c.layout), c.name) << c.vk;
  {
    test::ScopedEnv de("VARNEL_KB_LAYOUT", "de");
    EXPECT_EQ(KeyName(0xDE), "Ä");
  }
  EXPECT_EQ(KeyName(0xDE), "'");
}

TEST_F(KeyNamesTest, VocabularyNamesInAnyCase) {
  std::set<std::string> names;
  for (const auto& e : KeyVocabularyTable()) {
    const std::string name = e.name;
    EXPECT_TRUE(names.insert(name).second) << "listed twice: " << name;
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char ch) { return char(std::toupper(ch)); });
    EXPECT_EQ(text_to_vk("f", "l", name), e.vk) << name;
    EXPECT_EQ(text_to_vk("f", "l", upper), e.vk) << upper;
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(KeyNamesTest, LettersDigitsAndFunctionKeys) {
  struct Case {
    const char* name;
    uint8_t vk;
  };
  const Case cases[] = {
      {"a", 65},   {"Z", 90},    {"f", 70},    {"0", 48},    {"9", 57},
      {"F5", 116}, {"f1", 112},  {"f9", 120},  {"f1x", 112}, {"f10", 121},
      {"F13", 124}, {"fn", 250}, {"FN2", 251}, {"MyComputer", 154}, {"NUM.", 110},
      {"num0", 96}, {"sf3", 3},
      // Only the first ten characters of a name count.
      {"mycomputer2", 154},
  };
  for (const auto& c : cases) EXPECT_EQ(text_to_vk("eft.ini", "x", c.name), c.vk) << c.name;
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(KeyNamesTest, UnknownNamesWarnAndGiveZero) {
  for (const char* name : {"k999", "", "f0", "f1xx", "\\", "numenter2", "esc "}) {
    ui.Clear();
    EXPECT_EQ(text_to_vk("eft\\wave.ini", "Key1=esc,k999", name), 0) << name;
    const auto messages = ui.Messages();
    ASSERT_EQ(messages.size(), 1u) << name;
    EXPECT_EQ(messages[0].caption, "Warning");
    EXPECT_EQ(messages[0].text, std::string("text_to_vk: wrong string=") + name +
                                    ", pszALL=Key1=esc,k999, file=eft\\wave.ini");
  }
  EXPECT_EQ(LookupKeyVocabulary("k999"), std::nullopt);
}

// A fixed name read back through the vocabulary names the same key, except where the two
// vocabularies deliberately differ (generic vs. left modifiers, the second Enter, Print vs PrtSc).
TEST_F(KeyNamesTest, FixedNamesReadBackAsTheSameKey) {
  const std::set<int> differ = {16, 17, 18, 42, 43};
  int readBack = 0;
  for (const auto& e : KeyNameTable()) {
    if (e.isTextKey) continue;
    const auto vk = LookupKeyVocabulary(e.text);
    if (!vk) continue;
    ++readBack;
    if (differ.count(e.vk)) {
      EXPECT_NE(*vk, e.vk) << e.text;
    } else {
      EXPECT_EQ(*vk, e.vk) << e.text;
    }
  }
  EXPECT_GT(readBack, 40);
}

// ---- Layout correction ---------------------------------------------------------------------

struct FixCase {
  LL layout;
  std::vector<std::pair<uint8_t, uint8_t>> capture;
  std::vector<std::pair<uint8_t, uint8_t>> display;
  std::vector<uint8_t> unchanged;  // in both directions
};

std::vector<std::pair<uint8_t, uint8_t>> Inverse(std::vector<std::pair<uint8_t, uint8_t>> v) {
  for (auto& [a, b] : v) std::swap(a, b);
  return v;
}

const std::vector<std::pair<uint8_t, uint8_t>> kGerman = {
    {0x59, 0x5A}, {0x5A, 0x59}, {0xBA, 0xDB}, {0xBB, 0xDD}, {0xBD, 0xBF},
    {0xBF, 0xDC}, {0xC0, 0xBA}, {0xDB, 0xBD}, {0xDC, 0xC0}, {0xDD, 0xBB}};
const std::vector<std::pair<uint8_t, uint8_t>> kSpanish = {
    {0xBA, 0xDB}, {0xBB, 0xDD}, {0xBD, 0xBF}, {0xBF, 0xDC},
    {0xC0, 0xBA}, {0xDB, 0xBD}, {0xDC, 0xC0}, {0xDD, 0xBB}};
const std::vector<std::pair<uint8_t, uint8_t>> kFrench = {
    {0x41, 0x51}, {0x4D, 0xBA}, {0x51, 0x41}, {0x57, 0x5A}, {0x5A, 0x57},
    {0xBA, 0xDD}, {0xBB, 0xBB}, {0xBC, 0x4D}, {0xBE, 0xBC}, {0xBF, 0xBE},
    {0xC0, 0xDE}, {0xDB, 0xBD}, {0xDD, 0xDB}, {0xDE, 0xC0}, {0xDF, 0xBF}};
const std::vector<std::pair<uint8_t, uint8_t>> kTurkish = {
    {0xBC, 0xDC}, {0xBD, 0xBB}, {0xBE, 0xBF}, {0xBF, 0xBC}, {0xDC, 0xBE}, {0xDF, 0xBD}};

TEST(LayoutKeyFix, BothDirectionsForEachLayout) {
  const FixCase cases[] = {
      {LL::German, kGerman, Inverse(kGerman), {0xBC, 0xBE, 0xDE, 0x41}},
      {LL::Spanish, kSpanish, Inverse(kSpanish), {0xBC, 0xBE, 0xDE, 0x59}},
      {LL::French, kFrench, Inverse(kFrench), {0x42, 0x30}},
      {LL::Japanese,
       {{0xBA, 0xDE}, {0xBB, 0xBA}, {0xC0, 0xDB}, {0xDB, 0xDD}, {0xDC, 0xC3}, {0xDD, 0xDC},
        {0xDE, 0xBB}, {0xE2, 0xC1}},
       {{0xBA, 0xBB}, {0xBB, 0xDE}, {0xC1, 0xE2}, {0xDB, 0xC0}, {0xDC, 0xDD}, {0xDD, 0xDB},
        {0xDE, 0xBA}, {0xFF, 0xDC}},
       {0x41, 0xBC}},
      {LL::Turkish, kTurkish, Inverse(kTurkish), {0xBA, 0xDB, 0x41}},
      {LL::Other, {}, {}, {0x59, 0x5A, 0xBA, 0xDC, 0xFF}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.layout));
    for (auto [from, to] : c.capture) {
      EXPECT_EQ(LayoutKeyFix(from, LayoutFixDirection::Capture, c.layout), to) << int(from);
    }
    for (auto [from, to] : c.display) {
      EXPECT_EQ(LayoutKeyFix(from, LayoutFixDirection::Display, c.layout), to) << int(from);
    }
    for (uint8_t code : c.unchanged) {
      EXPECT_EQ(LayoutKeyFix(code, LayoutFixDirection::Capture, c.layout), code);
      EXPECT_EQ(LayoutKeyFix(code, LayoutFixDirection::Display, c.layout), code);
    }
  }
  // Japanese: 0xC3 is only a capture result, never shown from.
  EXPECT_EQ(LayoutKeyFix(0xC3, LayoutFixDirection::Display, LL::Japanese), 0xC3u);
  EXPECT_EQ(LayoutKeyFix(0xFF, LayoutFixDirection::Capture, LL::Japanese), 0xFFu);
}

TEST(LayoutKeyFix, OnlyTheLowByteChanges) {
  EXPECT_EQ(LayoutKeyFix(0x02000059, LayoutFixDirection::Capture, LL::German), 0x0200005Au);
  EXPECT_EQ(LayoutKeyFix(0x1259, LayoutFixDirection::Display, LL::German), 0x125Au);
  EXPECT_EQ(LayoutKeyFix(0xAB00, LayoutFixDirection::Capture, LL::French), 0xAB00u);
}

TEST(LayoutKeyFix, FollowsTheCurrentLayout) {
  test::ScopedEnv env("VARNEL_KB_LAYOUT", "fr(oss),us");
  EXPECT_EQ(CurrentLayoutLanguage(), LL::French);
  EXPECT_EQ(LayoutKeyFix(0x41, LayoutFixDirection::Capture), 0x51u);
  EXPECT_EQ(LayoutKeyFix(0x51, LayoutFixDirection::Display), 0x41u);
}

TEST(KeyboardLayout, LayoutNamesAndLanguages) {
  EXPECT_EQ(FirstXkbLayout(" \"de(nodeadkeys),us\" "), "de");
  EXPECT_EQ(FirstXkbLayout("jp:106"), "jp");
  EXPECT_EQ(FirstXkbLayout(""), "");
  const struct {
    const char* name;
    LL language;
  } cases[] = {{"de", LL::German}, {"DE", LL::German}, {"at", LL::German},
               {"es", LL::Spanish}, {"fr", LL::French}, {"be", LL::French},
               {"jp", LL::Japanese}, {"tr", LL::Turkish}, {"us", LL::Other},
               {"gb", LL::Other},   {"", LL::Other},      {"tr(f),de", LL::Turkish}};
  for (const auto& c : cases) EXPECT_EQ(LayoutLanguageOf(c.name), c.language) << c.name;
}

TEST(KeyboardLayout, KeyboardFileAndEnvironmentOrder) {
  EXPECT_EQ(XkbLayoutFromKeyboardFile("# XKBLAYOUT=\"us\"\nXKBMODEL=\"pc105\"\n"
                                      "XKBLAYOUT=\"es,us\"\r\nXKBVARIANT=\",\"\n"),
            "es");
  EXPECT_EQ(XkbLayoutFromKeyboardFile("XKBMODEL=pc105\n"), "");
  test::ScopedEnv xkb("XKB_DEFAULT_LAYOUT", "tr");
  {
    test::ScopedEnv own("VARNEL_KB_LAYOUT", nullptr);
    EXPECT_EQ(CurrentXkbLayout(), "tr");
  }
  test::ScopedEnv own("VARNEL_KB_LAYOUT", "jp");
  EXPECT_EQ(CurrentXkbLayout(), "jp");
}

}  // namespace
}  // namespace varnel
