#pragma once
// The application configuration: section [OPT] of cfg.ini, the user's choices in lang.ini, the
// language and skin lists, the macro limits, and the order in which they are loaded. Everything
// lands in the one global record gVar, read-only once start-up is over.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <variant>

#include "config/DeviceModel.h"
#include "config/ValueFormats.h"

namespace varnel {

class IniFile;

// One entry of the language or skin list: display name and folder, each at most 29 characters.
struct NamedFolder {
  std::string szName;
  std::string szFolder;
};

constexpr size_t kMaxListEntries = 10;
constexpr size_t kPickColours = 8;

struct GVar {
  // Identity, files and start-up
  int32_t nDebug = 0;
  std::string szTitle;     // [OPT] Title (at most 39 characters)
  std::string szUpateUrl;  // at most 99
  int32_t nVer = 0;
  std::string szAppdir;    // at most 29
  std::string szFontName;  // at most 29
  std::array<uint8_t, 3> byFontSize{};

  // Devices and start-up behaviour
  int32_t nMsFw = 0;
  int32_t nKbFw = 0;
  int32_t nPadFw = 0;
  int32_t nSubMsFw = 0;
  int32_t nGoWithNoDev = 0;
  int32_t nExitOnPlugOut = 0;
  int32_t nSuwnd = 0;
  int32_t nProfileNum = 0;
  int32_t nTrayIcon = 0;
  int32_t bShowSupport = 0;
  int32_t nShowMusic = 0;

  // Look and layout
  int32_t nBtnTips = 0;
  int32_t nApplyNow = 0;
  int32_t nFrameDebug = 0;
  int32_t nPopWndTrans = 0;
  COLORREF clrPopWndBkg = 0;
  int32_t nRGBBarDrop = 0;
  int32_t nProfileGpY = 0;
  int32_t nNaviSpc = 0;
  int32_t nViewKeyNum = 0;  // as read; ViewKeyRows() gives the rows shown
  Point ptKeyMsDlg, ptMsMarkDlg, ptMinBtn, ptDpiDlg, ptResetBtn, ptViewBtn;
  Rect rcNavi, rcSubDlg, rcHomePageBtn, rcWeb, rcWebFacebook, rcWebTwitter, rcDevStatusBtn;

  // Colours
  COLORREF clrTxt = 0;
  COLORREF clrBtnTxtNr = 0, clrBtnTxtOv = 0, clrBtnTxtDn = 0;
  COLORREF clrMenuTxtNr = 0, clrMenuTxtOv = 0, clrMenuTxtDn = 0;
  COLORREF clrLstBoxTxtNr = 0, clrLstBoxTxtDn = 0;
  COLORREF clrLstBoxBkg = 0, clrLstBoxItem = 0;
  COLORREF clrMask = 0;
  COLORREF clrBarNr = 0, clrBarOv = 0;
  std::array<COLORREF, kPickColours> clrPick{};
  int32_t nPickNum = 0;  // colours counted in clrPick when the key gave them

  // Macro editor
  int32_t nMacroDir = 0;
  int32_t nMacroHasMsKey = 0;
  uint16_t nListTrans = 0;
  int32_t nMacOperBtn = 0;
  Rect rcMacroList, rcKeyList;
  int32_t nMacro_Opt_X = 0;
  int32_t nShowMovingItem = 0;
  int32_t nAutoSaveMacro = 0;
  int32_t nShowLoopUntilAnyKey = 0;
  int32_t nMacroBufferNum = 0;
  int32_t nMacProtocol = 0;
  int32_t nMid = 0;
  int32_t nComboRec = 0;

  // Derived and run-time values
  bool bCombo = false;           // two or more of MsFw, KbFw, PadFw configured
  std::string pszTitle;          // the effective window title
  int32_t nPlaySound = 0;        // run-time sound option of the settings page
  std::array<NamedFolder, kMaxListEntries> Langs{};
  int32_t nLangNum = 0;
  int32_t nLangIndex = 0;
  std::array<NamedFolder, kMaxListEntries> Skins{};
  int32_t nSkinsNum = 0;
  int32_t nSkinsIndex = 0;

  // Folders (application folder, per-user data folder)
  std::filesystem::path appDir;
  std::filesystem::path dataDir;

  // Device model sections
  MsModel Ms;
  KbModel Kb;
  PadModel Pad;
  std::array<uint8_t, 6> nPsd{};  // [MS] PSD: identification code of the mouse (4 bytes used)
  uint32_t dwCurSensor = 0;       // current sensor id
  std::array<SensorCfg, kSensorCfgNum> Sensors{};  // [SENSOR_1] … [SENSOR_9]
  SensorCfg* pSensorCfg = nullptr;  // the record of dwCurSensor in Sensors, or null
  uint8_t nColorIndex = 0;          // [KB] ColorIndex

  int32_t ViewKeyRows() const { return nViewKeyNum <= 0 ? 21 : nViewKeyNum; }
};

extern GVar gVar;

// Hardware macro limits, chosen from the firmware families and refined by the device.
struct HwParam {
  int32_t nMinDelay = 0;
  int32_t nMacroBufferSize = 0;
  int32_t nMacroBufferNum = 0;
  int32_t nMaxLoop = 0;
  int32_t nMaxDelay = 0;
  int32_t nMaxAction = 0;
};

extern HwParam hwParam;

// The keys of [OPT], in reading order, with their field, type and default. Loading, checking and
// the CLI's dump all walk this one table.
struct TextField {
  std::string GVar::*field;
  size_t maxChars;
};
struct ByteListField {
  std::array<uint8_t, 3> GVar::*field;
};
struct ColourListField {
  std::array<COLORREF, kPickColours> GVar::*field;
};
using OptField = std::variant<int32_t GVar::*, uint16_t GVar::*, TextField, ByteListField,
                              COLORREF GVar::*, ColourListField, Point GVar::*, Rect GVar::*>;

struct OptKey {
  const char* key;
  OptField field;
  // Default: integers, colours (COLORREF), points and rectangles use these; texts use defText.
  int64_t defInt = 0;
  const char* defText = "";
  Point defPoint{};
  Rect defRect{};
  // Default computed from keys read before this one (replaces the fixed default).
  void (*dynamicDefault)(GVar&) = nullptr;
};

std::span<const OptKey> OptKeys();

// Fills gVar from cfg.ini in appDir: zeroes it, reads [OPT] (installing the log back end right
// after Debug, Title, UpateUrl and Ver, on desktopDir), sets the combo flag, then reads the device
// sections of the configured slots. Returns 1; messages go through the UI port.
int LoadCfg(const std::filesystem::path& appDir, const std::filesystem::path& desktopDir);
int LoadCfg(const IniFile& cfg, const std::filesystem::path& appDir,
            const std::filesystem::path& desktopDir);

// The data folder: dataDirOverride when given, else $XDG_DATA_HOME/<appdir>/. Created when
// create is true. Stored in gVar.dataDir.
bool InitDataDir(const std::filesystem::path& dataDirOverride, bool create);

// Default key tables, Fn layer, KbFw check and the hwParam defaults.
void InitDefaultKeys(const IniFile& cfg);
void InitHwParam();

// Language and skin lists from cfg.ini and the chosen indexes from lang.ini.
void LoadLangSkinList(const IniFile& cfg);
void LoadLangSkinList();

// Writes one integer into [OPT] of lang.ini in the data folder.
bool SaveLangCfg(const char* key, int32_t value);

// The language file of the chosen language (start-up and main window rule).
std::filesystem::path LangTextPath();
// The language file for the settings page's choice: application folder + Text\ + folder.
std::filesystem::path SettingsLangTextPath(int32_t langIndex);
// The chosen skin's folder (application folder + skins\ when no skin is listed).
std::filesystem::path SkinDir();

std::filesystem::path CfgIniPath();   // application folder/cfg.ini
std::filesystem::path LangIniPath();  // data folder/lang.ini

}  // namespace varnel
