// varnelctl keys: key names, key-name vocabulary, function texts and the button-function menu.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>
#include <vector>

#include "Commands.h"
#include "ModelJson.h"
#include "Session.h"
#include "config/AppConfig.h"
#include "config/KeyFuncName.h"
#include "config/KeyMenu.h"
#include "config/KeyNames.h"
#include "config/SensorKeys.h"
#include "config/SensorTable.h"

namespace varnel::cli {

using nlohmann::json;

namespace {

// A virtual-key code written in decimal or as 0x-hex, 0 … 255.
std::optional<uint32_t> ParseVk(const std::string& text) {
  int base = 10;
  std::string_view digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() || value > 255) {
    return std::nullopt;
  }
  return value;
}

// What naming takes from the loaded configuration: the current sensor's DPI steps.
KeyFuncNameSources ConfigSources() {
  KeyFuncNameSources sources = GetKeyFuncNameSources();
  sources.stepDpi = [](uint32_t step) -> std::optional<int32_t> {
    const SensorSteps* steps = FindSensorSteps(gVar.dwCurSensor);
    if (steps == nullptr || step < 1 || step > static_cast<uint32_t>(steps->nNum)) {
      return std::nullopt;
    }
    return steps->wDpi[step - 1];
  };
  return sources;
}

}  // namespace

int CmdKeysName(const GlobalOptions& g, const std::string& vkText, std::ostream& out,
                std::ostream& err) {
  const auto vk = ParseVk(vkText);
  if (!vk) {
    err << "varnelctl: not a virtual-key code (0 … 255, decimal or 0x-hex): " << vkText << "\n";
    return 2;
  }
  Session s(g);
  if (!s.Load(err)) return 1;
  out << KeyName(*vk) << "\n";
  return 0;
}

int CmdKeysVk(const std::string& name, std::ostream& out, std::ostream& err) {
  const auto vk = LookupKeyVocabulary(name);
  if (!vk) {
    err << "varnelctl: unknown key name: " << name << "\n";
    return 2;
  }
  out << static_cast<int>(*vk) << "\n";
  return 0;
}

int CmdKeysFunc(const GlobalOptions& g, const std::string& itemJson, std::ostream& out,
                std::ostream& err) {
  KeyItem item;
  try {
    item = KeyItemFromJson(json::parse(itemJson));
  } catch (const json::parse_error& e) {
    err << "varnelctl: the key item is not valid JSON: " << e.what() << "\n";
    return 2;
  } catch (const KeyItemJsonError& e) {
    err << "varnelctl: bad key item: " << e.what() << "\n";
    return 2;
  }
  Session s(g);
  if (!s.Load(err)) return 1;
  out << KeyFuncName(item, ConfigSources()) << "\n";
  return 0;
}

int CmdKeysMenu(const GlobalOptions& g, const KeyMenuOptions& o, std::ostream& out,
                std::ostream& err) {
  if (o.mode && (*o.mode < 0 || *o.mode > 2)) {
    err << "varnelctl: --mode must be 0, 1 or 2\n";
    return 2;
  }
  Session s(g);
  if (!s.Load(err)) return 1;

  const MsModel& ms = gVar.Ms;
  KeyMenuParams p;
  p.hasProfile = o.profile || o.mode.has_value();
  p.profileMode = o.mode.value_or(0);
  p.msFw = gVar.nMsFw;
  p.showPubgMenu = ms.nShowPUBGMenu != 0;
  p.showReportSw = ms.nShowReportSw != 0;
  p.rgbSw = ms.nRgbSW != 0;
  p.showKeySnip = ms.nShowKeySnip != 0;
  p.showEx = ms.dwShowEx;
  p.snipMenuOn = ms.bySnipMenu[0] != 0;
  const size_t snipCount = std::min<size_t>(ms.bySnipMenu[1], ms.bySnipMenu.size() - 2);
  p.snipSteps.assign(ms.bySnipMenu.begin() + 2, ms.bySnipMenu.begin() + 2 + snipCount);
  if (const SensorSteps* steps = FindSensorSteps(gVar.dwCurSensor)) {
    for (uint16_t dpi : steps->Dpis()) p.sensorStepDpi.push_back(dpi);
  }
  if (gVar.pSensorCfg != nullptr) p.customValue = gVar.pSensorCfg->customValue;
  std::vector<KeyItem> defKeys;
  for (const MsKeyTable& table : g_defMsKEY) defKeys.insert(defKeys.end(), table.begin(), table.end());
  p.defMsKeys = defKeys;

  out << KeyMenuJson(BuildKeyMenu(p)).dump(2) << "\n";
  return 0;
}

}  // namespace varnel::cli
