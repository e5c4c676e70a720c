#include "device/HidIfTable.h"

#include <algorithm>

namespace varnel {

HidIfEntry* HidIfTable::FirstFree() {
  for (auto& e : entries)
    if (e.IsFree()) return &e;
  return nullptr;
}

size_t HidIfTable::UsedCount() const {
  return static_cast<size_t>(
      std::count_if(entries.begin(), entries.end(), [](const HidIfEntry& e) { return !e.IsFree(); }));
}

bool HidIfFilter::Matches(const HidInterfaceInfo& info) const {
  if (TakesAll()) return true;
  if (info.vendorId != vendorId) return false;
  const int32_t pid = info.productId;
  if (pid == productId || pid == productId2) return true;
  return std::any_of(extraProductIds.begin(), extraProductIds.end(),
                     [pid](int32_t p) { return p != 0 && p == pid; });
}

int32_t GetReportId(const HidInterfaceInfo& info) {
  static constexpr HidReportKind kKinds[] = {HidReportKind::Feature, HidReportKind::Input,
                                             HidReportKind::Output};
  for (HidReportKind kind : kKinds) {
    for (bool button : {true, false}) {
      for (const HidCapability& cap : info.capabilities)
        if (cap.kind == kind && cap.isButton == button) return cap.reportId;
    }
  }
  if (info.capabilities.empty() && !info.reportIds.empty())
    return *std::min_element(info.reportIds.begin(), info.reportIds.end());
  return 0;
}

void EnumHidInterfaces(HidIfTable& table, const HidIfFilter& filter, HidBackend& backend) {
  for (const HidInterfaceInfo& info : backend.Enumerate()) {
    if (info.path.empty() || !filter.Matches(info)) continue;
    HidIfEntry* e = table.FirstFree();
    if (!e) return;  // table full: the rest is dropped
    e->path = info.path;
    e->reportId = GetReportId(info);
    e->inputLen = info.inputLen;
    e->outputLen = info.outputLen;
    e->featureLen = info.featureLen;
    e->usagePage = info.usagePage;
    e->usage = info.usage;
    e->vendorId = info.vendorId;
    e->productId = info.productId;
    e->versionNumber = info.versionNumber;
    e->interfaceNumber = info.interfaceNumber;
    e->productString = info.productString;
  }
}

HidIfTable EnumHidInterfaces(const HidIfFilter& filter, HidBackend& backend) {
  HidIfTable table;
  EnumHidInterfaces(table, filter, backend);
  return table;
}

}  // namespace varnel
