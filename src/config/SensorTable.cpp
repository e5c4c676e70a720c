#include "config/SensorTable.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "config/AppConfig.h"
#include "config/SensorKeys.h"
#include "platform/IniFile.h"
#include "platform/Log.h"
#include "platform/UiPort.h"

namespace varnel {

namespace {

constexpr const char* kWarning = "Warning";
constexpr const char* kError = "Error";
// Lists such as DPIVAL hold far more than the 255 characters of an ordinary value.
constexpr size_t kLongValue = 16384;

std::array<SensorSteps, kSensorTableSize> g_sensorSteps;

template <typename... Args>
std::string Format(const char* fmt, Args... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// A run of DPI values first, first + step, … up to last (a single value: first == last).
struct Run {
  uint32_t first;
  uint32_t last;
  uint32_t step;
};
constexpr Run One(uint32_t v) { return {v, v, 1}; }

void AddBuiltIn(size_t index, uint32_t sensor, uint32_t codeBase, std::initializer_list<Run> runs) {
  SensorSteps& e = g_sensorSteps[index];
  e.Clear();
  e.dwSensor = sensor;
  for (const Run& r : runs) {
    for (uint32_t dpi = r.first; dpi <= r.last; dpi += r.step) {
      if (!e.Add(dpi, static_cast<uint32_t>(e.nNum) + codeBase)) return;
    }
  }
}

std::vector<int32_t> List(const IniFile& cfg, std::string_view section, const char* key,
                          size_t maxCount, bool allowSign = false) {
  return ParseNumberList(cfg.GetString(section, key, "", kLongValue), 10, maxCount, allowSign);
}

uint32_t Alias(const std::vector<int32_t>& alias, uint32_t dpi) {
  for (size_t i = 0; i + 1 < alias.size(); i += 2) {
    if (static_cast<uint32_t>(alias[i]) == dpi) {
      return alias[i + 1] == -1 ? dpi : static_cast<uint32_t>(alias[i + 1]);
    }
  }
  return dpi;
}

// DPIVAL: pairs of DPI value and hardware code.
void StepsFromPairs(SensorSteps& steps, const std::vector<int32_t>& v) {
  if (v.size() % 2 != 0) Ui().ShowMessage("错误的DPIVAL项：值数量必须是2的倍数", kWarning);
  steps.Clear();
  for (size_t i = 0; i + 1 < v.size(); i += 2) {
    steps.Add(static_cast<uint32_t>(v[i]), static_cast<uint32_t>(v[i + 1]));
    LogPrint("%d = %d", v[i], v[i + 1]);
  }
}

// DPIRANGE: up to three segments of first DPI, last DPI, DPI step, first code, code step.
void StepsFromRanges(SensorSteps& steps, std::vector<int32_t> v, const std::vector<int32_t>& alias) {
  if (v.size() < 5) Ui().ShowMessage("Wrong DPIRANGE", kWarning);
  const size_t segments = v.size() > 10 ? 3 : v.size() > 5 ? 2 : 1;
  v.resize(15, 0);
  steps.Clear();
  int64_t nextCode = 0;
  int64_t firstHwStep = 0;
  for (size_t s = 0; s < segments; ++s) {
    const int64_t first = v[s * 5];
    const int64_t last = v[s * 5 + 1];
    const int64_t dpiStep = v[s * 5 + 2];
    int64_t code = v[s * 5 + 3];
    int64_t hwStep = v[s * 5 + 4];
    if (s == 0) {
      firstHwStep = hwStep;
      nextCode = code;
    } else {
      if (code == 0) code = nextCode;
      if (hwStep == 0) hwStep = firstHwStep;
    }
    for (int64_t dpi = first; dpi <= last; dpi += dpiStep) {
      if (!steps.Add(Alias(alias, static_cast<uint32_t>(dpi)), static_cast<uint32_t>(code))) return;
      code += hwStep;
      // A step that does not climb would repeat the first value up to the table's end.
      if (dpiStep <= 0) break;
    }
    nextCode = code;
  }
}

// DPISET with DPIHW (codes 1, 2, 3, … where DPIHW gives none).
void StepsFromSet(SensorSteps& steps, const std::vector<int32_t>& dpis,
                  const std::vector<int32_t>& codes) {
  if (!codes.empty() && codes.size() != dpis.size()) {
    Ui().ShowMessage(Format("DPISET Num(%d) != DPIHW Num(%d)", static_cast<int>(dpis.size()),
                            static_cast<int>(codes.size())),
                     kWarning);
  }
  steps.Clear();
  for (size_t i = 0; i < dpis.size(); ++i) {
    const uint32_t code = i < codes.size() ? static_cast<uint32_t>(codes[i])
                                           : static_cast<uint32_t>(i + 1);
    steps.Add(static_cast<uint32_t>(dpis[i]), code);
  }
}

void LoadDpiSteps(const IniFile& cfg, std::string_view section, SensorSteps& steps) {
  const auto dpival = List(cfg, section, "DPIVAL", 1200);
  if (!dpival.empty()) {
    StepsFromPairs(steps, dpival);
    return;
  }
  const auto range = List(cfg, section, "DPIRANGE", 15);
  if (!range.empty()) {
    StepsFromRanges(steps, range, List(cfg, section, "DPIRANGEALIAS", 600, true));
    return;
  }
  const auto set = List(cfg, section, "DPISET", kMaxSensorSteps);
  if (!set.empty()) StepsFromSet(steps, set, List(cfg, section, "DPIHW", kMaxSensorSteps));
}

}  // namespace

SensorKeyContext SensorKeyContextFromMs(const MsModel& ms) {
  SensorKeyContext context;
  for (size_t i = 0; i < context.exKey.size(); ++i) {
    context.exKey[i] = static_cast<uint32_t>(ms.nExKey[i]);
  }
  context.gunValue = ms.byGunValue;
  context.shootSpeed = ms.nShootSpeed;
  context.gunColor = ms.clrGunColor;
  return context;
}

void SensorSteps::Clear() {
  nNum = 0;
  wDpi.fill(0);
  wHw.fill(0);
}

bool SensorSteps::Add(uint32_t dpi, uint32_t code) {
  if (nNum < 0 || static_cast<size_t>(nNum) >= kMaxSensorSteps) return false;
  wDpi[static_cast<size_t>(nNum)] = static_cast<uint16_t>(dpi);
  wHw[static_cast<size_t>(nNum)] = static_cast<uint16_t>(code);
  ++nNum;
  return true;
}

void BuildSensorTables() {
  AddBuiltIn(0, 0x3050, 1,
             {One(500), One(750), One(1000), One(1250), One(1500), One(1750), One(2000),
              One(2500), One(3000), One(3500), One(4000)});
  AddBuiltIn(1, 0x5050, 1,
             {One(500), One(750), One(1000), One(1250), One(1375), One(1500), One(1750),
              One(2000), One(2500), One(2750)});
  AddBuiltIn(2, 0x9800, 1,
             {{500, 4000, 250}, One(4500), One(5000), One(6000), One(7000), One(8200),
              One(16400)});
  AddBuiltIn(3, 0x3310, 1, {{50, 5000, 50}});
  AddBuiltIn(4, 0x3212, 1,
             {One(500), One(750), One(1000), One(1200), One(1600), One(2000), One(2400),
              One(3000), One(3200), One(3500), One(4000), One(4500), One(5000), One(5500),
              One(6000), One(7200)});
  AddBuiltIn(5, 0x3320, 1,
             {{500, 3500, 250}, One(4000), One(4500), One(5000), One(6000), One(7000)});
  AddBuiltIn(6, 0x3325, 1, {{200, 5000, 100}, {5500, 10000, 500}});
  AddBuiltIn(7, 0x3330, 1,
             {{500, 3500, 250}, One(4000), One(4500), One(5000), One(6000), One(7200),
              One(14400)});
  AddBuiltIn(8, 0x3360, 1,
             {One(500), One(800), One(1000), One(1200), One(1600), One(2000), One(2500),
              One(2800), One(3000), One(3200), One(3500), One(4000), One(4500), One(5000),
              One(6000), One(7000), One(8000), One(9000), One(10000), One(12000), One(24000)});
  AddBuiltIn(9, 0x3610, 1,
             {One(400), One(800), One(1000), One(1200), One(1600), One(2000), One(2400),
              One(2800), One(3000), One(3200), One(4000), One(4800), One(5600), One(6400)});
  AddBuiltIn(10, 0x7350, 1,
             {One(600), One(800), One(1000), One(1200), One(1600), One(2000), One(2400),
              One(3200)});
  AddBuiltIn(11, 0x3327, 1, {{200, 6200, 100}, {6500, 12000, 500}, One(12400)});
  AddBuiltIn(12, 0x3606, 0,
             {One(400), One(800), One(1200), One(1700), One(2100), One(2500), One(3000),
              One(3400), One(4200), One(5000), One(6000), One(6800)});
  AddBuiltIn(13, 0x3389, 1, {{100, 16000, 100}, {17000, 26000, 1000}});
  AddBuiltIn(14, 0x3104, 1, {{250, 4000, 250}, {4500, 8000, 500}});
  AddBuiltIn(15, 0x3335, 0, {{100, 16000, 100}});
  AddBuiltIn(16, 0x3370, 0, {{100, 19000, 100}});
  AddBuiltIn(17, 0x3395, 0, {{100, 26000, 100}});
  AddBuiltIn(18, 0x3399, 0, {{50, 20000, 50}});
  AddBuiltIn(19, 0x3333, 1, {{200, 8000, 100}, {9000, 16000, 1000}});
  AddBuiltIn(20, 0x3311, 0, {{100, 11900, 100}, {12000, 24000, 1000}});
  AddBuiltIn(21, 0x8925, 1, {{100, 10000, 100}});
}

SensorSteps* FindSensorStepsMutable(uint32_t sensor) {
  for (SensorSteps& e : g_sensorSteps) {
    if (e.dwSensor == sensor && e.nNum > 0) return &e;
  }
  return nullptr;
}

const SensorSteps* FindSensorSteps(uint32_t sensor) { return FindSensorStepsMutable(sensor); }

std::span<const SensorSteps> SensorTables() { return g_sensorSteps; }

std::array<uint32_t, kDpiLevels> DefaultDpiLevels(uint32_t sensor) {
  auto levels = [](std::initializer_list<uint32_t> v) {
    std::array<uint32_t, kDpiLevels> out{};
    std::copy(v.begin(), v.end(), out.begin());
    return out;
  };
  switch (sensor) {
    case 0x3050:
    case 0x3104:
      return levels({750, 1000, 1500, 2000, 2500, 3000});
    case 0x5050:
      return levels({750, 1000, 1500, 2000, 2500, 2750});
    case 0x9800:
      return levels({1000, 1500, 2000, 3000, 5000, 8200});
    case 0x3212:
      return levels({750, 1000, 1600, 2400, 3200, 7200});
    case 0x3320:
      return levels({750, 1000, 1500, 2000, 2500, 3500});
    case 0x3330:
      return levels({1000, 1500, 2000, 4000, 6000, 7200});
    case 0x3360:
      return levels({1000, 1600, 2000, 4000, 6000, 8000});
    case 0x3610:
      return levels({1000, 1600, 2000, 2400, 3000, 4000});
    case 0x3606:
      return levels({800, 1200, 2500, 3000, 4200, 5000, 6000});
    case 0x3311:
    case 0x3325:
    case 0x3327:
    case 0x3333:
    case 0x3335:
    case 0x3370:
    case 0x3389:
    case 0x3395:
    case 0x3399:
      return levels({1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000});
    default:
      return {};
  }
}

std::array<COLORREF, kDpiLevels> DefaultDpiColours() {
  return {0x0000FF, 0xFF0000, 0x00FF00, 0xFFFF00, 0xFF00FF, 0xFFFFFF, 0, 0, 0, 0};
}

int LoadSensorCfg(const IniFile& cfg, std::string_view section, SensorCfg& rec) {
  rec = SensorCfg{};
  const uint32_t sensor = cfg.GetInt(section, "Sensor", 0);
  if (sensor == 0) return 0;
  SensorSteps* steps = FindSensorStepsMutable(sensor);
  if (steps == nullptr) {
    // The record stays empty: without steps no DPI level of it could be shown or sent.
    Ui().ShowMessage(Format("Error, Sensor vaulue of %s section is 0x%x",
                            std::string(section).c_str(), sensor),
                     kError);
    return 0;
  }
  rec.Sensor = sensor;

  const auto psd = ParseNumberList(cfg.GetString(section, "PSD", ""), 16, rec.Psd.size());
  for (size_t i = 0; i < psd.size(); ++i) rec.Psd[i] = static_cast<uint8_t>(psd[i]);

  for (size_t i = 0; i < rec.RATE.size(); ++i) {
    const std::string key = "RATE" + std::to_string(i + 1);
    rec.RATE[i] = cfg.GetInt(section, key, static_cast<int32_t>(rec.RATE[i]));
  }
  rec.DR[0] = cfg.GetInt(section, "DR", 0x500);
  rec.DR[1] = cfg.GetInt(section, "DR_2", static_cast<int32_t>(rec.DR[0]));
  rec.DR[2] = cfg.GetInt(section, "DR_3", static_cast<int32_t>(rec.DR[0]));
  const uint32_t dm = cfg.GetInt(section, "DM", 6);
  // The level tables hold kDpiLevels entries; a larger count would run past them.
  rec.DM = static_cast<int32_t>(std::min<uint32_t>(dm, kDpiLevels));
  rec.DPIH = static_cast<int32_t>(cfg.GetInt(section, "DPIH", 14));
  rec.DEFLEVEL = cfg.GetInt(section, "DEFLEVEL", -1);

  LoadDpiSteps(cfg, section, *steps);

  const auto dpi = List(cfg, section, "DPI", kDpiLevels);
  if (dpi.size() == dm) {
    for (size_t i = 0; i < dpi.size(); ++i) rec.DPI[i] = static_cast<uint32_t>(dpi[i]);
  } else {
    if (!dpi.empty()) Ui().ShowMessage("DPI != DM.", kWarning);
    rec.DPI = DefaultDpiLevels(sensor);
  }
  const auto levels = static_cast<size_t>(rec.DM);
  for (size_t i = 0; i < levels; ++i) {
    const auto d = steps->Dpis();
    if (std::find(d.begin(), d.end(), rec.DPI[i]) == d.end()) {
      Ui().ShowMessage(Format("Wrong default dpi value: %d", static_cast<int>(rec.DPI[i])),
                       kWarning);
    }
  }

  rec.DC = DefaultDpiColours();
  const auto dc = List(cfg, section, "DC", kDpiLevels * 3 + 1);
  if (dc.size() == levels * 3) {
    for (size_t i = 0; i < levels; ++i) {
      rec.DC[i] = MakeRgb(static_cast<uint32_t>(dc[i * 3]), static_cast<uint32_t>(dc[i * 3 + 1]),
                          static_cast<uint32_t>(dc[i * 3 + 2]));
    }
  }

  rec.KEYH = static_cast<int32_t>(cfg.GetInt(section, "KEYH", 6));
  rec.MOUSEX = static_cast<int32_t>(cfg.GetInt(section, "MOUSEX", 360));
  rec.MOUSEY = static_cast<int32_t>(cfg.GetInt(section, "MOUSEY", 50));
  rec.KeyMask = cfg.GetInt(section, "KeyMask", 0);
  switch (cfg.GetInt(section, "MDNUM", 9)) {
    case 3:
      rec.nModeNum = 1;
      break;
    case 6:
      rec.nModeNum = 2;
      break;
    case 9:
      rec.nModeNum = 3;
      break;
    default:
      return 0;
  }
  rec.KEYY = static_cast<int32_t>(cfg.GetInt(section, "KEYY", 10));
  const uint32_t km = cfg.GetInt(section, "KM", 14);
  if (km % 2 != 0 || km / 2 < 1 || km / 2 > kSensorKeys) return 0;
  rec.nKeyNum = static_cast<int32_t>(km / 2);

  // Key lines K<i>_<m>.
  const SensorKeyContext context = SensorKeyContextFromMs(gVar.Ms);
  for (size_t m = 0; m < kSensorModes; ++m) {
    MsKeyTable table{};
    const SensorKeysResult read =
        ParseSensorKeys(cfg, section, static_cast<int>(m + 1), table, context);
    if (read.customValue) rec.customValue = read.customValue;
    if (read.count > 0) {
      if (read.count < rec.nKeyNum) Ui().ShowMessage("Key num to small", kError);
      rec.Keys[m] = table;
      rec.nModeKeys[m] = read.count;
    } else if (m > 0) {
      rec.Keys[m] = rec.Keys[0];
      rec.nModeKeys[m] = rec.nModeKeys[0];
    }
  }

  for (size_t i = 0; i < kSensorMarks; ++i) {
    const std::string text = cfg.GetString(section, "Mark" + std::to_string(i + 1), "");
    if (text.empty()) break;
    rec.nMarkNum = static_cast<int32_t>(i + 1);
    const auto r = ParseRect(text);
    if (!r) {
      Ui().ShowMessage("Mark value error", kError);
      continue;
    }
    rec.Mark[i] = Rect{r->left, r->top, r->left + r->right, r->top + r->bottom};
  }
  return 1;
}

SensorCfg* FindSensorCfg(uint32_t sensor) {
  if (sensor == 0) return nullptr;
  for (SensorCfg& rec : gVar.Sensors) {
    if (rec.Sensor == sensor) return &rec;
  }
  return nullptr;
}

void LoadSensorList(const IniFile& cfg) {
  for (size_t n = 0; n < kSensorCfgNum; ++n) {
    LoadSensorCfg(cfg, "SENSOR_" + std::to_string(n + 1), gVar.Sensors[n]);
  }
  gVar.pSensorCfg = FindSensorCfg(gVar.dwCurSensor);
  if (gVar.pSensorCfg == nullptr) Ui().ShowMessage("pSensorCfg is null", kWarning);
}

void set_cur_sensor(uint32_t sensor) {
  gVar.dwCurSensor = sensor;
  gVar.pSensorCfg = FindSensorCfg(sensor);
  if (gVar.pSensorCfg == nullptr) {
    Ui().ShowMessage(Format("set_cur_sensor:  pSensorCfg=null for 0x%04x", sensor), kError);
  }
}

std::string ReportRateText(uint32_t rate) { return Format("%x Hz", rate); }

}  // namespace varnel
