#pragma once
// The table of enumerated HID interfaces that every device family walks to find its command,
// data and notification interfaces. The table holds what enumeration saw, no open handles: each
// family opens the interfaces it picks itself.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/HidBackend.h"

namespace varnel {

struct HidIfEntry {
  std::string path;  // empty marks a free entry
  int32_t reportId = 0;
  int32_t inputLen = 0;    // report id byte included
  int32_t outputLen = 0;
  int32_t featureLen = 0;
  int32_t usagePage = 0;
  int32_t usage = 0;
  int32_t vendorId = 0;
  int32_t productId = 0;
  // Also kept from enumeration, for the families' firmware version and for listings.
  int32_t versionNumber = 0;
  int32_t interfaceNumber = -1;
  std::string productString;

  bool IsFree() const { return path.empty(); }
};

inline constexpr size_t kHidIfTableSize = 50;

struct HidIfTable {
  std::array<HidIfEntry, kHidIfTableSize> entries;

  void Clear() { entries.fill(HidIfEntry{}); }
  // The first free entry, nullptr when all are used.
  HidIfEntry* FirstFree();
  size_t UsedCount() const;
};

// Which interfaces enumeration keeps. All three ids 0: every interface. Otherwise an interface
// is kept when its vendor id is vendorId and its product id is productId or productId2, or one
// of the non-zero extraProductIds (so a family with several configured product ids can filter
// while enumerating and its interfaces are never crowded out of the table by others).
struct HidIfFilter {
  int32_t vendorId = 0;
  int32_t productId = 0;
  int32_t productId2 = 0;
  std::vector<int32_t> extraProductIds;

  bool TakesAll() const {
    return vendorId == 0 && productId == 0 && productId2 == 0 && extraProductIds.empty();
  }
  bool Matches(const HidInterfaceInfo& info) const;
};

// The report id of the first capability found, searching feature buttons, feature values, input
// buttons, input values, output buttons, output values in turn; 0 when there is none. A backend
// that gives report ids but no capabilities yields the lowest id.
int32_t GetReportId(const HidInterfaceInfo& info);

// Puts each present interface that passes the filter into the first free entry of table, in
// enumeration order; when all entries are used, further interfaces are dropped. The table is
// not cleared first (callers clear it right before).
void EnumHidInterfaces(HidIfTable& table, const HidIfFilter& filter,
                       HidBackend& backend = GetHidBackend());

// A freshly cleared table filled as above.
HidIfTable EnumHidInterfaces(const HidIfFilter& filter, HidBackend& backend = GetHidBackend());

}  // namespace varnel
