#include "config/SensorKeys.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "config/AppConfig.h"
#include "config/ValueFormats.h"
#include "platform/Paths.h"
#include "platform/UiPort.h"

namespace varnel {

MsKeyTables g_defMsKEY{};

namespace {

constexpr const char* kError = "Error";
constexpr const char* kWarning = "Warning";
constexpr int kDefaultGunRate = 25;

// PUBG gun: a zero gun value or rate takes its default, the colour index picks the gun colour.
void FillGun(KeyItem& item, uint32_t extra, const SensorKeyContext& context) {
  uint32_t value = GunValueOf(extra);
  if (value == 0) {
    const uint32_t index = GunNumber(extra) * 3 + GunVariant(extra);
    // Gun numbers or variants beyond the configured 7 × 3 values have no default.
    if (index < context.gunValue.size()) value = context.gunValue[index];
  }
  uint32_t rate = GunRate(extra);
  if (rate == 0) {
    rate = context.shootSpeed > 1 ? static_cast<uint32_t>(context.shootSpeed) & 0xFF
                                  : kDefaultGunRate;
  }
  item.dwExtra = (extra & 0xFFFF) | (value << 16) | (rate << 24);
  const uint32_t colour = GunColourIndex(extra);
  item.clrGun = colour < context.gunColor.size() ? context.gunColor[colour] : 0;
}

}  // namespace

std::optional<SensorKey> ParseSensorKey(std::string_view text, const SensorKeyContext& context) {
  if (std::count(text.begin(), text.end(), ',') != 3) return std::nullopt;
  const std::vector<int32_t> v = ParseNumberList(text, 16, 4);
  if (v.size() != 4) return std::nullopt;
  const auto type = static_cast<uint32_t>(v[0]) & 0xFF;
  const auto code = static_cast<uint32_t>(v[1]);
  const auto extra = static_cast<uint32_t>(v[2]);

  SensorKey key;
  KeyItem& item = key.item;
  item.dwFunc = MakeKeyFunc(type, code & 0xFF);
  item.dwMatrixInx = static_cast<uint32_t>(v[3]) & 0xFF;
  const uint32_t data = code & 0xFF;

  switch (type) {
    case kFuncTypeKey:
      item.byKey = static_cast<uint8_t>(code & 0xFF);
      item.byKey2 = static_cast<uint8_t>((code >> 8) & 0xFF);
      item.dwFunc = kFuncComboKey;
      item.byModifier = static_cast<uint8_t>(extra & 0x0F);
      break;
    case kFuncTypeMacro:
    case kFuncTypeRecoil:
      item.dwFunc = MakeKeyFunc(type, 0);
      item.dwMacroID = extra;
      break;
    case kFuncTypeSpecial:
      if (data == kDataFire || data == kDataDpiLock || data == kDataKeySnipe) {
        item.dwExtra = extra;
      } else if (data == kDataCustomKey) {
        item.dwExtra = extra;
        key.customValue = extra;
      } else if (data == kDataPubgGun) {
        FillGun(item, extra, context);
      }
      break;
    case kFuncTypeHw:
      if (data > 3) Ui().ShowMessage("Wrong FUN_HW Index", kError);
      item.dwExtra = extra;
      break;
    case kFuncTypeExKey:
      // Only the six configured values can be read; data 5 is read but still reported.
      if (data < context.exKey.size()) {
        item.dwExtra = context.exKey[data];
        if (item.dwExtra == 0) Ui().ShowMessage("UnSet ExKey Value", kError);
      }
      if (data > 4) Ui().ShowMessage("Wrong ExKey Index", kError);
      break;
    default:
      break;
  }
  return key;
}

SensorKeysResult ParseSensorKeys(const SectionKeyReader& read, int mode, MsKeyTable& table,
                                 const SensorKeyContext& context) {
  SensorKeysResult result;
  for (size_t i = 0; i < table.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "K%zu_%d", i + 1, mode);
    const std::optional<std::string> value = read(name);
    if (!value) continue;
    std::optional<SensorKey> key = ParseSensorKey(*value, context);
    if (!key) continue;
    table[i] = key->item;
    if (key->customValue) result.customValue = key->customValue;
    ++result.count;
  }
  return result;
}

std::unique_ptr<KeyCfgFile> ReadKeyCfg(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  auto file = std::make_unique<KeyCfgFile>();
  in.read(reinterpret_cast<char*>(file.get()), static_cast<std::streamsize>(kKeyCfgFileSize));
  if (in.gcount() != static_cast<std::streamsize>(kKeyCfgFileSize)) return nullptr;
  if (file->dwMagic != kKeyCfgMagic) return nullptr;
  return file;
}

MsKeyTables MakeDefMsKeys(const KeyCfgFile* keyCfg, const SensorKeyLayout* sensor,
                          int32_t viewKeyNum) {
  const SensorKeyLayout defaults;
  const SensorKeyLayout& layout = sensor != nullptr ? *sensor : defaults;
  MsKeyTables tables{};
  if (keyCfg != nullptr) {
    tables = keyCfg->msKeys;
  } else if (layout.tables != nullptr) {
    tables = *layout.tables;
  }

  const size_t rows = viewKeyNum < 1 ? kMsKeyCount : static_cast<size_t>(viewKeyNum);
  std::array<Rect, kMsKeyCount> rects{};
  for (size_t k = 0; k < kMsKeyCount; ++k) {
    if (k < rows) {
      const int32_t y = layout.keyY + static_cast<int32_t>(k) * (layout.keyH + 24);
      rects[k] = Rect{45, y, 250, y + 24};
    } else {
      rects[k] = rects[k - rows];
    }
  }

  for (size_t m = 0; m < kMsModeCount; ++m) {
    for (size_t k = 0; k < kMsKeyCount; ++k) {
      tables[m][k].rc = rects[k];
      if (layout.tables != nullptr) tables[m][k].dwMatrixInx = (*layout.tables)[m][k].dwMatrixInx;
    }
  }
  return tables;
}

void BuildDefMsKeys(const SensorKeyLayout* sensor, int32_t viewKeyNum,
                    const std::filesystem::path& dataDir) {
  // Without a data folder there is no user configuration to read.
  std::unique_ptr<KeyCfgFile> keyCfg;
  if (!dataDir.empty()) keyCfg = ReadKeyCfg(ResolvePath(dataDir, kKeyCfgFileName));
  g_defMsKEY = MakeDefMsKeys(keyCfg.get(), sensor, viewKeyNum);
  if (sensor == nullptr || sensor->tables == nullptr) return;
  for (size_t k = 0; k < kMsKeyCount; ++k) {
    if (g_defMsKEY[0][k].dwMatrixInx != g_defMsKEY[1][k].dwMatrixInx) {
      Ui().ShowMessage("Matrix index repeat", kWarning);
    }
  }
}

void BuildDefMsKeys(const SensorKeyLayout* sensor) {
  BuildDefMsKeys(sensor, gVar.nViewKeyNum, gVar.dataDir);
}

}  // namespace varnel
