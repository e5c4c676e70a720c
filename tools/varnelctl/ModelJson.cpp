#include "ModelJson.h"

#include <cstdio>
#include <functional>
#include <limits>
#include <type_traits>
#include <vector>

#include "config/AppConfig.h"
#include "config/DeviceModel.h"
#include "config/SensorTable.h"

namespace varnel::cli {

using nlohmann::json;

namespace {

// ---- Values --------------------------------------------------------------------------------

template <typename T>
  requires std::is_arithmetic_v<T>
json Val(T v) {
  return v;
}
json Val(const std::string& s) { return s; }
json Val(const Point& p) { return json::array({p.x, p.y}); }
json Val(const Rect& r) { return json::array({r.left, r.top, r.right, r.bottom}); }
json Colour(COLORREF c) { return json::array({RedOf(c), GreenOf(c), BlueOf(c)}); }
json Val(const MsLedEffect& e);
json Val(const KbLedEffect& e);

template <typename T, size_t N>
json Val(const std::array<T, N>& a) {
  json out = json::array();
  for (const T& v : a) out.push_back(Val(v));
  return out;
}

template <size_t N>
json Colours(const std::array<COLORREF, N>& a, size_t count = N) {
  json out = json::array();
  for (size_t i = 0; i < count && i < N; ++i) out.push_back(Colour(a[i]));
  return out;
}

template <typename T, size_t N>
json Counted(const std::array<T, N>& a, int32_t count) {
  json out = json::array();
  for (size_t i = 0; i < N && static_cast<int64_t>(i) < count; ++i) out.push_back(Val(a[i]));
  return out;
}

json Val(const MsLedEffect& e) {
  return {{"bEnable", e.bEnable}, {"nKind", e.nKind}, {"nCode", e.nCode},
          {"nParam", Val(e.nParam)}, {"clr", Colours(e.clr)}};
}
json Val(const KbLedEffect& e) {
  return {{"nIndex", e.nIndex}, {"nCode", e.nCode}, {"nParam", Val(e.nParam)},
          {"clr", Colours(e.clr)}};
}

// ---- Key tables of the model sections -------------------------------------------------------

// One INI key and how its value is shown.
template <typename M>
struct ModelKey {
  const char* key;
  std::function<json(const M&)> get;
};

template <typename M, typename T>
ModelKey<M> K(const char* key, T M::*field) {
  return {key, [field](const M& m) { return Val(m.*field); }};
}
template <typename M>
ModelKey<M> Clr(const char* key, COLORREF M::*field) {
  return {key, [field](const M& m) { return Colour(m.*field); }};
}
template <typename M, size_t N>
ModelKey<M> Clrs(const char* key, std::array<COLORREF, N> M::*field) {
  return {key, [field](const M& m) { return Colours(m.*field); }};
}
template <typename M, typename T, size_t N>
ModelKey<M> Cnt(const char* key, std::array<T, N> M::*field, int32_t M::*count) {
  return {key, [field, count](const M& m) { return Counted(m.*field, m.*count); }};
}

template <typename M>
json Dump(const std::vector<ModelKey<M>>& keys, const M& model) {
  json out = json::object();
  for (const ModelKey<M>& k : keys) out[k.key] = k.get(model);
  return out;
}

const std::vector<ModelKey<MsModel>>& MsKeys() {
  using M = MsModel;
  static const std::vector<ModelKey<M>> keys = [] {
    std::vector<ModelKey<M>> v = {
        K("VID", &M::wVid), K("PID", &M::wPid), K("PID2", &M::wPid2), K("Pop", &M::nPop),
        K("PopByte1", &M::nPopByte1), K("AutoSw", &M::nAutoSw), K("SingleMode", &M::nSingleMode),
        K("ShowOnlyModeString", &M::nShowOnlyModeString),
        K("VerNeedToUpdate", &M::nVerNeedToUpdate), K("PowerFw", &M::nPowerFw),
        {"PSD", [](const M&) { return Counted(gVar.nPsd, 4); }},
        {"Sensor", [](const M&) { return json(gVar.dwCurSensor); }},
        K("ShowDpiColor", &M::nShowDpiColor), K("DpiRGB", &M::nDpiRGB), K("ShowXY", &M::nShowXY),
        K("ApplyDpiForClick", &M::nApplyDpiForClick), K("DpiUILevels", &M::nDpiUILevels),
        K("HideDpiSw", &M::nHideDpiSw), K("ShowUsbRate", &M::nShowUsbRate),
        K("SetUsbRateOnReset", &M::nSetUsbRateOnReset), K("ShowLOD", &M::nShowLOD),
        K("LOD", &M::dwLOD), K("WirlessLOD", &M::nWirlessLOD), K("ShowSys", &M::nShowSys),
        K("ShowPower", &M::nShowPower), K("ShowPowerValue", &M::nShowPowerValue),
        K("ShowPowerGrid", &M::nShowPowerGrid), Clr("clrPowerFrame", &M::clrPowerFrame),
        Clr("clrFull", &M::clrFull), Clr("clrLow", &M::clrLow),
        K("ShowNoSleep", &M::nShowNoSleep), K("ptSleep", &M::ptSleep),
        K("ptReportBar", &M::ptReportBar), K("LedOFFWhenMoving", &M::nLedOFFWhenMoving),
        K("ptLedOFFWhenMoving", &M::ptLedOFFWhenMoving), K("ShowMotionSync", &M::nShowMotionSync),
        K("ptMotionSync", &M::ptMotionSync), K("MsMoveSpeed", &M::nMsMoveSpeed),
        K("EnhancePrecision", &M::dwEnhancePrecision),
        Cnt("PrecisionUI", &M::nPrecisionUI, &M::nPrecisionUINum), K("ptLOD", &M::ptLOD),
        K("ptDebounce", &M::ptDebounce), Cnt("LODSet", &M::byLODSet, &M::nLODSetNum),
        Cnt("LODVal", &M::byLODVal, &M::nLODSetNum), Cnt("LodUI", &M::byLodUI, &M::nLodUINum),
        Cnt("LodHW", &M::byLodHW, &M::nLodHWNum),
        Cnt("DebounceUi", &M::byDebounceUi, &M::nDebounceNum),
        Cnt("DebounceHw", &M::byDebounceHw, &M::nDebounceNum),
        K("DefDebounce", &M::nDefDebounce), K("ModeSp", &M::nModeSp), K("ShowLED", &M::dwShowLED),
        K("RgbSW", &M::nRgbSW), K("ShowReportSw", &M::nShowReportSw),
        K("ShowKeySnip", &M::nShowKeySnip), K("ShowPUBGMenu", &M::nShowPUBGMenu),
        K("ShowEx", &M::dwShowEx)};
    static const char* const kExKeys[] = {"ExKey1", "ExKey2", "ExKey3",
                                          "ExKey4", "ExKey5", "ExKey6"};
    for (size_t i = 0; i < std::size(kExKeys); ++i) {
      v.push_back({kExKeys[i], [i](const M& m) { return json(m.nExKey[i]); }});
    }
    std::vector<ModelKey<M>> rest = {
        K("SnipMenu", &M::bySnipMenu), K("ShootSpeed", &M::nShootSpeed),
        K("ShootFudu", &M::nShootFudu), Clrs("GunColor", &M::clrGunColor),
        K("GunValue", &M::byGunValue), Clr("clrChijiBkg", &M::clrChijiBkg),
        Clr("clrDpiMark", &M::clrDpiMark), Clr("clrDpiSelect", &M::clrDpiSelect),
        K("LedMask", &M::dwLedMask), K("ShowEffect", &M::nShowEffect),
        K("LedOffVal", &M::nLedOffVal), K("ApplyAllLed", &M::nApplyAllLed),
        K("ShowReaction", &M::nShowReaction), K("ShowOneStream", &M::nShowOneStream),
        K("ColorfulSteadyIndex", &M::byColorfulSteadyIndex), K("DefEffect", &M::nDefEffect),
        Cnt("LightUI", &M::byLightUI, &M::nLightNum), Cnt("LightHW", &M::byLightHW, &M::nLightNum),
        K("DefLight", &M::nDefLight), Cnt("SpeedUI", &M::bySpeedUI, &M::nSpeedNum),
        Cnt("SpeedHW", &M::bySpeedHW, &M::nSpeedNum), K("DefSpeed", &M::nDefSpeed),
        K("RGBIndex", &M::byRGBIndex), K("DPIRGBIndex", &M::byDPIRGBIndex),
        Clrs("clrEffectTail", &M::clrEffectTail), Clrs("clrPick", &M::clrPick),
        {"PickColor",
         [](const M& m) {
           json out = json::array();
           for (int32_t i = 0; i < m.nPickColorNum && i < static_cast<int32_t>(m.PickColor.size());
                ++i) {
             const PickColorEntry& e = m.PickColor[static_cast<size_t>(i)];
             out.push_back({{"clr", Colour(e.clr)}, {"nNum", e.nNum}});
           }
           return out;
         }},
        K("LedOpt", &M::LedEft)};
    v.insert(v.end(), rest.begin(), rest.end());
    return v;
  }();
  return keys;
}

json GaoshouGroups(const KbModel& kb,
                   const std::array<std::array<uint8_t, kKbKeys>, kGaoshouGroups>& lists) {
  json out = json::array();
  for (int32_t g = 0; g < kb.nGaoshouKeyGroups && g < static_cast<int32_t>(kGaoshouGroups); ++g) {
    const auto n = static_cast<size_t>(g);
    out.push_back(Counted(lists[n], kb.nGaoshouKeyNum[n]));
  }
  return out;
}

const std::vector<ModelKey<KbModel>>& KbKeys() {
  using M = KbModel;
  static const std::vector<ModelKey<M>> keys = {
      K("VID", &M::wVid), K("PID", &M::wPid), K("PID2", &M::wPid2),
      K("USBString", &M::szUSBString), K("LedMask", &M::dwLedMask),
      K("MusicMask", &M::dwMusicMask), K("GameMask", &M::dwGameMask),
      K("VerNeedToUpdate", &M::nVerNeedToUpdate), K("VerUpdate", &M::nVerUpdate),
      K("UpdateForNoDev", &M::nUpdateForNoDev), K("ForceUpdate", &M::nForceUpdate),
      K("OldPsd", &M::nOldPsd), K("ShowEffect", &M::dwShowEffect), K("HasFuncTy", &M::nHasFuncTy),
      Clr("ClrKeyOv", &M::clrKeyOv), Clr("ClrKeyHasFunc", &M::clrKeyHasFunc),
      K("GameGroupIndex", &M::byGameGroupIndex), K("ptLight", &M::ptLight),
      K("ptSpeed", &M::ptSpeed), K("ptDebounce", &M::ptDebounce),
      K("DefDebounce", &M::nDefDebounce), K("XKDirect", &M::nXKDirect),
      K("SpeedNum", &M::dwSpeedNum), K("BriNum", &M::dwBriNum),
      K("KeyNotToSetColor", &M::byKeyNotToSetColor), K("K916RGB", &M::nK916RGB),
      K("KeyNotToSet", &M::m_nKeyNotToSet), K("RandomVal", &M::nRandomVal),
      K("TipForDevCfg", &M::nTipForDevCfg), K("TipForWireless", &M::nTipForWireless),
      K("WaitTm", &M::nWaitTm), K("FrameKey", &M::nFrameKey), K("RespireType", &M::nRespireType),
      K("PaomaType", &M::nPaomaType), K("MinLightEffectOFF", &M::nMinLightEffectOFF),
      K("KbLayout", &M::nKbLayout), K("KbDrawType", &M::nKbDrawType), K("SyncKB", &M::bSyncKB),
      K("VkCustom", &M::nVkCustom), K("MaxFnNum", &M::nMaxFnNum),
      K("DefSelectKey", &M::dwDefSelectKey), K("ColorfulEffect", &M::byColorfulEffect),
      K("NeonSpeed", &M::byNeonSpeed), Cnt("SleepTime", &M::bySleepTime, &M::nSleepTimeNum),
      K("WheelMode", &M::nWheelMode), K("KnobIndex", &M::byKnobIndex),
      K("Direct", &M::byDirect),  // [OPT] Direct1 … Direct3
      K("PSD", &M::byPsd), K("PSD2", &M::byPsd2), K("rcKB", &M::rcKB), K("DefLed", &M::dwDefLed),
      {"UnRectKey",
       [](const M& m) -> json {
         if (m.nUnRectKey < 0) return nullptr;
         json points = json::array();
         for (int32_t i = 0; i < m.nUnRectPtNum && i < static_cast<int32_t>(m.ptUnRect.size());
              ++i) {
           points.push_back(Val(m.ptUnRect[static_cast<size_t>(i)]));
         }
         return {{"key", m.nUnRectKey}, {"points", std::move(points)}};
       }},
      K("LedModeSelectOffset", &M::nLedModeSelectOffset), K("EffectBase", &M::nEffectBase),
      K("EffectOffset", &M::nEffectOffset), K("EffectNum", &M::nEffectNum),
      K("RGBIndex", &M::byRGBIndex), K("GameRGBIndex", &M::byGameRGBIndex),
      K("LEDParam", &M::byLEDParam), K("DefCfg", &M::nDefCfg), K("OurCfg", &M::nOurCfg),
      {"ColorIndex", [](const M&) { return json(gVar.nColorIndex); }},
      K("DefLedIndex", &M::nDefLedIndex), K("GaoshouIndex", &M::nGaoshouIndex),
      K("StartGp", &M::nStartGp), K("GaoshouAddr", &M::nGaoshouAddr),
      K("ShowGaoshouGroup", &M::nShowGaoshouGroup), K("DefGaoshouGroup", &M::nDefGaoshouGroup),
      K("GaoshouGroupNum", &M::nGaoshouGroupNum), K("CustomGp", &M::byCustomGp),
      K("PaomaVk", &M::byPaomaVk), Clr("clrGaoshou", &M::clrGaoshou),
      {"GaoshouKey", [](const M& m) { return GaoshouGroups(m, m.byGaoshouKey); }},
      {"GaoshouKeyColor", [](const M& m) { return GaoshouGroups(m, m.byGaoshouKeyColor); }},
      K("LedOpt", &M::LedEft), K("MaxEftKeyIndex", &M::nMaxEftKeyIndex),
      K("nUIKeyNum", &M::nUIKeyNum)};
  return keys;
}

const std::vector<ModelKey<PadModel>>& PadKeys() {
  using M = PadModel;
  static const std::vector<ModelKey<M>> keys = {
      K("VID", &M::wVid),           K("PID", &M::wPid),       K("ShowEffect", &M::dwShowEffect),
      K("LedMask", &M::dwLedMask),  K("PSD", &M::byPsd),      K("ptPadDlg", &M::ptPadDlg),
      K("LedParam", &M::dwLedParam), K("ptEft1", &M::ptEft1), K("ptEft2", &M::ptEft2),
      K("EftGridW", &M::nEftGridW)};
  return keys;
}

// ---- Key items ------------------------------------------------------------------------------

struct ItemField {
  const char* name;
  json (*get)(const KeyItem&);
  void (*set)(KeyItem&, const json&);
};

[[noreturn]] void Bad(const char* field, const char* what) {
  throw KeyItemJsonError(std::string(field) + ": " + what);
}

template <typename T>
T Number(const char* field, const json& v) {
  if (v.is_number_integer()) {
    if (v.is_number_unsigned()) {
      const auto u = v.get<uint64_t>();
      if (u > static_cast<uint64_t>(std::numeric_limits<T>::max())) Bad(field, "out of range");
      return static_cast<T>(u);
    }
    const auto i = v.get<int64_t>();
    if (i < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
        i > static_cast<int64_t>(std::numeric_limits<T>::max())) {
      Bad(field, "out of range");
    }
    return static_cast<T>(i);
  }
  // Function codes and other unsigned fields may be written as "0x…" hex strings.
  if (v.is_string() && std::is_unsigned_v<T>) {
    const std::string s = v.get<std::string>();
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
      size_t used = 0;
      unsigned long long u = 0;
      try {
        u = std::stoull(s.substr(2), &used, 16);
      } catch (const std::exception&) {
        Bad(field, "not a hex number");
      }
      if (used != s.size() - 2) Bad(field, "not a hex number");
      if (u > static_cast<unsigned long long>(std::numeric_limits<T>::max())) {
        Bad(field, "out of range");
      }
      return static_cast<T>(u);
    }
  }
  Bad(field, std::is_unsigned_v<T> ? "expected a number or a \"0x…\" hex string"
                                   : "expected a number");
}

template <auto Member>
json GetNum(const KeyItem& k) {
  return k.*Member;
}
template <auto Member>
json GetHex(const KeyItem& k) {
  return KeyFuncHex(k.*Member);
}
template <auto Member, const char* Name>
void SetNum(KeyItem& k, const json& v) {
  using T = std::remove_reference_t<decltype(k.*Member)>;
  k.*Member = Number<T>(Name, v);
}

json GetRect(const KeyItem& k) { return Val(k.rc); }
void SetRect(KeyItem& k, const json& v) {
  if (!v.is_array() || v.size() != 4) Bad("rc", "expected [left, top, right, bottom]");
  k.rc = Rect{Number<int32_t>("rc", v[0]), Number<int32_t>("rc", v[1]),
              Number<int32_t>("rc", v[2]), Number<int32_t>("rc", v[3])};
}
json GetGun(const KeyItem& k) { return Colour(k.clrGun); }
void SetGun(KeyItem& k, const json& v) {
  if (v.is_array()) {
    if (v.size() != 3) Bad("clrGun", "expected [r, g, b]");
    k.clrGun = MakeRgb(Number<uint8_t>("clrGun", v[0]), Number<uint8_t>("clrGun", v[1]),
                       Number<uint8_t>("clrGun", v[2]));
    return;
  }
  k.clrGun = Number<uint32_t>("clrGun", v);
}

constexpr char kDwFunc[] = "dwFunc";
constexpr char kDwMatrixInx[] = "dwMatrixInx";
constexpr char kDwMacroID[] = "dwMacroID";
constexpr char kByModifier[] = "byModifier";
constexpr char kByKey[] = "byKey";
constexpr char kByKey2[] = "byKey2";
constexpr char kByUserSet[] = "byUserSet";
constexpr char kDwExtra[] = "dwExtra";
constexpr char kNFnInx[] = "nFnInx";
constexpr char kDwFnFunc[] = "dwFnFunc";
constexpr char kByFnModifier[] = "byFnModifier";
constexpr char kByFnKey[] = "byFnKey";
constexpr char kDwFnExtra[] = "dwFnExtra";
constexpr char kDwLedInx[] = "dwLedInx";

#define VARNEL_NUM_FIELD(name, member) \
  ItemField { name, &GetNum<&KeyItem::member>, &SetNum<&KeyItem::member, name> }
#define VARNEL_HEX_FIELD(name, member) \
  ItemField { name, &GetHex<&KeyItem::member>, &SetNum<&KeyItem::member, name> }

// The record's fields in their order.
const ItemField kItemFields[] = {
    VARNEL_HEX_FIELD(kDwFunc, dwFunc),
    {"rc", &GetRect, &SetRect},
    VARNEL_NUM_FIELD(kDwMatrixInx, dwMatrixInx),
    VARNEL_NUM_FIELD(kDwMacroID, dwMacroID),
    VARNEL_NUM_FIELD(kByModifier, byModifier),
    VARNEL_NUM_FIELD(kByKey, byKey),
    VARNEL_NUM_FIELD(kByKey2, byKey2),
    VARNEL_NUM_FIELD(kByUserSet, byUserSet),
    VARNEL_NUM_FIELD(kDwExtra, dwExtra),
    VARNEL_NUM_FIELD(kNFnInx, nFnInx),
    VARNEL_HEX_FIELD(kDwFnFunc, dwFnFunc),
    VARNEL_NUM_FIELD(kByFnModifier, byFnModifier),
    VARNEL_NUM_FIELD(kByFnKey, byFnKey),
    VARNEL_NUM_FIELD(kDwFnExtra, dwFnExtra),
    VARNEL_NUM_FIELD(kDwLedInx, dwLedInx),
    {"clrGun", &GetGun, &SetGun},
};

#undef VARNEL_NUM_FIELD
#undef VARNEL_HEX_FIELD

json SensorJson(const SensorCfg& s) {
  json keys = json::array();
  for (const MsKeyTable& table : s.Keys) keys.push_back(KeyTableJson(table));
  json marks = json::array();
  for (int32_t i = 0; i < s.nMarkNum && i < static_cast<int32_t>(s.Mark.size()); ++i) {
    marks.push_back(Val(s.Mark[static_cast<size_t>(i)]));
  }
  const auto levels = static_cast<size_t>(s.DM);
  json j = {{"Sensor", s.Sensor},
            {"DM", s.DM},
            {"DEFLEVEL", s.DEFLEVEL},
            {"DPI", Counted(s.DPI, s.DM)},
            {"DC", Colours(s.DC, levels)},
            {"DPIH", s.DPIH},
            {"MDNUM", s.nModeNum * 3},
            {"KM", s.nKeyNum * 2},
            {"KEYY", s.KEYY},
            {"KEYH", s.KEYH},
            {"MOUSEX", s.MOUSEX},
            {"MOUSEY", s.MOUSEY},
            {"KeyMask", s.KeyMask},
            {"PSD", Val(s.Psd)}};
  for (size_t i = 0; i < s.RATE.size(); ++i) j["RATE" + std::to_string(i + 1)] = s.RATE[i];
  j["DR"] = s.DR[0];
  j["DR_2"] = s.DR[1];
  j["DR_3"] = s.DR[2];
  j["nModeKeys"] = Val(s.nModeKeys);
  j["customValue"] = s.customValue ? json(*s.customValue) : json(nullptr);
  j["keys"] = std::move(keys);
  j["marks"] = std::move(marks);
  return j;
}

}  // namespace

std::string KeyFuncHex(KeyFunc code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", code);
  return buf;
}

json KeyItemJson(const KeyItem& item) {
  json j = json::object();
  for (const ItemField& f : kItemFields) j[f.name] = f.get(item);
  return j;
}

json KeyTableJson(std::span<const KeyItem> items) {
  json a = json::array();
  for (const KeyItem& k : items) a.push_back(KeyItemJson(k));
  return a;
}

KeyItem KeyItemFromJson(const json& j) {
  if (!j.is_object()) throw KeyItemJsonError("a key item must be a JSON object");
  KeyItem item;
  for (const auto& [name, value] : j.items()) {
    const ItemField* field = nullptr;
    for (const ItemField& f : kItemFields) {
      if (name == f.name) field = &f;
    }
    if (field == nullptr) throw KeyItemJsonError("unknown field: " + name);
    field->set(item, value);
  }
  return item;
}

json MsJson() { return Dump(MsKeys(), gVar.Ms); }
json KbJson() { return Dump(KbKeys(), gVar.Kb); }
json PadJson() { return Dump(PadKeys(), gVar.Pad); }

json SensorsJson() {
  json a = json::array();
  for (const SensorCfg& s : gVar.Sensors) {
    if (s.Sensor != 0) a.push_back(SensorJson(s));
  }
  return a;
}

json KeyMenuJson(const std::vector<KeyMenuEntry>& menu) {
  json a = json::array();
  for (const KeyMenuEntry& e : menu) {
    json j = {{"code", KeyFuncHex(e.code)}, {"text", e.text}};
    if (!e.submenu.empty()) j["submenu"] = KeyMenuJson(e.submenu);
    a.push_back(std::move(j));
  }
  return a;
}

}  // namespace varnel::cli
