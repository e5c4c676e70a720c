#include "config/AppConfig.h"

#include <cstdio>
#include <string>

#include "config/DeviceModel.h"
#include "config/KbKeys.h"
#include "platform/IniFile.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/UiPort.h"

namespace varnel {

GVar gVar;
HwParam hwParam;

namespace {

constexpr const char* kOpt = "OPT";
constexpr const char* kError = "Error";

void KeyListDefault(GVar& g) {
  g.rcKeyList = Rect{552, g.rcMacroList.top, 792, g.rcMacroList.bottom};
}
void MacroOptXDefault(GVar& g) { g.nMacro_Opt_X = g.rcKeyList.right + 20; }

constexpr int64_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return MakeRgb(r, g, b); }

const OptKey kOptKeys[] = {
    // Identity, files and start-up
    {.key = "Debug", .field = &GVar::nDebug},
    {.key = "Title", .field = TextField{&GVar::szTitle, 39}},
    {.key = "UpateUrl", .field = TextField{&GVar::szUpateUrl, 99}},
    {.key = "Ver", .field = &GVar::nVer},
    {.key = "appdir", .field = TextField{&GVar::szAppdir, 29}},
    {.key = "FontName", .field = TextField{&GVar::szFontName, 29}, .defText = "MS Shell Dlg"},
    {.key = "FontSize", .field = ByteListField{&GVar::byFontSize}},
    // Devices and start-up behaviour
    {.key = "MsFw", .field = &GVar::nMsFw},
    {.key = "KbFw", .field = &GVar::nKbFw},
    {.key = "PadFw", .field = &GVar::nPadFw},
    {.key = "SubMsFw", .field = &GVar::nSubMsFw},
    {.key = "GoWithNoDev", .field = &GVar::nGoWithNoDev},
    {.key = "ExitOnPlugOut", .field = &GVar::nExitOnPlugOut, .defInt = 1},
    {.key = "Suwnd", .field = &GVar::nSuwnd},
    {.key = "ProfileNum", .field = &GVar::nProfileNum, .defInt = 3},
    {.key = "TrayIcon", .field = &GVar::nTrayIcon, .defInt = 2},
    {.key = "ShowSupport", .field = &GVar::bShowSupport},
    {.key = "ShowMusic", .field = &GVar::nShowMusic, .defInt = 1},
    // Look and layout
    {.key = "BtnTips", .field = &GVar::nBtnTips},
    {.key = "ApplyNow", .field = &GVar::nApplyNow},
    {.key = "FrameDebug", .field = &GVar::nFrameDebug},
    {.key = "PopWndTrans", .field = &GVar::nPopWndTrans, .defInt = 255},
    {.key = "ClrPopWndBkg", .field = &GVar::clrPopWndBkg, .defInt = Rgb(6, 6, 7)},
    {.key = "RGBBarDrop", .field = &GVar::nRGBBarDrop, .defInt = 1},
    {.key = "ProfileGpY", .field = &GVar::nProfileGpY, .defInt = 580},
    {.key = "NaviSpc", .field = &GVar::nNaviSpc, .defInt = 10},
    {.key = "ViewKeyNum", .field = &GVar::nViewKeyNum},
    {.key = "ptKeyMsDlg", .field = &GVar::ptKeyMsDlg, .defPoint = {790, 35}},
    {.key = "ptMsMarkDlg", .field = &GVar::ptMsMarkDlg, .defPoint = {290, 54}},
    {.key = "ptMinBtn", .field = &GVar::ptMinBtn, .defPoint = {991, 8}},
    {.key = "ptDpiDlg", .field = &GVar::ptDpiDlg, .defPoint = {743, 41}},
    {.key = "ptResetBtn", .field = &GVar::ptResetBtn, .defPoint = {813, 769}},
    {.key = "ptViewBtn", .field = &GVar::ptViewBtn, .defPoint = {0, 0}},
    {.key = "rcNavi", .field = &GVar::rcNavi, .defRect = {540, 22, 605, 77}},
    {.key = "rcSubDlg", .field = &GVar::rcSubDlg, .defRect = {0, 95, 1063, 760}},
    {.key = "rcHomePageBtn", .field = &GVar::rcHomePageBtn},
    {.key = "rcWeb", .field = &GVar::rcWeb, .defRect = {400, 773, 630, 793}},
    {.key = "rcWebFacebook", .field = &GVar::rcWebFacebook},
    {.key = "rcWebTwitter", .field = &GVar::rcWebTwitter},
    {.key = "rcDevStatusBtn", .field = &GVar::rcDevStatusBtn},
    // Colours
    {.key = "Txt_clr", .field = &GVar::clrTxt, .defInt = Rgb(200, 200, 200)},
    {.key = "Btn_txt_clr_nr", .field = &GVar::clrBtnTxtNr, .defInt = Rgb(200, 200, 200)},
    {.key = "Btn_txt_clr_ov", .field = &GVar::clrBtnTxtOv, .defInt = Rgb(255, 255, 255)},
    {.key = "Btn_txt_clr_dn", .field = &GVar::clrBtnTxtDn, .defInt = Rgb(67, 156, 200)},
    {.key = "Menu_txt_clr_nr", .field = &GVar::clrMenuTxtNr, .defInt = Rgb(200, 200, 200)},
    {.key = "Menu_txt_clr_ov", .field = &GVar::clrMenuTxtOv, .defInt = Rgb(255, 255, 255)},
    {.key = "Menu_txt_clr_dn", .field = &GVar::clrMenuTxtDn, .defInt = Rgb(67, 156, 200)},
    {.key = "LstBox_txt_clr_nr", .field = &GVar::clrLstBoxTxtNr, .defInt = Rgb(200, 200, 200)},
    {.key = "LstBox_txt_clr_dn", .field = &GVar::clrLstBoxTxtDn, .defInt = Rgb(0, 0, 0)},
    {.key = "LstBox_bkg_clr", .field = &GVar::clrLstBoxBkg},
    {.key = "LstBox_item_clr", .field = &GVar::clrLstBoxItem},
    {.key = "clrMask", .field = &GVar::clrMask},
    {.key = "clrBarNr", .field = &GVar::clrBarNr, .defInt = Rgb(98, 98, 98)},
    {.key = "clrBarOv", .field = &GVar::clrBarOv, .defInt = Rgb(4, 199, 255)},
    {.key = "clrPick", .field = ColourListField{&GVar::clrPick}},
    // Macro editor
    {.key = "MacroDir", .field = &GVar::nMacroDir},
    {.key = "MacroHasMsKey", .field = &GVar::nMacroHasMsKey},
    {.key = "ListTrans", .field = &GVar::nListTrans},
    {.key = "MacOperBtn", .field = &GVar::nMacOperBtn},
    {.key = "rcMacroList", .field = &GVar::rcMacroList, .defRect = {313, 80, 551, 557}},
    {.key = "rcKeyList", .field = &GVar::rcKeyList, .dynamicDefault = KeyListDefault},
    {.key = "Macro_Opt_X", .field = &GVar::nMacro_Opt_X, .dynamicDefault = MacroOptXDefault},
    {.key = "ShowMovingItem", .field = &GVar::nShowMovingItem, .defInt = 1},
    {.key = "AutoSaveMacro", .field = &GVar::nAutoSaveMacro, .defInt = 1},
    {.key = "ShowLoopUntilAnyKey", .field = &GVar::nShowLoopUntilAnyKey},
    {.key = "MacroBufferNum", .field = &GVar::nMacroBufferNum},
    {.key = "MacProtocol", .field = &GVar::nMacProtocol},
    {.key = "Mid", .field = &GVar::nMid},
    {.key = "ComboRec", .field = &GVar::nComboRec, .defInt = 1},
};

constexpr std::array<uint8_t, 3> kDefaultFontSize{14, 20, 24};
constexpr std::array<COLORREF, kPickColours> kDefaultPick{
    MakeRgb(255, 0, 0),   MakeRgb(255, 255, 0), MakeRgb(0, 255, 0),     MakeRgb(0, 0, 255),
    MakeRgb(0, 255, 255), MakeRgb(255, 0, 255), MakeRgb(255, 255, 255), MakeRgb(255, 128, 0)};

// Reads one key of [OPT] into gVar with its default and checks.
struct OptReader {
  const IniFile& cfg;
  const OptKey& k;

  void operator()(int32_t GVar::*f) const {
    if (k.dynamicDefault) k.dynamicDefault(gVar);
    const int32_t def = k.dynamicDefault ? gVar.*f : static_cast<int32_t>(k.defInt);
    gVar.*f = static_cast<int32_t>(cfg.GetInt(kOpt, k.key, def));
  }
  void operator()(uint16_t GVar::*f) const {
    gVar.*f = static_cast<uint16_t>(cfg.GetInt(kOpt, k.key, static_cast<int32_t>(k.defInt)));
  }
  void operator()(const TextField& t) const {
    gVar.*(t.field) = cfg.GetString(kOpt, k.key, k.defText, t.maxChars + 1);
  }
  void operator()(const ByteListField& b) const {
    auto& out = gVar.*(b.field);
    out = kDefaultFontSize;
    const auto v = ParseNumberList(cfg.GetString(kOpt, k.key, ""), 10, out.size());
    for (size_t i = 0; i < v.size(); ++i) {
      const auto byte = static_cast<uint8_t>(v[i]);
      if (byte != 0) out[i] = byte;
    }
  }
  void operator()(COLORREF GVar::*f) const {
    gVar.*f = static_cast<COLORREF>(k.defInt);
    if (const auto c = ParseColour(cfg.GetString(kOpt, k.key, ""))) gVar.*f = *c;
  }
  void operator()(const ColourListField& l) const {
    auto& out = gVar.*(l.field);
    out = kDefaultPick;
    gVar.nPickNum = 0;
    const ColourList list = ParseColourList(cfg.GetString(kOpt, k.key, ""), out.size());
    if (list.count == 0) return;
    out.fill(0);
    for (size_t i = 0; i < list.colours.size(); ++i) out[i] = list.colours[i];
    gVar.nPickNum = static_cast<int32_t>(list.count);
  }
  void operator()(Point GVar::*f) const {
    gVar.*f = k.defPoint;
    const std::string text = cfg.GetString(kOpt, k.key, "");
    if (text.empty()) return;
    if (const auto p = ParsePoint(text))
      gVar.*f = *p;
    else
      Ui().ShowMessage("Wrong POINT num", kError);
  }
  void operator()(Rect GVar::*f) const {
    if (k.dynamicDefault)
      k.dynamicDefault(gVar);
    else
      gVar.*f = k.defRect;
    const std::string text = cfg.GetString(kOpt, k.key, "");
    if (text.empty()) return;
    if (const auto r = ParseRect(text))
      gVar.*f = *r;
    else
      Ui().ShowMessage("Wrong rect num", kError);
  }
};

void AfterKey(const OptKey& k, const std::filesystem::path& desktopDir) {
  const std::string_view key = k.key;
  if (key == "Ver") {
    InstallLogBackend(gVar.nDebug, desktopDir);
  } else if (key == "appdir") {
    if (gVar.szAppdir.empty()) Ui().ShowMessage("APPDATA=NULL", kError);
  } else if (key == "SubMsFw") {
    gVar.bCombo = (gVar.nMsFw != 0) + (gVar.nKbFw != 0) + (gVar.nPadFw != 0) >= 2;
  } else if (key == "MacProtocol") {
    if (gVar.nMacProtocol != 1 && gVar.nMacProtocol != 2)
      Ui().ShowMessage("Macro Protocol is unknown", kError);
  }
}

// One list of "name,folder" entries; false when an entry was malformed (its message shown).
bool LoadNamedList(const IniFile& cfg, const char* pattern,
                   std::array<NamedFolder, kMaxListEntries>& list, int32_t& count) {
  count = 0;
  for (size_t i = 1; i <= kMaxListEntries; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, pattern, static_cast<int>(i));
    const std::string value = cfg.GetString(kOpt, key, "", 260);
    if (value.empty()) break;
    const size_t comma = value.find(',');
    if (comma == std::string::npos || comma + 1 >= value.size()) {
      char msg[40];
      std::snprintf(msg, sizeof msg, pattern, static_cast<int>(i));
      Ui().ShowMessage(std::string(msg) + " is invalidate", kError);
      return false;
    }
    list[i - 1].szName = TruncateChars(std::string_view(value).substr(0, comma), 29);
    list[i - 1].szFolder = TruncateChars(std::string_view(value).substr(comma + 1), 29);
    count = static_cast<int32_t>(i);
  }
  return true;
}

}  // namespace

std::span<const OptKey> OptKeys() { return kOptKeys; }

std::filesystem::path CfgIniPath() { return ResolvePath(gVar.appDir, "cfg.ini"); }
std::filesystem::path LangIniPath() { return ResolvePath(gVar.dataDir, "lang.ini"); }

int LoadCfg(const std::filesystem::path& appDir, const std::filesystem::path& desktopDir) {
  const IniFile cfg = IniFile::Load(ResolvePath(appDir, "cfg.ini"));
  return LoadCfg(cfg, appDir, desktopDir);
}

int LoadCfg(const IniFile& cfg, const std::filesystem::path& appDir,
            const std::filesystem::path& desktopDir) {
  gVar = GVar{};
  gVar.appDir = appDir;
  for (const OptKey& k : kOptKeys) {
    std::visit(OptReader{cfg, k}, k.field);
    AfterKey(k, desktopDir);
  }
  if (gVar.nMsFw != 0) LoadMsCfg(cfg);
  if (gVar.nKbFw != 0) LoadKbCfg(cfg);
  if (gVar.nPadFw != 0) LoadPadCfg(cfg);
  return 1;
}

bool InitDataDir(const std::filesystem::path& dataDirOverride, bool create) {
  if (!dataDirOverride.empty())
    gVar.dataDir = dataDirOverride;
  else
    gVar.dataDir = ResolvePath(UserDataHome(), gVar.szAppdir);
  return !create || MakeSureFolderExists(gVar.dataDir);
}

void InitHwParam() {
  hwParam = HwParam{};
  hwParam.nMinDelay = 1;
  hwParam.nMacroBufferSize = 128;
  hwParam.nMaxLoop = 65535;
  if (gVar.nMsFw != 0) {
    hwParam.nMaxLoop = 255;
    if (gVar.nKbFw != 0) {
      hwParam.nMacroBufferNum = 64;
      hwParam.nMaxAction = 32;
      hwParam.nMaxDelay = 25627;
    } else {
      hwParam.nMacroBufferNum = 20;
      hwParam.nMacroBufferSize = 506;
      hwParam.nMaxAction = 168;
      hwParam.nMaxDelay = 4095;
    }
  } else {
    switch (gVar.nKbFw) {
      case 20:
      case 22:
      case 23:
        hwParam.nMacroBufferNum = 32;
        hwParam.nMaxAction = 60;
        hwParam.nMaxDelay = 65280;
        break;
      case 21:
        hwParam.nMacroBufferSize = 192;
        hwParam.nMacroBufferNum = 10;
        hwParam.nMaxAction = 64;
        hwParam.nMaxDelay = 20470;
        hwParam.nMaxLoop = 255;
        break;
      case 24:
        hwParam.nMaxDelay = 4095;
        hwParam.nMaxLoop = 255;
        hwParam.nMaxAction = 65535;
        hwParam.nMacroBufferSize = 65535;
        hwParam.nMacroBufferNum = 65535;
        break;
      default:
        break;
    }
  }
  if (gVar.nMacroBufferNum > 0) hwParam.nMacroBufferNum = gVar.nMacroBufferNum;
}

void InitDefaultKeys(const IniFile& cfg) {
  if (gVar.nMsFw != 0) InitMouseKeyTables();
  if (gVar.nKbFw != 0) LoadFnKeys(cfg);
  if (gVar.nKbFw != 0 && (gVar.nKbFw < 20 || gVar.nKbFw > 24))
    Ui().ShowMessage("Wrong KbFw Value", kError);
  InitHwParam();
}

void LoadLangSkinList() { LoadLangSkinList(IniFile::Load(CfgIniPath())); }

void LoadLangSkinList(const IniFile& cfg) {
  gVar.nSkinsNum = gVar.nSkinsIndex = gVar.nLangNum = gVar.nLangIndex = 0;
  gVar.Skins = {};
  gVar.Langs = {};
  if (!LoadNamedList(cfg, "Skins%d", gVar.Skins, gVar.nSkinsNum)) return;
  const IniFile lang = IniFile::Load(LangIniPath());
  const auto skinsIndex = static_cast<int32_t>(lang.GetInt(kOpt, "SkinsIndex", 0));
  gVar.nSkinsIndex = skinsIndex;
  if (gVar.nSkinsNum > 0 && (skinsIndex < 0 || skinsIndex >= gVar.nSkinsNum)) {
    Ui().ShowMessage("SkinsIndex is invalidate", kError);
  }
  // An index outside the list is never used to read an entry: fall back to the first.
  if (skinsIndex < 0 || skinsIndex >= gVar.nSkinsNum) gVar.nSkinsIndex = 0;
  if (!LoadNamedList(cfg, "Lang%d", gVar.Langs, gVar.nLangNum)) return;
  const auto langIndex = static_cast<int32_t>(lang.GetInt(kOpt, "LangIndex", 0));
  gVar.nLangIndex = (langIndex < 0 || langIndex >= gVar.nLangNum) ? 0 : langIndex;
}

bool SaveLangCfg(const char* key, int32_t value) {
  return WriteProfileString(LangIniPath(), kOpt, key, std::to_string(value));
}

std::filesystem::path LangTextPath() {
  if (gVar.nLangNum <= 0) return ResolvePath(gVar.appDir, "text.xml");
  return ResolvePath(gVar.appDir, gVar.Langs[static_cast<size_t>(gVar.nLangIndex)].szFolder +
                                      "\\text.xml");
}

std::filesystem::path SettingsLangTextPath(int32_t langIndex) {
  if (langIndex < 0 || langIndex >= gVar.nLangNum) langIndex = 0;
  if (gVar.nLangNum <= 0) return ResolvePath(gVar.appDir, "text.xml");
  return ResolvePath(gVar.appDir, "Text\\" + gVar.Langs[static_cast<size_t>(langIndex)].szFolder +
                                      "\\text.xml");
}

std::filesystem::path SkinDir() {
  if (gVar.nSkinsNum <= 0) return ResolvePath(gVar.appDir, "skins");
  return ResolvePath(gVar.appDir, gVar.Skins[static_cast<size_t>(gVar.nSkinsIndex)].szFolder);
}

}  // namespace varnel
