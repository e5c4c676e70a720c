#pragma once
// Our own HID report-descriptor parser: what the platform's capabilities query gives per
// top-level collection (usage page, usage, report ids, input/output/feature report lengths with
// the report id byte included).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnel {

struct HidCollectionCaps {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  std::vector<uint8_t> reportIds;  // ids used by this collection, ascending; empty: no ids
  // Longest report of each kind in bytes, report id byte included (as HidP_GetCaps gives
  // InputReportByteLength etc.): 0 when the collection has none of that kind.
  uint16_t inputLen = 0;
  uint16_t outputLen = 0;
  uint16_t featureLen = 0;

  bool operator==(const HidCollectionCaps&) const = default;
};

struct HidDescriptorResult {
  std::vector<HidCollectionCaps> collections;  // top-level collections in descriptor order
  std::string error;                           // empty when the descriptor was well formed
};

HidDescriptorResult ParseReportDescriptor(std::span<const uint8_t> descriptor);

}  // namespace varnel
