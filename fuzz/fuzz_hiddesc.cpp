// Parses arbitrary bytes as a HID report descriptor. Whatever the input, the parse must end, and
// what it returns must be consistent: no more collections than Collection items fit in the input,
// report ids ascending and unique, never id 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "device/HidDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const varnel::HidDescriptorResult r =
      varnel::ParseReportDescriptor(std::span<const uint8_t>(data, size));
  // Each top-level collection takes at least its one-byte Collection item.
  if (r.collections.size() > size) std::abort();
  for (const varnel::HidCollectionCaps& c : r.collections) {
    for (size_t i = 0; i < c.reportIds.size(); ++i) {
      if (c.reportIds[i] == 0) std::abort();
      if (i > 0 && c.reportIds[i - 1] >= c.reportIds[i]) std::abort();
    }
  }
  return 0;
}
