#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "device/HidDescriptor.h"

namespace varnel {

// Readable failure output for the comparisons below.
void PrintTo(const HidCollectionCaps& c, std::ostream* os) {
  char head[64];
  std::snprintf(head, sizeof head, "{page %04X usage %04X ids [", c.usagePage, c.usage);
  *os << head;
  for (uint8_t id : c.reportIds) *os << ' ' << int{id};
  *os << " ] in " << c.inputLen << " out " << c.outputLen << " feat " << c.featureLen << '}';
}

namespace {

// "05 01 09 02" -> bytes.
std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

std::vector<uint8_t> Repeat(const std::string& hex, int times) {
  std::vector<uint8_t> out;
  for (int i = 0; i < times; ++i) {
    const std::vector<uint8_t> one = Hex(hex);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

std::vector<uint8_t> Concat(std::vector<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

HidCollectionCaps Caps(uint16_t page, uint16_t usage, std::vector<uint8_t> ids, uint16_t in,
                       uint16_t out, uint16_t feat) {
  return {page, usage, std::move(ids), in, out, feat};
}

const std::string kBootMouse =
    "05 01 09 02 A1 01 09 01 A1 00 05 09 19 01 29 03 15 00 25 01 95 03 75 01 81 02 95 01 75 05"
    " 81 01 05 01 09 30 09 31 15 81 25 7F 75 08 95 02 81 06 C0 C0";
const std::string kBootKeyboard =
    "05 01 09 06 A1 01 05 07 19 E0 29 E7 15 00 25 01 75 01 95 08 81 02 95 01 75 08 81 01 95 05"
    " 75 01 05 08 19 01 29 05 91 02 95 01 75 03 91 01 95 06 75 08 15 00 25 65 05 07 19 00 29 65"
    " 81 00 C0";
// Input ids 1 and 2 (id 2 continued inside a nested physical collection), output id 1,
// feature ids 3 and 4.
const std::string kMultiId =
    "05 01 09 02 A1 01"
    " 85 01 75 08 95 04 81 02"
    " 85 02 75 08 95 08 81 02 75 04 95 02 81 03"
    " A1 00 75 08 95 06 81 02 C0"
    " 85 03 75 08 95 02 B1 02"
    " 85 04 75 08 95 20 B1 02"
    " 85 01 75 08 95 01 91 02"
    " C0";

struct WellFormedCase {
  const char* name;
  std::string hex;
  std::vector<HidCollectionCaps> expected;
};

TEST(ParseReportDescriptor, WellFormedDescriptors) {
  const std::vector<WellFormedCase> cases = {
      {"boot mouse: 3 buttons, 5 padding bits, X and Y", kBootMouse, {Caps(1, 2, {}, 4, 0, 0)}},
      {"boot keyboard: 8-byte input, LED output of 5 bits + 3 padding",
       kBootKeyboard,
       {Caps(1, 6, {}, 9, 2, 0)}},
      {"vendor: two top-level collections with their own ids",
       "06 00 FF 09 01 A1 01 85 05 75 08 95 40 15 00 26 FF 00 09 01 B1 02 C0"
       " 06 00 FF 09 02 A1 01 85 06 75 08 95 08 09 02 81 02 C0",
       {Caps(0xFF00, 1, {5}, 0, 0, 65), Caps(0xFF00, 2, {6}, 9, 0, 0)}},
      {"no report ids: the id byte is still counted in every kind",
       "06 00 FF 09 01 A1 01 75 08 95 07 09 01 81 02 95 03 09 02 91 02 75 01 95 0C 09 03 B1 02 C0",
       {Caps(0xFF00, 1, {}, 8, 4, 3)}},
      {"several ids: the longest report of each kind wins", kMultiId,
       {Caps(1, 2, {1, 2, 3, 4}, 16, 2, 33)}},
      {"an id shared by two collections counts in each separately",
       "06 00 FF 09 01 A1 01 85 07 75 08 95 10 B1 02 C0"
       " 06 00 FF 09 02 A1 01 85 07 75 08 95 03 B1 02 85 08 75 08 95 01 81 02 C0",
       {Caps(0xFF00, 1, {7}, 0, 0, 17), Caps(0xFF00, 2, {7, 8}, 2, 0, 4)}},
      {"32-bit usage carries its own page",
       "05 01 0B 01 00 0C 00 A1 01 75 08 95 02 81 02 C0", {Caps(0x0C, 1, {}, 3, 0, 0)}},
      {"16-bit usage takes the page in effect at the Collection item",
       "09 01 05 0C A1 01 75 08 95 02 81 02 C0", {Caps(0x0C, 1, {}, 3, 0, 0)}},
      {"first usage names the collection; Usage Minimum when there is no Usage",
       "05 0C 09 01 09 02 A1 01 C0 19 05 29 07 A1 01 C0",
       {Caps(0x0C, 1, {}, 0, 0, 0), Caps(0x0C, 5, {}, 0, 0, 0)}},
      {"2- and 4-byte data, long item skipped",
       "06 00 FF 0A 34 12 A1 01 FE 02 10 AA BB 77 08 00 00 00 96 00 01 B1 02 C0",
       {Caps(0xFF00, 0x1234, {}, 0, 0, 257)}},
      {"Pop restores report id, size and count",
       "06 00 FF 09 01 A1 01 85 01 75 08 95 04 A4 85 02 75 01 95 03 81 02 B4 81 02 C0",
       {Caps(0xFF00, 1, {1, 2}, 5, 0, 0)}},
      {"absurd size and count saturate at 65535 bytes",
       "06 00 FF 09 01 A1 01 77 FF FF FF FF 97 FF FF FF FF 81 02 81 02 B1 02 C0",
       {Caps(0xFF00, 1, {}, 65535, 0, 65535)}},
      {"empty descriptor", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = Hex(c.hex);
    const HidDescriptorResult r = ParseReportDescriptor(bytes);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.collections, c.expected);
  }
}

struct MalformedCase {
  const char* name;
  std::vector<uint8_t> bytes;
  std::string errorPart;  // must occur in the error text
  std::vector<HidCollectionCaps> expected;
};

TEST(ParseReportDescriptor, MalformedInputReportsErrorAndKeepsWhatWasParsed) {
  const std::vector<MalformedCase> cases = {
      {"truncated short item",
       Hex("06 00 FF 09 01 A1 01 75 08 95 04 81 02 26 FF"), "truncated item at offset 13",
       {Caps(0xFF00, 1, {}, 5, 0, 0)}},
      {"truncated long item", Hex("06 00 FF 09 01 A1 01 75 08 95 04 81 02 FE 05 00 01"),
       "truncated long item", {Caps(0xFF00, 1, {}, 5, 0, 0)}},
      {"long item header cut off", Hex("FE 01"), "truncated long item", {}},
      {"collection never closed", Hex("06 00 FF 09 01 A1 01 A1 02 75 08 95 04 81 02 C0"),
       "not closed", {Caps(0xFF00, 1, {}, 5, 0, 0)}},
      {"End Collection without Collection",
       Hex("06 00 FF 09 01 A1 01 C0 C0 A1 01 75 08 95 01 81 02 C0"),
       "End Collection without Collection",
       {Caps(0xFF00, 1, {}, 0, 0, 0), Caps(0xFF00, 0, {}, 2, 0, 0)}},
      {"Pop without Push leaves the state alone",
       Hex("06 00 FF 09 01 A1 01 75 08 95 02 B4 81 02 C0"), "Pop without Push",
       {Caps(0xFF00, 1, {}, 3, 0, 0)}},
      {"Push beyond the stack",
       Concat({Hex("06 00 FF 09 01 A1 01 75 08 95 02"), Repeat("A4", 17), Repeat("B4", 16),
               Hex("81 02 C0")}),
       "Push nested deeper than 16", {Caps(0xFF00, 1, {}, 3, 0, 0)}},
      {"collections nested too deep stop the parse", Repeat("A1 00", 40),
       "nested deeper than 32", {Caps(0, 0, {}, 0, 0, 0)}},
      {"report id 0", Hex("06 00 FF 09 01 A1 01 85 00 75 08 95 01 81 02 C0"),
       "invalid report id 0", {Caps(0xFF00, 1, {}, 2, 0, 0)}},
      {"report id above 255",
       Hex("06 00 FF 09 01 A1 01 85 03 86 2C 01 75 08 95 01 81 02 C0"), "invalid report id 300",
       {Caps(0xFF00, 1, {3}, 2, 0, 0)}},
      {"main item outside a collection",
       Hex("75 08 95 04 81 02 06 00 FF 09 01 A1 01 95 01 B1 02 C0"), "outside any collection",
       {Caps(0xFF00, 1, {}, 0, 0, 2)}},
      {"fields with and without report id mixed",
       Hex("06 00 FF 09 01 A1 01 75 08 95 01 81 02 85 01 81 02 C0"), "without a report id",
       {Caps(0xFF00, 1, {1}, 2, 0, 0)}},
      {"reserved item type", Hex("06 00 FF 09 01 A1 01 0C 75 08 95 01 81 02 C0"),
       "reserved item type", {Caps(0xFF00, 1, {}, 2, 0, 0)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HidDescriptorResult r = ParseReportDescriptor(c.bytes);
    EXPECT_NE(r.error.find(c.errorPart), std::string::npos) << r.error;
    EXPECT_EQ(r.collections, c.expected);
  }
}

// Cutting a descriptor anywhere from its Collection item on must be noticed: either an item is
// cut in half or the collection is left open.
TEST(ParseReportDescriptor, EveryCutInsideACollectionIsAnError) {
  const std::vector<uint8_t> full = Hex(kMultiId);
  ASSERT_EQ(ParseReportDescriptor(full).error, "");
  const size_t collectionItem = 4;  // after "05 01 09 02"
  ASSERT_EQ(full[collectionItem], 0xA1);
  for (size_t len = collectionItem + 1; len < full.size(); ++len) {
    SCOPED_TRACE(len);
    const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(len));
    const HidDescriptorResult r = ParseReportDescriptor(cut);
    EXPECT_NE(r.error, "");
    EXPECT_LE(r.collections.size(), 1u);
  }
}

}  // namespace
}  // namespace varnel
