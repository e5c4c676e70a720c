#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/HidIfTable.h"
#include "device/ScriptedHidBackend.h"

namespace varnel {
namespace {

HidInterfaceInfo Iface(const std::string& path, uint16_t vid, uint16_t pid) {
  HidInterfaceInfo i;
  i.path = path;
  i.vendorId = vid;
  i.productId = pid;
  i.usagePage = 0xFF00;
  i.usage = 1;
  i.featureLen = 8;
  return i;
}

std::string Numbered(const char* prefix, int i) {
  std::string s = prefix;
  s += std::to_string(i);
  return s;
}

std::vector<std::string> Paths(const HidIfTable& table) {
  std::vector<std::string> out;
  for (const auto& e : table.entries) out.push_back(e.path);
  while (!out.empty() && out.back().empty()) out.pop_back();
  return out;
}

TEST(EnumHidInterfaces, FilterRules) {
  ScriptedHidBackend bus;
  bus.AddInterface(Iface("k1", 0x258a, 0x0049));
  bus.AddInterface(Iface("k2", 0x258a, 0x0050));
  bus.AddInterface(Iface("other", 0x046d, 0x0049));
  bus.AddInterface(Iface("k3", 0x258a, 0x0051));
  bus.AddInterface(Iface("zero", 0x258a, 0x0000));

  struct Case {
    const char* name;
    int32_t vid, pid, pid2;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"all zero takes every interface", 0, 0, 0, {"k1", "k2", "other", "k3", "zero"}},
      {"vendor and product", 0x258a, 0x0049, 0, {"k1", "zero"}},
      {"second product id", 0x258a, 0x0049, 0x0051, {"k1", "k3"}},
      {"vendor must match", 0x1111, 0x0049, 0x0050, {}},
  };
  for (const Case& c : cases) {
    HidIfFilter filter;
    filter.vendorId = c.vid;
    filter.productId = c.pid;
    filter.productId2 = c.pid2;
    EXPECT_EQ(Paths(EnumHidInterfaces(filter, bus)), c.expected) << c.name;
  }
  HidIfFilter extra;
  extra.vendorId = 0x258a;
  extra.productId = extra.productId2 = 0x0051;
  extra.extraProductIds = {0, 0x0050};  // zeros in a product-id list never match
  EXPECT_EQ(Paths(EnumHidInterfaces(extra, bus)), (std::vector<std::string>{"k2", "k3"}));
}

TEST(EnumHidInterfaces, FillsFirstFreeEntriesAndDropsWhatDoesNotFit) {
  ScriptedHidBackend bus;
  for (int i = 0; i < 60; ++i) bus.AddInterface(Iface(Numbered("if", i), 0x1000, 0x2000));
  HidIfTable table;
  table.entries[1].path = "kept";  // an entry already in use stays where it is
  EnumHidInterfaces(table, {}, bus);
  EXPECT_EQ(table.UsedCount(), kHidIfTableSize);
  EXPECT_EQ(table.entries[0].path, "if0");
  EXPECT_EQ(table.entries[1].path, "kept");
  EXPECT_EQ(table.entries[2].path, "if1");
  EXPECT_EQ(table.entries[49].path, "if48");
  EXPECT_EQ(table.FirstFree(), nullptr);
}

TEST(EnumHidInterfaces, ConfiguredDeviceBehindFiftyOthersIsFoundWithTheVendorFilter) {
  ScriptedHidBackend bus;
  for (int i = 0; i < 55; ++i) bus.AddInterface(Iface(Numbered("x", i), 0x1000, 0x2000));
  bus.AddInterface(Iface("mouse-cmd", 0x25a7, 0xfa70));
  bus.AddInterface(Iface("mouse-data", 0x25a7, 0xfa70));
  EXPECT_EQ(Paths(EnumHidInterfaces({}, bus)).back(), "x49");
  const HidIfFilter mouse{0x25a7, 0, 0, {0xfa07, 0xfa70, 0, 0, 0}};
  EXPECT_EQ(Paths(EnumHidInterfaces(mouse, bus)),
            (std::vector<std::string>{"mouse-cmd", "mouse-data"}));
}

TEST(EnumHidInterfaces, EntryTakesTheInterfaceValues) {
  ScriptedHidBackend bus;
  HidInterfaceInfo i = Iface("/dev/hidraw2#1", 0x25a7, 0xfa70);
  i.versionNumber = 0x0102;
  i.interfaceNumber = 1;
  i.productString = "Gaming Mouse";
  i.usagePage = 0x0C;
  i.usage = 1;
  i.inputLen = 8;
  i.outputLen = 3;
  i.featureLen = 520;
  i.capabilities = {{HidReportKind::Feature, false, 8}};
  bus.AddInterface(i);
  const HidIfTable table = EnumHidInterfaces({}, bus);
  const HidIfEntry& e = table.entries[0];
  EXPECT_EQ(e.path, "/dev/hidraw2#1");
  EXPECT_EQ(e.reportId, 8);
  EXPECT_EQ(e.inputLen, 8);
  EXPECT_EQ(e.outputLen, 3);
  EXPECT_EQ(e.featureLen, 520);
  EXPECT_EQ(e.usagePage, 0x0C);
  EXPECT_EQ(e.usage, 1);
  EXPECT_EQ(e.vendorId, 0x25a7);
  EXPECT_EQ(e.productId, 0xfa70);
  EXPECT_EQ(e.versionNumber, 0x0102);
  EXPECT_EQ(e.interfaceNumber, 1);
  EXPECT_EQ(e.productString, "Gaming Mouse");
}

TEST(GetReportId, SearchOrderFeatureInputOutputButtonsBeforeValues) {
  using K = HidReportKind;
  struct Case {
    const char* name;
    std::vector<HidCapability> caps;
    std::vector<uint8_t> ids;
    int32_t expected;
  };
  const Case cases[] = {
      {"nothing", {}, {}, 0},
      {"feature value before input button",
       {{K::Input, true, 1}, {K::Feature, false, 5}}, {}, 5},
      {"feature button before feature value",
       {{K::Feature, false, 4}, {K::Feature, true, 6}}, {}, 6},
      {"first of a kind in descriptor order",
       {{K::Feature, false, 9}, {K::Feature, false, 3}}, {}, 9},
      {"input before output",
       {{K::Output, true, 2}, {K::Input, false, 7}}, {}, 7},
      {"input value before output button",
       {{K::Output, true, 2}, {K::Input, false, 11}, {K::Output, false, 3}}, {}, 11},
      {"output only", {{K::Output, false, 3}}, {}, 3},
      {"capabilities without ids", {{K::Input, true, 0}}, {1, 2}, 0},
      {"ids only: the lowest", {}, {4, 2, 9}, 2},
  };
  for (const Case& c : cases) {
    HidInterfaceInfo info;
    info.capabilities = c.caps;
    info.reportIds = c.ids;
    EXPECT_EQ(GetReportId(info), c.expected) << c.name;
  }
}

TEST(HidBackendSeam, EmptyBusUntilOneIsInstalledAndScopedReplacementRestores) {
  EXPECT_TRUE(GetHidBackend().Enumerate().empty());
  EXPECT_EQ(GetHidBackend().Open("/dev/hidraw0", HidOpenAccess::None).status, HidStatus::Gone);
  ScriptedHidBackend bus;
  bus.AddInterface(Iface("a", 1, 2));
  {
    ScopedHidBackend scope(bus);
    EXPECT_EQ(Paths(EnumHidInterfaces({})), (std::vector<std::string>{"a"}));
  }
  EXPECT_TRUE(GetHidBackend().Enumerate().empty());
}

}  // namespace
}  // namespace varnel
