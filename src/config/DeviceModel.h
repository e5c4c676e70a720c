#pragma once
// Model records of the device sections [MS], [KB] and [PAD] of cfg.ini: one field per key, named
// after the key, with the key's default as the field's initial value.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/SensorTable.h"
#include "config/ValueFormats.h"

namespace varnel {

class IniFile;

constexpr size_t kMsLedEffects = 15;
constexpr size_t kKbLedEffects = 24;
constexpr size_t kKbKeys = 132;
constexpr size_t kGaoshouGroups = 10;

// One lighting effect of the mouse (72 bytes, as stored).
struct MsLedEffect {
  int32_t bEnable = 0;
  int32_t nKind = 0;  // how the LED page animates it
  int32_t nCode = 0;  // effect code sent to the device
  std::array<int32_t, 5> nParam{};
  std::array<COLORREF, 10> clr{};
  friend bool operator==(const MsLedEffect&, const MsLedEffect&) = default;
};
static_assert(sizeof(MsLedEffect) == 72);

// One lighting effect of the keyboard (72 bytes, as stored).
struct KbLedEffect {
  int32_t nCode = 0;   // effect code
  int32_t nIndex = 0;  // display number
  std::array<int32_t, 5> nParam{};
  std::array<COLORREF, 7> clr{};
  std::array<uint32_t, 4> dwReserved{};
  friend bool operator==(const KbLedEffect&, const KbLedEffect&) = default;
};
static_assert(sizeof(KbLedEffect) == 72);

// A fixed colour of mice that take colour numbers.
struct PickColorEntry {
  COLORREF clr = 0;
  int32_t nNum = 0;
  friend bool operator==(const PickColorEntry&, const PickColorEntry&) = default;
};

// [MS]: identity, pages and options, button menu, lighting.
struct MsModel {
  // Identity and device behaviour
  uint16_t wVid = 0x258A;
  std::array<uint16_t, 5> wPid{};   // PID: product ids on the cable
  std::array<uint16_t, 5> wPid2{};  // PID2: the receiver or alternate interface
  uint16_t nPop = 0;
  int32_t nPopByte1 = 0;
  int32_t nAutoSw = 0;
  int32_t nSingleMode = 0;
  int32_t nShowOnlyModeString = 0;
  int32_t nVerNeedToUpdate = 0;
  int32_t nPowerFw = 0;

  // Pages and options shown
  int32_t nShowDpiColor = 1;
  int32_t nDpiRGB = 1;
  int32_t nShowXY = 1;
  int32_t nApplyDpiForClick = 0;
  int32_t nDpiUILevels = 0;
  int32_t nHideDpiSw = 0;
  int32_t nShowUsbRate = 1;
  int32_t nSetUsbRateOnReset = 0;
  int32_t nShowLOD = 0;
  uint32_t dwLOD = 0x0A0206;
  int32_t nWirlessLOD = 1;
  int32_t nShowSys = 255;
  int32_t nShowPower = 1;
  int32_t nShowPowerValue = 0;
  int32_t nShowPowerGrid = 1;
  COLORREF clrPowerFrame = MakeRgb(84, 88, 91);
  COLORREF clrFull = MakeRgb(0, 255, 0);
  COLORREF clrLow = MakeRgb(255, 128, 0);
  int32_t nShowNoSleep = 0;
  Point ptSleep{648, 128};
  Point ptReportBar{0, 0};
  int32_t nLedOFFWhenMoving = 0;
  Point ptLedOFFWhenMoving{672, 102};
  int32_t nShowMotionSync = 0;
  Point ptMotionSync{0, 0};
  int32_t nMsMoveSpeed = 0;
  uint32_t dwEnhancePrecision = 0xFFFFFFFF;
  std::array<int32_t, 11> nPrecisionUI{};
  int32_t nPrecisionUINum = 0;
  Point ptLOD{648, 131};
  Point ptDebounce{648, 131};
  std::array<uint8_t, 16> byLODSet{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  std::array<uint8_t, 16> byLODVal{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  int32_t nLODSetNum = 16;
  std::array<uint8_t, 8> byLodUI{};
  std::array<uint8_t, 8> byLodHW{};
  int32_t nLodUINum = 0;
  int32_t nLodHWNum = 0;
  std::array<uint8_t, 12> byDebounceUi{};
  std::array<uint8_t, 12> byDebounceHw{};
  int32_t nDebounceNum = 0;  // values of DebounceUi
  int32_t nDefDebounce = 3;
  int32_t nModeSp = 0;
  uint32_t dwShowLED = 255;

  // Button menu
  int32_t nRgbSW = 1;
  int32_t nShowReportSw = 0;
  int32_t nShowKeySnip = 0;
  int32_t nShowPUBGMenu = 1;
  uint32_t dwShowEx = 0x10101;
  std::array<int32_t, 6> nExKey{};
  std::array<uint8_t, 28> bySnipMenu{};
  int32_t nShootSpeed = 1;
  int32_t nShootFudu = 1;
  int32_t nGunKeyRate = 25;  // default rate of gun keys: ShootSpeed when above 1
  std::array<COLORREF, 7> clrGunColor{MakeRgb(255, 0, 0),   MakeRgb(0, 0, 255),
                                      MakeRgb(0, 255, 0),   MakeRgb(0, 255, 255),
                                      MakeRgb(255, 0, 255), MakeRgb(255, 255, 0),
                                      MakeRgb(255, 255, 255)};
  std::array<uint8_t, 21> byGunValue{13, 40, 10, 11, 45, 10, 11, 41, 10, 11, 0,
                                     10, 12, 44, 10, 12, 0,  10, 8,  0,  8};
  COLORREF clrChijiBkg = MakeRgb(4, 106, 157);
  COLORREF clrDpiMark = MakeRgb(255, 0, 0);
  COLORREF clrDpiSelect = MakeRgb(255, 255, 255);

  // Lighting
  uint32_t dwLedMask = 0;
  int32_t nShowEffect = 0;
  int32_t nLedOffVal = 3;
  int32_t nApplyAllLed = 1;
  int32_t nShowReaction = 0;
  int32_t nShowOneStream = 0;
  std::array<uint8_t, 8> byColorfulSteadyIndex{0, 1, 2, 3, 4, 5, 6, 7};
  int32_t nDefEffect = 0;
  std::array<uint8_t, 8> byLightUI{1, 2, 3, 4};
  std::array<uint8_t, 8> byLightHW{1, 2, 3, 4};
  int32_t nLightNum = 4;
  int32_t nDefLight = 3;
  std::array<uint8_t, 8> bySpeedUI{1, 2, 3};
  std::array<uint8_t, 8> bySpeedHW{1, 2, 3};
  int32_t nSpeedNum = 3;
  int32_t nDefSpeed = 1;
  std::array<uint8_t, 3> byRGBIndex{0, 1, 2};
  std::array<uint8_t, 3> byDPIRGBIndex{0, 1, 2};
  std::array<COLORREF, 7> clrEffectTail{MakeRgb(255, 0, 0),    MakeRgb(0, 0, 255),
                                        MakeRgb(255, 255, 255), MakeRgb(0, 255, 0),
                                        MakeRgb(128, 0, 255),   MakeRgb(250, 3, 106),
                                        MakeRgb(250, 198, 3)};
  std::array<COLORREF, 8> clrPick{MakeRgb(255, 0, 0),   MakeRgb(255, 128, 0), MakeRgb(255, 255, 0),
                                  MakeRgb(0, 255, 0),   MakeRgb(0, 0, 255),   MakeRgb(0, 255, 255),
                                  MakeRgb(255, 0, 255), MakeRgb(255, 255, 255)};
  std::array<PickColorEntry, 15> PickColor{{{MakeRgb(255, 0, 0), 1},
                                            {MakeRgb(0, 255, 0), 2},
                                            {MakeRgb(0, 0, 255), 3},
                                            {MakeRgb(0, 255, 255), 4},
                                            {MakeRgb(255, 255, 0), 5},
                                            {MakeRgb(255, 0, 255), 6},
                                            {MakeRgb(255, 255, 255), 7}}};
  int32_t nPickColorNum = 7;
  std::array<MsLedEffect, kMsLedEffects> LedEft{};
};

// [KB] (and [OPT] Direct1 … Direct3).
struct KbModel {
  uint16_t wVid = 0;
  uint16_t wPid = 0;
  uint16_t wPid2 = 0;
  std::string szUSBString;  // at most 29 characters
  uint32_t dwLedMask = 0;
  uint32_t dwMusicMask = 0;
  uint32_t dwGameMask = 0;
  int32_t nVerNeedToUpdate = 0;
  int32_t nVerUpdate = 0;
  int32_t nUpdateForNoDev = 0;
  int32_t nForceUpdate = 0;
  int32_t nOldPsd = 0;
  uint32_t dwShowEffect = 0xFFFFFFFF;
  int32_t nHasFuncTy = 0;
  COLORREF clrKeyOv = 0;
  COLORREF clrKeyHasFunc = 0;
  std::array<uint8_t, 4> byGameGroupIndex{};
  Point ptLight, ptSpeed, ptDebounce;
  int32_t nDefDebounce = 3;
  int32_t nXKDirect = 1;
  uint32_t dwSpeedNum = 0x040104;
  uint32_t dwBriNum = 0x040104;
  std::array<uint8_t, 4> byKeyNotToSetColor{255, 255, 255, 255};
  int32_t nK916RGB = 1;
  uint32_t m_nKeyNotToSet = 0xFFFFFFFF;
  int32_t nRandomVal = 7;
  int32_t nTipForDevCfg = 0;
  int32_t nTipForWireless = 0;
  int32_t nWaitTm = 30;
  int32_t nFrameKey = 1;
  int32_t nRespireType = 0;
  int32_t nPaomaType = 0;
  int32_t nMinLightEffectOFF = 0;
  int32_t nKbLayout = 0;
  int32_t nKbDrawType = 0;
  int32_t bSyncKB = 1;
  int32_t nVkCustom = 0;
  uint8_t nMaxFnNum = 48;
  uint32_t dwDefSelectKey = 0xFFFFFFFF;
  std::array<uint8_t, 4> byColorfulEffect{};
  std::array<uint8_t, 5> byNeonSpeed{50, 40, 30, 20, 15};
  std::array<uint8_t, 11> bySleepTime{};
  int32_t nSleepTimeNum = 0;
  int32_t nWheelMode = 0;
  std::array<uint8_t, 4> byKnobIndex{};
  std::array<std::array<uint8_t, 3>, 3> byDirect{};  // [OPT] Direct1 … Direct3
  std::array<uint8_t, 8> byPsd{};
  std::array<uint8_t, 8> byPsd2{};
  Rect rcKB;  // left, top, right, bottom
  std::array<uint32_t, 20> dwDefLed{};
  // UnRectKey: outline of a key that is not a rectangle.
  int32_t nUnRectKey = -1;
  std::array<Point, 24> ptUnRect{};
  int32_t nUnRectPtNum = 0;
  uint8_t nLedModeSelectOffset = 4;
  uint8_t nEffectBase = 1;
  uint8_t nEffectOffset = 18;
  int32_t nEffectNum = 13;
  std::array<uint8_t, 3> byRGBIndex{2, 1, 0};
  std::array<uint8_t, 3> byGameRGBIndex{2, 1, 0};
  std::array<uint8_t, 50> byLEDParam{};  // 25 pairs
  uint8_t nDefCfg = 0;
  uint8_t nOurCfg = 0;
  uint8_t nDefLedIndex = 0;
  uint8_t nGaoshouIndex = 13;
  uint8_t nStartGp = 32;
  uint8_t nGaoshouAddr = 172;
  uint8_t nShowGaoshouGroup = 1;
  uint8_t nDefGaoshouGroup = 0;
  uint8_t nGaoshouGroupNum = 5;
  std::array<uint8_t, 2> byCustomGp{};
  std::array<uint8_t, 264> byPaomaVk{};
  COLORREF clrGaoshou = MakeRgb(255, 255, 255);
  std::array<std::array<uint8_t, kKbKeys>, kGaoshouGroups> byGaoshouKey{};
  std::array<std::array<uint8_t, kKbKeys>, kGaoshouGroups> byGaoshouKeyColor{};
  std::array<int32_t, kGaoshouGroups> nGaoshouKeyNum{};
  int32_t nGaoshouKeyGroups = 0;  // groups read from GaoshouKey1 …
  std::array<KbLedEffect, kKbLedEffects> LedEft{};
  int32_t nUIKeyNum = 0;  // keys in the keyboard layout
  int32_t nMaxEftKeyIndex = 0;
};

// [PAD].
struct PadModel {
  uint16_t wVid = 0;
  uint16_t wPid = 0;
  uint32_t dwShowEffect = 0;
  uint32_t dwLedMask = 0;
  std::array<uint8_t, 2> byPsd{};
  Point ptPadDlg{380, 60};
  std::array<uint32_t, 20> dwLedParam{};
  bool bLedParam = false;  // LedParam gave a record or parameters for new profiles
  Point ptEft1{66, 31};
  Point ptEft2{454, 304};
  int32_t nEftGridW = 18;
};

// Reading of the device sections, called by LoadCfg for the configured slots.
void LoadMsCfg(const IniFile& cfg);
void LoadKbCfg(const IniFile& cfg);
void LoadPadCfg(const IniFile& cfg);

// Default lighting records of the mouse for the MsFw family (records left zero for families
// without defaults) and of the keyboard.
std::array<MsLedEffect, kMsLedEffects> DefaultMsLedEffects(int32_t msFw, int32_t showReaction);
std::array<KbLedEffect, kKbLedEffects> DefaultKbLedEffects();

// The mouse's default key tables (with the user's keycfg.kyg), run by InitDefaultKeys when a
// mouse is configured. [KBKEY] and [FN] are read by LoadKbKeys and LoadFnKeys (config/KbKeys.h).
void InitMouseKeyTables();

}  // namespace varnel
