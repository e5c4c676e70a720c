#include "device/HidDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

// Report lengths are those of HidP_GetCaps (InputReportByteLength, OutputReportByteLength,
// FeatureReportByteLength): the size of the buffer an application passes for the longest report of
// that kind, and that buffer always starts with the report id byte. Microsoft documents the byte as
// "the report ID, if report IDs are used"; when a collection uses none, the first byte is still
// there and holds 0 (HidD_GetFeature and friends expect it), and the lengths count it. So:
//   length = 1 + ceil(bits of all main items of one report id and kind / 8),
// the longest report id of the kind wins, and a kind without any main item gives 0. Constant
// (padding) fields count like data fields. Lengths saturate at 65535.
//
// Every collection opened at nesting depth 0 is a top-level collection, whatever its type. Its
// usage is the first Usage (or else Usage Minimum) given before it; a 16-bit usage takes the Usage
// Page in effect at the Collection item, a 32-bit usage carries its own page. A report id that
// occurs in several top-level collections is counted separately in each: a collection only sums
// its own main items.
//
// Malformed input: the first problem found is described in `error`; parsing goes on where it can
// (a bad item is ignored) and stops at a truncated item or at too deep nesting. Whatever was
// parsed is returned either way.

namespace varnel {

namespace {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxPush = 16;
constexpr uint64_t kMaxLen = 65535;
// Bit sums saturate here, well above anything that still fits kMaxLen bytes.
constexpr uint64_t kBitCap = (kMaxLen + 1) * 8;

enum class ItemType : uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

enum MainTag : uint8_t {
  kInput = 0x8,
  kOutput = 0x9,
  kCollection = 0xA,
  kFeature = 0xB,
  kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kUsagePage = 0x0,
  kLogicalMin = 0x1,
  kLogicalMax = 0x2,
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB,
};

enum LocalTag : uint8_t {
  kUsage = 0x0,
  kUsageMin = 0x1,
  kUsageMax = 0x2,
};

constexpr uint8_t kLongItemPrefix = 0xFE;

struct GlobalState {
  uint16_t usagePage = 0;
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  uint32_t reportSize = 0;
  uint32_t reportId = 0;
  uint32_t reportCount = 0;
};

// A usage as written: with bSize 4 it carries its page in the high 16 bits.
struct LocalUsage {
  bool present = false;
  bool hasPage = false;
  uint32_t value = 0;
};

struct LocalState {
  LocalUsage usage;  // first Usage since the last main item
  LocalUsage usageMin;
  LocalUsage usageMax;
};

enum ReportKind : uint8_t { kInputKind = 0, kOutputKind = 1, kFeatureKind = 2 };

struct CollectionSums {
  // Bits per report id, one map per kind.
  std::array<std::map<uint32_t, uint64_t>, 3> bits;
};

uint16_t ToLength(uint64_t bits) {
  const uint64_t bytes = 1 + (bits + 7) / 8;
  return static_cast<uint16_t>(std::min(bytes, kMaxLen));
}

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> d) : data_(d) {}

  HidDescriptorResult Run() {
    size_t pos = 0;
    while (pos < data_.size() && !stopped_) {
      const uint8_t prefix = data_[pos];
      if (prefix == kLongItemPrefix) {
        // Long item: prefix, bDataSize, bLongItemTag, data. No long item tags are defined; skip.
        if (data_.size() - pos < 3 || data_.size() - pos - 3 < data_[pos + 1]) {
          Fail("truncated long item at offset " + std::to_string(pos));
          break;
        }
        pos += 3 + size_t{data_[pos + 1]};
        continue;
      }
      const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
      if (data_.size() - pos - 1 < size) {
        Fail("truncated item at offset " + std::to_string(pos));
        break;
      }
      uint32_t value = 0;
      for (size_t i = 0; i < size; ++i) value |= uint32_t{data_[pos + 1 + i]} << (8 * i);
      offset_ = pos;
      Item(static_cast<ItemType>((prefix >> 2) & 3), static_cast<uint8_t>(prefix >> 4), size,
           value);
      pos += 1 + size;
    }
    if (!stopped_ && depth_ > 0) Fail("collection not closed at end of descriptor");
    if (usesIds_ && mainWithoutId_) {
      Fail("main item without a report id in a descriptor that uses report ids");
    }
    Finish();
    return std::move(result_);
  }

 private:
  void Fail(std::string text) {
    if (result_.error.empty()) result_.error = std::move(text);
  }

  std::string At() const { return " at offset " + std::to_string(offset_); }

  static int32_t Signed(size_t size, uint32_t value) {
    switch (size) {
      case 1: return static_cast<int8_t>(value);
      case 2: return static_cast<int16_t>(value);
      default: return static_cast<int32_t>(value);
    }
  }

  void Item(ItemType type, uint8_t tag, size_t size, uint32_t value) {
    switch (type) {
      case ItemType::Main: MainItem(tag); local_ = {}; break;
      case ItemType::Global: GlobalItem(tag, size, value); break;
      case ItemType::Local: LocalItem(tag, size, value); break;
      case ItemType::Reserved: Fail("reserved item type" + At()); break;
    }
  }

  void MainItem(uint8_t tag) {
    switch (tag) {
      case kInput: Field(kInputKind); break;
      case kOutput: Field(kOutputKind); break;
      case kFeature: Field(kFeatureKind); break;
      case kCollection: OpenCollection(); break;
      case kEndCollection:
        if (depth_ == 0) {
          Fail("End Collection without Collection" + At());
        } else {
          --depth_;
        }
        break;
      default: Fail("unknown main item" + At()); break;
    }
  }

  void OpenCollection() {
    if (depth_ >= kMaxDepth) {
      Fail("collections nested deeper than " + std::to_string(kMaxDepth) + At());
      stopped_ = true;
      return;
    }
    if (depth_ == 0) {
      HidCollectionCaps caps;
      const LocalUsage& u = local_.usage.present ? local_.usage : local_.usageMin;
      if (u.present) {
        caps.usagePage = u.hasPage ? static_cast<uint16_t>(u.value >> 16) : global_.usagePage;
        caps.usage = static_cast<uint16_t>(u.value & 0xFFFF);
      } else {
        caps.usagePage = global_.usagePage;
      }
      result_.collections.push_back(std::move(caps));
      sums_.emplace_back();
    }
    ++depth_;
  }

  void Field(ReportKind kind) {
    if (depth_ == 0) {
      Fail("main item outside any collection" + At());
      return;
    }
    if (global_.reportId == 0) mainWithoutId_ = true;
    uint64_t& bits = sums_.back().bits[kind][global_.reportId];
    // Both factors are below 2^32, so the product fits 64 bits; the sum saturates.
    const uint64_t add = uint64_t{global_.reportSize} * global_.reportCount;
    bits = std::min(kBitCap, bits + std::min(kBitCap, add));
  }

  void GlobalItem(uint8_t tag, size_t size, uint32_t value) {
    switch (tag) {
      case kUsagePage: global_.usagePage = static_cast<uint16_t>(value); break;
      case kLogicalMin: global_.logicalMin = Signed(size, value); break;
      case kLogicalMax: global_.logicalMax = Signed(size, value); break;
      case kReportSize: global_.reportSize = value; break;
      case kReportCount: global_.reportCount = value; break;
      case kReportId:
        if (value == 0 || value > 255) {
          Fail("invalid report id " + std::to_string(value) + At());
        } else {
          global_.reportId = value;
          usesIds_ = true;
        }
        break;
      case kPush:
        if (stack_.size() >= kMaxPush) {
          Fail("Push nested deeper than " + std::to_string(kMaxPush) + At());
        } else {
          stack_.push_back(global_);
        }
        break;
      case kPop:
        if (stack_.empty()) {
          Fail("Pop without Push" + At());
        } else {
          global_ = stack_.back();
          stack_.pop_back();
        }
        break;
      default: break;  // physical range, unit, unit exponent, reserved tags: not needed here
    }
  }

  void LocalItem(uint8_t tag, size_t size, uint32_t value) {
    const LocalUsage u{true, size == 4, value};
    switch (tag) {
      case kUsage:
        if (!local_.usage.present) local_.usage = u;
        break;
      case kUsageMin:
        if (!local_.usageMin.present) local_.usageMin = u;
        break;
      case kUsageMax: local_.usageMax = u; break;
      default: break;  // designators, strings, delimiters
    }
  }

  void Finish() {
    for (size_t i = 0; i < result_.collections.size(); ++i) {
      HidCollectionCaps& caps = result_.collections[i];
      std::vector<uint8_t>& ids = caps.reportIds;
      std::array<uint16_t*, 3> lens = {&caps.inputLen, &caps.outputLen, &caps.featureLen};
      for (size_t kind = 0; kind < 3; ++kind) {
        for (const auto& [id, bits] : sums_[i].bits[kind]) {
          *lens[kind] = std::max(*lens[kind], ToLength(bits));
          if (id != 0) ids.push_back(static_cast<uint8_t>(id));
        }
      }
      std::sort(ids.begin(), ids.end());
      ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    }
  }

  std::span<const uint8_t> data_;
  size_t offset_ = 0;
  bool stopped_ = false;
  int depth_ = 0;
  bool usesIds_ = false;
  bool mainWithoutId_ = false;
  GlobalState global_;
  LocalState local_;
  std::vector<GlobalState> stack_;
  std::vector<CollectionSums> sums_;  // parallel to result_.collections
  HidDescriptorResult result_;
};

}  // namespace

HidDescriptorResult ParseReportDescriptor(std::span<const uint8_t> descriptor) {
  return Parser(descriptor).Run();
}

}  // namespace varnel
