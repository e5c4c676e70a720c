#include "config/DeviceModel.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "config/AppConfig.h"
#include "config/KbKeys.h"
#include "config/SensorKeys.h"
#include "config/SensorTable.h"
#include "config/ValueFormats.h"
#include "platform/IniFile.h"
#include "platform/UiPort.h"

namespace varnel {

namespace {

constexpr const char* kWarning = "Warning";
constexpr const char* kError = "Error";
// Lists such as PaomaVk hold far more than the 255 characters of an ordinary value.
constexpr size_t kLongValue = 16384;

constexpr COLORREF kRed = MakeRgb(255, 0, 0);
constexpr COLORREF kGreen = MakeRgb(0, 255, 0);
constexpr COLORREF kBlue = MakeRgb(0, 0, 255);
constexpr COLORREF kYellow = MakeRgb(255, 255, 0);
constexpr COLORREF kCyan = MakeRgb(0, 255, 255);
constexpr COLORREF kMagenta = MakeRgb(255, 0, 255);
constexpr COLORREF kWhite = MakeRgb(255, 255, 255);

std::string Numbered(std::string_view key, size_t n) { return std::string(key) + std::to_string(n); }

// Reads the keys of one section with the value formats of the configuration files.
struct Section {
  const IniFile& cfg;
  std::string_view name;

  uint32_t U(std::string_view key, uint32_t def) const {
    return cfg.GetInt(name, key, static_cast<int32_t>(def));
  }
  int32_t I(std::string_view key, int32_t def) const {
    return static_cast<int32_t>(cfg.GetInt(name, key, def));
  }
  uint8_t B(std::string_view key, uint32_t def) const { return static_cast<uint8_t>(U(key, def)); }
  std::string S(std::string_view key, size_t bufferChars = kLongValue) const {
    return cfg.GetString(name, key, "", bufferChars);
  }
  std::vector<int32_t> Nums(std::string_view key, int base, size_t maxCount) const {
    return ParseNumberList(S(key), base, maxCount);
  }
  COLORREF Colour(std::string_view key, COLORREF def) const {
    const auto c = ParseColour(S(key));
    return c ? *c : def;
  }
  Point Pt(std::string_view key, Point def) const {
    const auto p = ParsePoint(S(key));
    return p ? *p : def;
  }
  // A list that yields at least one number replaces the whole array (the rest becomes 0); returns
  // the count read (0: the array keeps its defaults).
  template <typename T, size_t N>
  size_t Fill(std::string_view key, int base, std::array<T, N>& out) const {
    const auto v = Nums(key, base, N);
    if (v.empty()) return 0;
    out.fill(0);
    for (size_t i = 0; i < v.size(); ++i) out[i] = static_cast<T>(v[i]);
    return v.size();
  }
  // A colour list with at least one colour replaces the defaults.
  template <size_t N>
  void Colours(std::string_view key, std::array<COLORREF, N>& out) const {
    const ColourList list = ParseColourList(S(key), N);
    if (list.count == 0) return;
    out.fill(0);
    std::copy(list.colours.begin(), list.colours.end(), out.begin());
  }
};

template <size_t N>
std::array<COLORREF, N> ColoursFrom(const std::vector<int32_t>& v, size_t first) {
  std::array<COLORREF, N> out{};
  for (size_t i = 0; i < N; ++i) {
    const size_t at = first + i * 3;
    auto num = [&](size_t k) { return k < v.size() ? static_cast<uint32_t>(v[k]) : 0u; };
    out[i] = MakeRgb(num(at), num(at + 1), num(at + 2));
  }
  return out;
}

// A level count and its default level: the default must lie below the count.
void CheckDefaultLevel(int32_t& level, int32_t count, const char* message) {
  if (static_cast<uint32_t>(level) < static_cast<uint32_t>(count)) return;
  Ui().ShowMessage(message, kWarning);
  // An index past the levels would read beyond them; the highest level is the nearest valid one.
  level = count > 0 ? count - 1 : 0;
}

// Three positions of red, green and blue (each 0 … 2).
void ReadRgbIndex(const Section& s, std::string_view key, std::array<uint8_t, 3>& out,
                  const char* message) {
  const auto v = s.Nums(key, 16, 3);
  if (v.size() < 3) return;
  if (std::any_of(v.begin(), v.end(), [](int32_t x) { return x < 0 || x > 2; })) {
    Ui().ShowMessage(message, kWarning);
    return;
  }
  for (size_t i = 0; i < 3; ++i) out[i] = static_cast<uint8_t>(v[i]);
}

void ReadMsIdentity(const Section& s, MsModel& ms) {
  ms.wVid = static_cast<uint16_t>(s.U("VID", 9610));
  s.Fill("PID", 16, ms.wPid);
  s.Fill("PID2", 16, ms.wPid2);
  ms.nPop = static_cast<uint16_t>(s.U("Pop", 0));
  ms.nPopByte1 = s.I("PopByte1", 0);
  ms.nAutoSw = s.I("AutoSw", 0);
  ms.nSingleMode = s.I("SingleMode", 0);
  ms.nShowOnlyModeString = s.I("ShowOnlyModeString", 0);
  ms.nVerNeedToUpdate = s.I("VerNeedToUpdate", 0);
  ms.nPowerFw = s.I("PowerFw", 0);
  gVar.nPsd.fill(0);
  if (!s.S("PSD").empty()) {
    const auto psd = s.Nums("PSD", 16, 5);
    if (psd.size() != 4) {
      Ui().ShowMessage("Psd value error", kError);
    } else {
      for (size_t i = 0; i < 4; ++i) gVar.nPsd[i] = static_cast<uint8_t>(psd[i]);
    }
  }
  gVar.dwCurSensor = s.U("Sensor", 0x3050);
}

void ReadMsPages(const Section& s, MsModel& ms) {
  ms.nShowDpiColor = s.I("ShowDpiColor", 1);
  ms.nDpiRGB = s.I("DpiRGB", 1);
  ms.nShowXY = s.I("ShowXY", 1);
  ms.nApplyDpiForClick = s.I("ApplyDpiForClick", 0);
  ms.nDpiUILevels = s.I("DpiUILevels", 0);
  ms.nHideDpiSw = s.I("HideDpiSw", 0);
  ms.nShowUsbRate = s.I("ShowUsbRate", 1);
  ms.nSetUsbRateOnReset = s.I("SetUsbRateOnReset", 0);
  ms.nShowLOD = s.I("ShowLOD", 0);
  ms.dwLOD = s.U("LOD", 0x0A0206);
  ms.nWirlessLOD = s.I("WirlessLOD", 1);
  ms.nShowSys = s.I("ShowSys", 255);
  ms.nShowPower = s.I("ShowPower", 1);
  ms.nShowPowerValue = s.I("ShowPowerValue", 0);
  ms.nShowPowerGrid = s.I("ShowPowerGrid", 1);
  ms.clrPowerFrame = s.Colour("clrPowerFrame", MakeRgb(84, 88, 91));
  ms.clrFull = s.Colour("clrFull", MakeRgb(0, 255, 0));
  ms.clrLow = s.Colour("clrLow", MakeRgb(255, 128, 0));
  ms.nShowNoSleep = s.I("ShowNoSleep", 0);
  ms.ptSleep = s.Pt("ptSleep", {648, 128});
  ms.ptReportBar = s.Pt("ptReportBar", {0, 0});
  ms.nLedOFFWhenMoving = s.I("LedOFFWhenMoving", 0);
  ms.ptLedOFFWhenMoving = s.Pt("ptLedOFFWhenMoving", {672, 102});
  ms.nShowMotionSync = s.I("ShowMotionSync", 0);
  ms.ptMotionSync = s.Pt("ptMotionSync", {0, 0});
  ms.nMsMoveSpeed = s.I("MsMoveSpeed", 0);
  ms.dwEnhancePrecision = s.U("EnhancePrecision", 0xFFFFFFFF);
  ms.nPrecisionUINum = static_cast<int32_t>(s.Fill("PrecisionUI", 10, ms.nPrecisionUI));
  ms.ptLOD = s.Pt("ptLOD", {648, 131});
  ms.ptDebounce = s.Pt("ptDebounce", {648, 131});
  if (const size_t n = s.Fill("LODSet", 10, ms.byLODSet)) ms.nLODSetNum = static_cast<int32_t>(n);
  ms.byLODVal = ms.byLODSet;
  s.Fill("LODVal", 10, ms.byLODVal);
  // The level lists matter only to the level kind of lift-off setting.
  ms.nLodUINum = static_cast<int32_t>(s.Fill("LodUI", 16, ms.byLodUI));
  if (ms.nShowLOD == 1 && ms.nLodUINum == 0) Ui().ShowMessage("Wrong LodUI value", kWarning);
  ms.nLodHWNum = static_cast<int32_t>(s.Fill("LodHW", 16, ms.byLodHW));
  if (ms.nShowLOD == 1 && ms.nLodHWNum == 0) Ui().ShowMessage("Wrong LodHW value", kWarning);
  ms.nDebounceNum = static_cast<int32_t>(s.Fill("DebounceUi", 10, ms.byDebounceUi));
  if (ms.byDebounceUi[0] != 0) {
    s.Fill("DebounceHw", 10, ms.byDebounceHw);
    ms.nDefDebounce = s.I("DefDebounce", 3);
  }
  ms.nModeSp = s.I("ModeSp", 0);
  ms.dwShowLED = s.U("ShowLED", 255);
}

void ReadMsButtonMenu(const Section& s, MsModel& ms) {
  ms.nRgbSW = s.I("RgbSW", 1);
  ms.nShowReportSw = s.I("ShowReportSw", 0);
  ms.nShowKeySnip = s.I("ShowKeySnip", 0);
  ms.nShowPUBGMenu = s.I("ShowPUBGMenu", 1);
  ms.dwShowEx = s.U("ShowEx", 0x10101);
  for (size_t i = 0; i < ms.nExKey.size(); ++i) ms.nExKey[i] = s.I(Numbered("ExKey", i + 1), 0);
  s.Fill("SnipMenu", 10, ms.bySnipMenu);
  if (ms.bySnipMenu[1] > 15) {
    Ui().ShowMessage("Dpi lock menus > 15", kError);
    // The menu holds 15 DPI-lock entries; more would read past them.
    ms.bySnipMenu[1] = 15;
  }
  ms.nShootSpeed = s.I("ShootSpeed", 1);
  ms.nShootFudu = s.I("ShootFudu", 1);
  ms.nGunKeyRate = ms.nShootSpeed > 1 ? ms.nShootSpeed : 25;
  if ((gVar.nMsFw & 0xFF) > 15) {
    s.Colours("GunColor", ms.clrGunColor);
    if (!s.S("GunValue").empty()) {
      const auto v = s.Nums("GunValue", 10, ms.byGunValue.size() + 1);
      if (v.size() != ms.byGunValue.size()) {
        Ui().ShowMessage("GunValue number!=21", kError);
      } else {
        for (size_t i = 0; i < v.size(); ++i) ms.byGunValue[i] = static_cast<uint8_t>(v[i]);
      }
    }
  }
  ms.clrChijiBkg = s.Colour("clrChijiBkg", MakeRgb(4, 106, 157));
  ms.clrDpiMark = s.Colour("clrDpiMark", MakeRgb(255, 0, 0));
  ms.clrDpiSelect = s.Colour("clrDpiSelect", MakeRgb(255, 255, 255));
}

void ReadMsLighting(const Section& s, MsModel& ms) {
  ms.dwLedMask = s.U("LedMask", 0);
  ms.nShowEffect = s.I("ShowEffect", 0);
  ms.nLedOffVal = s.I("LedOffVal", 3);
  ms.nApplyAllLed = s.I("ApplyAllLed", 1);
  ms.nShowReaction = s.I("ShowReaction", 0);
  ms.nShowOneStream = s.I("ShowOneStream", 0);
  const auto steady = s.Nums("ColorfulSteadyIndex", 16, 8);
  if (steady.size() == 8) {
    for (size_t i = 0; i < 8; ++i) ms.byColorfulSteadyIndex[i] = static_cast<uint8_t>(steady[i]);
  } else if (!steady.empty()) {
    Ui().ShowMessage("Wrong ColorfulSteadyIndex value", kWarning);
  }
  ms.nDefEffect = s.I("DefEffect", 0);
  if (const size_t n = s.Fill("LightUI", 16, ms.byLightUI)) ms.nLightNum = static_cast<int32_t>(n);
  ms.byLightHW = ms.byLightUI;
  s.Fill("LightHW", 16, ms.byLightHW);
  ms.nDefLight = s.I("DefLight", 3);
  CheckDefaultLevel(ms.nDefLight, ms.nLightNum, "Wrong DefLight value");
  if (const size_t n = s.Fill("SpeedUI", 16, ms.bySpeedUI)) ms.nSpeedNum = static_cast<int32_t>(n);
  ms.bySpeedHW = ms.bySpeedUI;
  s.Fill("SpeedHW", 16, ms.bySpeedHW);
  ms.nDefSpeed = s.I("DefSpeed", 1);
  CheckDefaultLevel(ms.nDefSpeed, ms.nSpeedNum, "Wrong DefSpeed value");
  ReadRgbIndex(s, "RGBIndex", ms.byRGBIndex, "Wrong RGBIndex value");
  ReadRgbIndex(s, "DPIRGBIndex", ms.byDPIRGBIndex, "Wrong DPIRGBIndex value");
  if (ms.nShowEffect != 0) s.Colours("clrEffectTail", ms.clrEffectTail);
  s.Colours("clrPick", ms.clrPick);

  const auto pick = s.Nums("PickColor", 10, ms.PickColor.size() * 4);
  if (!pick.empty()) {
    ms.PickColor = {};
    ms.nPickColorNum = 0;
    for (size_t i = 0; i + 3 < pick.size(); i += 4) {
      const COLORREF c = MakeRgb(static_cast<uint32_t>(pick[i]), static_cast<uint32_t>(pick[i + 1]),
                                 static_cast<uint32_t>(pick[i + 2]));
      if (c == 0) break;
      ms.PickColor[static_cast<size_t>(ms.nPickColorNum++)] = {c, pick[i + 3]};
    }
  }

  ms.LedEft = DefaultMsLedEffects(gVar.nMsFw, ms.nShowReaction);
  for (size_t n = 0; n < kMsLedEffects; ++n) {
    const auto v = s.Nums(Numbered("LedOpt", n + 1), 10, 37);
    if (v.empty()) continue;
    std::vector<int32_t> b(v.size());
    std::transform(v.begin(), v.end(), b.begin(), [](int32_t x) { return x & 0xFF; });
    MsLedEffect& e = ms.LedEft[n];
    e.bEnable = 1;
    e.nCode = b[0];
    e.nKind = b.size() > 1 ? b[1] : 0;
    for (size_t p = 0; p < e.nParam.size(); ++p) e.nParam[p] = 2 + p < b.size() ? b[2 + p] : 0;
    if (b.size() > 7) e.clr = ColoursFrom<10>(b, 7);
  }
}

}  // namespace

std::array<MsLedEffect, kMsLedEffects> DefaultMsLedEffects(int32_t msFw, int32_t showReaction) {
  std::array<MsLedEffect, kMsLedEffects> out{};
  const int32_t nibble = msFw & 0xF;
  const bool familyA = (nibble == 2 || nibble == 4 || nibble == 5) && msFw < 256;
  const bool familyB = nibble == 3;
  if (!familyA && !familyB) return out;

  const int32_t b8 = familyB ? 8 : 0;
  const int32_t kinds[12] = {5, 1, 3, b8, 2, 0, 4, b8, 9, 0, 0, 0};
  const int32_t codes[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, familyB ? 11 : 0, 0};
  const std::array<int32_t, 5> params[12] = {
      {1, 0, 1, 0, 0}, {0, 1, 0, 0, 1}, {1, 0, 0, 0, 7}, {1, 0, 0, 0, 0},
      {1, 0, 0, 0, 0}, {0, 0, 0, 0, 6}, {0, 0, 0, 0, 2}, {1, 0, 0, 0, 0},
      {1, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {familyB ? 1 : 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

  const COLORREF last1 = familyA ? MakeRgb(0, 250, 250) : 0;
  const COLORREF last2 = familyA ? MakeRgb(0, 128, 250) : 0;
  const std::array<COLORREF, 10> common{kRed,
                                        kBlue,
                                        kGreen,
                                        MakeRgb(128, 0, 255),
                                        MakeRgb(250, 198, 3),
                                        MakeRgb(250, 3, 106),
                                        MakeRgb(250, 0, 250),
                                        kWhite,
                                        last1,
                                        last2};
  const std::array<COLORREF, 10> rec1{kMagenta, kRed,   kGreen, kBlue, kCyan,
                                      kYellow,  MakeRgb(250, 0, 250), kWhite, 0, kGreen};
  const std::array<COLORREF, 10> rec2{kRed, kGreen, kBlue, kCyan,  kYellow, MakeRgb(250, 0, 250),
                                      kWhite, 0,   kGreen, kMagenta};
  // The last two colours of record 5 and colours 3 … 7 of record 6 are not used by their effects.
  const std::array<COLORREF, 10> rec5{kRed,  kGreen, kBlue, kYellow, kCyan, kWhite,
                                      MakeRgb(250, 128, 0), kMagenta, 0, 0};
  const std::array<COLORREF, 10> rec6{kGreen, kMagenta, 0, 0, 0, 0, 0, kRed, kGreen, kBlue};

  const size_t count = familyB ? 12 : 11;
  for (size_t i = 0; i < count; ++i) {
    MsLedEffect& e = out[i];
    e.bEnable = 1;
    e.nKind = kinds[i];
    e.nCode = codes[i];
    e.nParam = params[i];
    e.clr = i == 1 ? rec1 : i == 2 ? rec2 : i == 5 ? rec5 : i == 6 ? rec6 : common;
  }
  if (familyB && showReaction == 2) out[9].nParam = {1, 0, 0, 1, 7};
  return out;
}

std::array<KbLedEffect, kKbLedEffects> DefaultKbLedEffects() {
  struct Def {
    int32_t index;
    int32_t code;
    std::array<int32_t, 5> param;
  };
  const Def defs[] = {{1, 5, {1, 1, 0, 1, 1}},   {2, 7, {1, 0, 0, 0, 0}},   {3, 17, {1, 1, 0, 1, 1}},
                      {4, 12, {1, 1, 0, 1, 1}},  {5, 1, {0, 1, 0, 1, 1}},   {6, 3, {1, 0, 0, 1, 1}},
                      {7, 2, {1, 0, 0, 0, 0}},   {8, 19, {1, 1, 0, 1, 1}},  {9, 15, {1, 1, 0, 1, 1}},
                      {10, 13, {1, 0, 0, 0, 0}}, {11, 20, {1, 1, 0, 1, 1}}, {12, 16, {1, 1, 0, 0, 0}},
                      {13, 18, {1, 1, 0, 1, 1}}};
  std::array<KbLedEffect, kKbLedEffects> out{};
  for (size_t i = 0; i < std::size(defs); ++i) {
    out[i].nIndex = defs[i].index;
    out[i].nCode = defs[i].code;
    out[i].nParam = defs[i].param;
    out[i].clr = {kRed, kBlue, kGreen, kYellow, kMagenta, kCyan, kWhite};
  }
  return out;
}

void LoadMsCfg(const IniFile& cfg) {
  const Section s{cfg, "MS"};
  MsModel& ms = gVar.Ms;
  ms = MsModel{};
  ReadMsIdentity(s, ms);
  ReadMsPages(s, ms);
  ReadMsButtonMenu(s, ms);
  ReadMsLighting(s, ms);
  LoadSensorList(cfg);
  set_cur_sensor(gVar.dwCurSensor);
}

void LoadKbCfg(const IniFile& cfg) {
  const Section s{cfg, "KB"};
  const int32_t kbFw = gVar.nKbFw;
  KbModel& kb = gVar.Kb;
  kb = KbModel{};
  kb.wVid = static_cast<uint16_t>(s.U("VID", 0));
  kb.wPid = static_cast<uint16_t>(s.U("PID", 0));
  kb.wPid2 = static_cast<uint16_t>(s.U("PID2", 0));
  kb.szUSBString = s.S("USBString", 30);
  kb.dwLedMask = s.U("LedMask", 0);
  kb.dwMusicMask = s.U("MusicMask", 0);
  kb.dwGameMask = s.U("GameMask", 0);
  kb.nVerNeedToUpdate = s.I("VerNeedToUpdate", 0);
  kb.nVerUpdate = s.I("VerUpdate", 0);
  kb.nUpdateForNoDev = s.I("UpdateForNoDev", 0);
  kb.nForceUpdate = s.I("ForceUpdate", 0);
  kb.nOldPsd = s.I("OldPsd", 0);
  kb.dwShowEffect = s.U("ShowEffect", 0xFFFFFFFF);
  kb.nHasFuncTy = s.I("HasFuncTy", 0);
  kb.clrKeyOv = s.Colour("ClrKeyOv", 0);
  kb.clrKeyHasFunc = s.Colour("ClrKeyHasFunc", 0);
  s.Fill("GameGroupIndex", 10, kb.byGameGroupIndex);
  kb.ptLight = s.Pt("ptLight", {});
  kb.ptSpeed = s.Pt("ptSpeed", {});
  kb.ptDebounce = s.Pt("ptDebounce", {});
  kb.nDefDebounce = s.I("DefDebounce", 3);
  kb.nXKDirect = s.I("XKDirect", 1);
  kb.dwSpeedNum = s.U("SpeedNum", 0);
  if (kb.dwSpeedNum == 0) kb.dwSpeedNum = kbFw == 21 ? 0x040005 : 0x040104;
  kb.dwBriNum = s.U("BriNum", 0);
  if (kb.dwBriNum == 0) kb.dwBriNum = kbFw == 21 ? 0x050006 : 0x040104;
  s.Fill("KeyNotToSetColor", 10, kb.byKeyNotToSetColor);
  kb.nK916RGB = s.I("K916RGB", 1);
  kb.m_nKeyNotToSet = s.U("KeyNotToSet", 0xFFFFFFFF);
  kb.nRandomVal = s.I("RandomVal", 7);
  kb.nTipForDevCfg = s.I("TipForDevCfg", 0);
  kb.nTipForWireless = s.I("TipForWireless", 0);
  kb.nWaitTm = s.I("WaitTm", 30);
  kb.nFrameKey = s.I("FrameKey", 1);
  kb.nRespireType = s.I("RespireType", 0);
  kb.nPaomaType = s.I("PaomaType", 0);
  kb.nMinLightEffectOFF = s.I("MinLightEffectOFF", 0);
  kb.nKbLayout = s.I("KbLayout", 0);
  kb.nKbDrawType = s.I("KbDrawType", 0);
  kb.bSyncKB = s.I("SyncKB", 1);
  kb.nVkCustom = s.I("VkCustom", 0);
  kb.nMaxFnNum = s.B("MaxFnNum", 48);
  kb.dwDefSelectKey = s.U("DefSelectKey", 0xFFFFFFFF);
  s.Fill("ColorfulEffect", 10, kb.byColorfulEffect);
  s.Fill("NeonSpeed", 10, kb.byNeonSpeed);
  kb.nSleepTimeNum = static_cast<int32_t>(s.Fill("SleepTime", 10, kb.bySleepTime));
  kb.nWheelMode = s.I("WheelMode", 0);
  s.Fill("KnobIndex", 10, kb.byKnobIndex);
  const Section opt{cfg, "OPT"};
  for (size_t i = 0; i < kb.byDirect.size(); ++i) opt.Fill(Numbered("Direct", i + 1), 10, kb.byDirect[i]);
  s.Fill("PSD", 16, kb.byPsd);
  s.Fill("PSD2", 16, kb.byPsd2);
  if (const auto r = ParseRect(s.S("rcKB"))) {
    kb.rcKB = Rect{r->left, r->top, r->left + r->right, r->top + r->bottom};
  }
  s.Fill("DefLed", 16, kb.dwDefLed);

  const auto outline = s.Nums("UnRectKey", 10, 50);
  if (outline.size() >= 9) {
    const size_t points = std::min((outline.size() - 1) / 2, kb.ptUnRect.size());
    std::array<Point, 24> pts{};
    for (size_t i = 0; i < points; ++i) pts[i] = Point{outline[1 + 2 * i], outline[2 + 2 * i]};
    if (pts[0] != pts[points - 1]) {
      Ui().ShowMessage("EnterPt[0]!=EnterPt[Last] ", kError);
    } else {
      kb.nUnRectKey = outline[0];
      kb.ptUnRect = pts;
      kb.nUnRectPtNum = static_cast<int32_t>(points);
    }
  }

  kb.nLedModeSelectOffset = s.B("LedModeSelectOffset", 4);
  kb.nEffectBase = s.B("EffectBase", 1);
  kb.nEffectOffset = s.B("EffectOffset", 18);
  if (kb.nEffectOffset > 60) {
    Ui().ShowMessage("Invalid nEffectOffset", kWarning);
    kb.nEffectOffset = 18;
  }
  kb.nEffectNum = s.I("EffectNum", 13);
  if (static_cast<uint32_t>(kb.nEffectNum) > 23) Ui().ShowMessage("Invalid nEffectNum", kWarning);

  // The three positions must be 0, 1 and 2 in some order; anything else would pick a colour byte
  // twice or one outside the three.
  auto rgbIndex = [&](std::string_view key, std::array<uint8_t, 3>& out, const char* message) {
    std::array<uint8_t, 3> v = out;
    s.Fill(key, 10, v);
    const bool inRange = std::all_of(v.begin(), v.end(), [](uint8_t x) { return x <= 2; });
    if (v[0] + v[1] + v[2] != 3 || !inRange) {
      Ui().ShowMessage(message, kWarning);
      return;
    }
    out = v;
  };
  rgbIndex("RGBIndex", kb.byRGBIndex, "R G B Index Error");
  rgbIndex("GameRGBIndex", kb.byGameRGBIndex, "clrGmKey RGB Index Error");

  if (s.Fill("LEDParam", 16, kb.byLEDParam) < 2) {
    for (size_t i = 0; i + 1 < kb.byLEDParam.size(); i += 2) {
      kb.byLEDParam[i] = 7;
      kb.byLEDParam[i + 1] = 53;
    }
  }
  kb.nDefCfg = s.B("DefCfg", 0);
  kb.nOurCfg = s.B("OurCfg", 0);
  gVar.nColorIndex = s.B("ColorIndex", 0);
  if (gVar.nColorIndex > 6) {
    Ui().ShowMessage("Invalid gVar.nColorIndex", kWarning);
    gVar.nColorIndex = 0;
  }
  kb.nDefLedIndex = s.B("DefLedIndex", 0);
  kb.nGaoshouIndex = s.B("GaoshouIndex", 255);
  if (kb.nGaoshouIndex == 255) kb.nGaoshouIndex = kbFw == 21 ? 18 : 13;
  kb.nStartGp = s.B("StartGp", 32);
  kb.nGaoshouAddr = s.B("GaoshouAddr", 172);
  kb.nShowGaoshouGroup = s.B("ShowGaoshouGroup", 1);
  kb.nDefGaoshouGroup = s.B("DefGaoshouGroup", 0);
  kb.nGaoshouGroupNum = s.B("GaoshouGroupNum", 255);
  if (kb.nGaoshouGroupNum == 255) kb.nGaoshouGroupNum = kbFw == 21 ? 2 : kbFw == 23 ? 10 : 5;
  if (kb.nGaoshouGroupNum > kGaoshouGroups) kb.nGaoshouGroupNum = kGaoshouGroups;
  s.Fill("CustomGp", 10, kb.byCustomGp);
  s.Fill("PaomaVk", 16, kb.byPaomaVk);
  kb.clrGaoshou = s.Colour("clrGaoshou", MakeRgb(255, 255, 255));
  for (size_t g = 0; g < kb.nGaoshouGroupNum; ++g) {
    const size_t n = s.Fill(Numbered("GaoshouKey", g + 1), 16, kb.byGaoshouKey[g]);
    if (n == 0) break;
    kb.nGaoshouKeyNum[g] = static_cast<int32_t>(n);
    kb.nGaoshouKeyGroups = static_cast<int32_t>(g + 1);
    s.Fill(Numbered("GaoshouKeyColor", g + 1), 16, kb.byGaoshouKeyColor[g]);
  }

  kb.LedEft = DefaultKbLedEffects();
  for (size_t n = 0; n < kKbLedEffects; ++n) {
    const auto v = s.Nums(Numbered("LedOpt", n + 1), 10, 31);
    if (v.empty()) continue;
    std::vector<int32_t> b(v.size());
    std::transform(v.begin(), v.end(), b.begin(), [](int32_t x) { return x & 0xFF; });
    KbLedEffect& e = kb.LedEft[n];
    e.nIndex = b[0];
    e.nCode = b.size() > 1 ? b[1] : 0;
    for (size_t p = 0; p < e.nParam.size(); ++p) e.nParam[p] = 2 + p < b.size() ? b[2 + p] : 0;
    if (b.size() > 7) e.clr = ColoursFrom<7>(b, 7);
  }

  kb.nUIKeyNum = LoadKbKeys(cfg);
  kb.nMaxEftKeyIndex = s.I("MaxEftKeyIndex", kb.nUIKeyNum);
}

void LoadPadCfg(const IniFile& cfg) {
  const Section s{cfg, "PAD"};
  PadModel& pad = gVar.Pad;
  pad = PadModel{};
  pad.wVid = static_cast<uint16_t>(s.U("VID", 0));
  pad.wPid = static_cast<uint16_t>(s.U("PID", 0));
  pad.dwShowEffect = s.U("ShowEffect", 0);
  pad.dwLedMask = s.U("LedMask", 0);
  s.Fill("PSD", 16, pad.byPsd);
  pad.ptPadDlg = s.Pt("ptPadDlg", {380, 60});
  s.Fill("LedParam", 16, pad.dwLedParam);
  pad.bLedParam = std::any_of(pad.dwLedParam.begin(), pad.dwLedParam.begin() + 4,
                              [](uint32_t v) { return v != 0; });
  pad.ptEft1 = s.Pt("ptEft1", {66, 31});
  pad.ptEft2 = s.Pt("ptEft2", {454, 304});
  pad.nEftGridW = s.I("EftGridW", 18);
}

void InitMouseKeyTables() {
  // The current sensor's tables and list layout; without a sensor record the tables come from
  // keycfg.kyg alone (or stay empty) on the default layout.
  const SensorCfg* sensor = gVar.pSensorCfg;
  if (sensor == nullptr) {
    BuildDefMsKeys(nullptr);
    return;
  }
  const SensorKeyLayout layout{&sensor->Keys, sensor->KEYY, sensor->KEYH};
  BuildDefMsKeys(&layout);
}

}  // namespace varnel
