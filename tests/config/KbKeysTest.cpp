#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/AppConfig.h"
#include "config/KbKeys.h"
#include "platform/IniFile.h"
#include "platform/Log.h"
#include "platform/UiPort.h"

namespace varnel {
namespace {

using Msgs = std::vector<std::pair<std::string, std::string>>;

// "K1=…\nK2=…" from the values, numbered from first.
std::string Keys(const std::vector<std::string>& values, int first = 1) {
  std::string out;
  for (const auto& v : values) {
    out += 'K';
    out += std::to_string(first++);
    out += '=';
    out += v;
    out += '\n';
  }
  return out;
}

// A plain key at matrix (and LED) index m.
std::string PlainKey(int m, int vk = 0x41) {
  char text[64];
  std::snprintf(text, sizeof text, "0,0,10,10,2,%x,0,%d", vk, m);
  return text;
}

class KbKeys : public testing::Test {
 protected:
  void SetUp() override { gVar = GVar{}; }
  int LoadKb(const std::string& kbkey) {
    return LoadKbKeys(IniFile::FromBytes("[KBKEY]\n" + kbkey));
  }
  void LoadFn(const std::string& fn) { LoadFnKeys(IniFile::FromBytes("[FN]\n" + fn)); }
  Msgs Messages() const {
    Msgs out;
    for (const UiMessage& m : ui.Messages()) out.emplace_back(m.text, m.caption);
    return out;
  }

  RecordingUiPort ui;
  ScopedUiPort scope{ui};
};

TEST_F(KbKeys, EntryFields) {
  struct Case {
    const char* value;
    KeyFunc func;
    uint8_t modifier, key;
    uint32_t extra, matrix, led;
  };
  const Case cases[] = {
      // Plain key: extra value goes to the modifier byte.
      {"1,2,3,4,2,41,3,7,9", kFuncLayoutKey, 0x03, 0x41, 0, 7, 9},
      // Modifier keys become their bit, key byte 0 (0x prefix accepted on hex numbers).
      {"1,2,3,4,2,A0,0,7", kFuncLayoutKey, kModLShift, 0, 0, 7, 7},
      {"1,2,3,4,2,0x11,0,7", kFuncLayoutKey, kModLCtrl, 0, 0, 7, 7},
      {"1,2,3,4,2,5C,0,7", kFuncLayoutKey, kModRWin, 0, 0, 7, 7},
      {"1,2,3,4,2,A5,0,7", kFuncLayoutKey, kModRAlt, 0, 0, 7, 7},
      // Mouse buttons keep the extra value in the extra field.
      {"1,2,3,4,2,3,1F,7", kFuncLayoutKey, 0, 0x03, 0x1F, 7, 7},
      // Other types: type << 24 | code; only type 9 keeps the extra value.
      {"1,2,3,4,4,22,5,7", kFuncMediaPlayPause, 0, 0, 0, 7, 7},
      {"1,2,3,4,9,2,5,7", kFuncHw | 2, 0, 0, 5, 7, 7},
      {"1,2,3,4,8,A7,5,131,0", kFuncLightOnOff, 0, 0, 0, 131, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(LoadKb(Keys({c.value})), 1);
    const KeyItem& e = g_defKEY[0];
    EXPECT_EQ(e.rc, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(e.dwFunc, c.func);
    EXPECT_EQ(e.byModifier, c.modifier);
    EXPECT_EQ(e.byKey, c.key);
    EXPECT_EQ(e.dwExtra, c.extra);
    EXPECT_EQ(e.dwMatrixInx, c.matrix);
    EXPECT_EQ(e.dwLedInx, c.led);
  }
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(LoadKb(Keys({"-5,-6,3,4,2,41,0,1"})), 1);
  EXPECT_EQ(g_defKEY[0].rc, (Rect{-5, -6, 3, 4}));
  EXPECT_EQ(g_defKEY[1], KeyItem{});  // an earlier load leaves nothing behind
}

TEST_F(KbKeys, ReadsUntilFirstMissingKeyAndAtMost132) {
  EXPECT_EQ(LoadKb(Keys({PlainKey(0), PlainKey(1)}) + "K3=\n" + Keys({PlainKey(3)}, 4)), 2);
  std::vector<std::string> many;
  for (int i = 0; i < 140; ++i) many.push_back(PlainKey(i % 132, 0x30 + i % 64));
  EXPECT_EQ(LoadKb(Keys(many)), 132);
  EXPECT_EQ(g_defKEY[131].dwMatrixInx, 131u);
  EXPECT_TRUE(Messages().empty());  // keys after the 132nd are not read, so no duplicates
}

TEST_F(KbKeys, OutOfRangeIndexDropsEntry) {
  for (const char* bad : {"0,0,1,1,2,41,0,140", "0,0,1,1,2,41,0,5,132", "0,0,1,1,2,41,0,-1"}) {
    SCOPED_TRACE(bad);
    ui.Clear();
    const int n =
        LoadKb(Keys({PlainKey(0), PlainKey(1), PlainKey(2), PlainKey(3), bad, PlainKey(5, 0x46)}));
    EXPECT_EQ(n, 5);
    EXPECT_EQ(g_defKEY[4].dwMatrixInx, 5u);  // the sixth key took the fifth place
    EXPECT_EQ(g_defKEY[4].byKey, 0x46);
    EXPECT_EQ(g_defKEY[5], KeyItem{});
    EXPECT_EQ(Messages(), (Msgs{{"Wrong matrix index value!", "Warning"}}));
  }
}

TEST_F(KbKeys, LayoutCheckReportsFirstDuplicateOnly) {
  struct Case {
    std::vector<std::string> keys;
    Msgs expected;
  };
  const Case cases[] = {
      {{PlainKey(0), PlainKey(1), PlainKey(2), PlainKey(1), PlainKey(2)},
       {{"错误：Key2 和 Key4 的按键位置重复了", "Warning"}}},
      // Key numbers are those of [KBKEY], also after a dropped key.
      {{PlainKey(0), "0,0,1,1,2,41,0,200", PlainKey(2), PlainKey(0)},
       {{"Wrong matrix index value!", "Warning"},
        {"错误：Key1 和 Key4 的按键位置重复了", "Warning"}}},
      {{"0,0,1,1,2,41,0,1,9", "0,0,1,1,2,42,0,2,9"},
       {{"错误：Key1 和 Key2 的灯光位置重复了", "Warning"}}},
      // A shared LED index 0 is allowed; entries without a function are not checked.
      {{"0,0,1,1,2,41,0,1,0", "0,0,1,1,2,42,0,2,0"}, {}},
      {{PlainKey(3), "0,0,1,1,0,0,0,3"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys.front() + " / " + c.keys[1]);
    ui.Clear();
    LoadKb(Keys(c.keys));
    EXPECT_EQ(Messages(), c.expected);
  }
}

TEST_F(KbKeys, ParseErrorKeepsNumbersReadSoFar) {
  EXPECT_EQ(LoadKb(Keys({"1,2,3,4,2,41,0,5", "1,2,3,4,2,4G,0,6", PlainKey(7)})), 3);
  EXPECT_EQ(Messages(), (Msgs{{"Data parse error!", "Error"}}));
  EXPECT_EQ(g_defKEY[1].rc, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(g_defKEY[1].dwFunc, kFuncLayoutKey);
  EXPECT_EQ(g_defKEY[1].dwMatrixInx, 0u);  // not read
  EXPECT_EQ(g_defKEY[2].dwMatrixInx, 7u);
}

// ---- [FN] ----------------------------------------------------------------------------------

class FnKeys : public KbKeys {
 protected:
  void SetUp() override {
    KbKeys::SetUp();
    std::vector<std::string> keys;
    for (int i = 0; i < 132; ++i) keys.push_back(PlainKey(i));
    LoadKb(Keys(keys));
    ui.Clear();
  }
  std::vector<int32_t> Slots(size_t n) const {
    std::vector<int32_t> out;
    for (size_t i = 0; i < n; ++i) out.push_back(g_defKEY[i].nFnInx);
    return out;
  }
};

TEST_F(FnKeys, Functions) {
  LoadFn(Keys({"2,41,7,1", "2,A3,0,2", "4,122,5,3", "8,1A7,9,4"}));
  EXPECT_TRUE(Messages().empty());
  const KeyItem* e = g_defKEY.data();
  EXPECT_EQ(e[0].dwFnFunc, kFuncKey);
  EXPECT_EQ(e[0].byFnKey, 0x41);
  EXPECT_EQ(e[0].byFnModifier, 0);
  EXPECT_EQ(e[0].dwFnExtra, 0u);
  EXPECT_EQ(e[1].dwFnFunc, kFuncKey);
  EXPECT_EQ(e[1].byFnKey, 0);
  EXPECT_EQ(e[1].byFnModifier, kModRCtrl);
  EXPECT_EQ(e[2].dwFnFunc, kFuncMediaPlayPause);  // code cut to its low byte
  EXPECT_EQ(e[2].dwFnExtra, 5u);
  EXPECT_EQ(e[3].dwFnFunc, kFuncLightOnOff);
  EXPECT_EQ(Slots(6), (std::vector<int32_t>{1, 2, 3, 4, -1, -1}));
  EXPECT_EQ(e[0].dwFunc, kFuncLayoutKey);  // the main layer is untouched
}

TEST_F(FnKeys, AutomaticSlotsAreLowestFreeInTableOrder) {
  LoadFn(Keys({"4,22,0,255", "4,22,0,0", "4,22,0", "", "4,22,0,2", "4,22,0,255"}));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Slots(7), (std::vector<int32_t>{1, 0, 3, -1, 2, 4, -1}));
}

TEST_F(FnKeys, SlotAtOrAboveMaxFnNumIsReportedAndKept) {
  gVar.Kb.nMaxFnNum = 48;
  LoadFn(Keys({"4,22,0,47", "4,22,0,48", "4,22,0,255"}));
  EXPECT_EQ(Messages(), (Msgs{{"Wrong FN index value!", "Error"}}));
  EXPECT_EQ(Slots(3), (std::vector<int32_t>{47, 48, 0}));
}

TEST_F(FnKeys, ParseErrorStoresNoFunction) {
  LoadFn(Keys({"4,22,0,1", "4,2Z,0,2", "4,23,0,x"}));
  EXPECT_EQ(Messages(), (Msgs{{"Data parse error!", "Error"}, {"Data parse error!", "Error"}}));
  EXPECT_EQ(Slots(3), (std::vector<int32_t>{1, -1, -1}));
  EXPECT_EQ(g_defKEY[1].dwFnFunc, 0u);
}

// More than 64 [FN] keys: the rest is refused one by one; automatic slots stop at the device's
// slot count, and an entry without a slot is logged.
TEST_F(FnKeys, AtMost64EntriesAndSlotsBelowMaxFnNum) {
  std::string log;
  InstallLogBackend(1, {});
  SetDebuggerOutput([&log](std::string_view s) { log += s; });
  struct Restore {
    ~Restore() {
      InstallLogBackend(0, {});
      SetDebuggerOutput(nullptr);
    }
  } restore;

  std::vector<std::string> fn(70, "4,22,0");
  gVar.Kb.nMaxFnNum = 64;
  LoadFn(Keys(fn));
  EXPECT_EQ(Messages(), Msgs(6, {"k>=64", "Warning"}));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(g_defKEY[i].nFnInx, i);
  EXPECT_EQ(g_defKEY[64].nFnInx, -1);
  EXPECT_EQ(g_defKEY[64].dwFnFunc, 0u);
  EXPECT_EQ(log.find("ERROR"), std::string::npos);

  gVar.Kb.nMaxFnNum = 48;
  LoadFn(Keys(std::vector<std::string>(50, "4,22,0")));
  EXPECT_EQ(g_defKEY[47].nFnInx, 47);
  EXPECT_EQ(g_defKEY[48].nFnInx, -1);
  EXPECT_EQ(g_defKEY[49].nFnInx, -1);
  EXPECT_NE(log.find("ERROR: Get wrong index for g_defKEY[48]"), std::string::npos);
  EXPECT_NE(log.find("ERROR: Get wrong index for g_defKEY[49]"), std::string::npos);
}

// ---- FindKbKeyByVk -------------------------------------------------------------------------

TEST_F(KbKeys, FindKbKeyByVk) {
  LoadKb(Keys({
      "0,0,1,1,2,41,0,10",  // A
      "0,0,1,1,2,A0,0,20",  // left shift
      "0,0,1,1,4,22,0,25",  // media key
      "0,0,1,1,2,A3,0,30",  // right control
      "0,0,1,1,2,42,1,40",  // B with a modifier bit from its extra value
      "0,0,1,1,2,41,0,45",  // A again
      "0,0,1,1,0,0,0,50",   // no function: the table ends here
      "0,0,1,1,2,43,0,60",  // C
  }));
  struct Case {
    uint32_t vk;
    int32_t matrix, index;
  };
  const Case cases[] = {
      {0x41, 10, 0},
      {0x10, 20, 1},
      {0xA0, 20, 1},
      {0xA3, 30, 3},
      {0x42, 40, 4},
      {0x11, -1, -1},  // left control: only B carries its bit, and B is not that key
      {0x43, -1, -1},
      {0x00, -1, -1},
      {0x141, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vk);
    const KbKeyMatch m = FindKbKeyByVk(c.vk);
    EXPECT_EQ(m.matrixIndex, c.matrix);
    EXPECT_EQ(m.tableIndex, c.index);
  }
}

}  // namespace
}  // namespace varnel
