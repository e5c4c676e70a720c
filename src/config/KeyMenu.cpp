#include "config/KeyMenu.h"

#include <algorithm>

#include "config/KeyFuncName.h"
#include "config/KeyNames.h"

namespace varnel {

namespace {

class MenuBuilder {
 public:
  explicit MenuBuilder(std::vector<KeyMenuEntry>& entries) : m_entries(entries) {}
  // An entry with the function table's text.
  void Add(KeyFunc code) { m_entries.push_back({code, KeyFuncCodeText(code), {}}); }
  // An entry left out when its text is empty.
  void AddIfText(KeyFunc code) {
    std::string text = KeyFuncCodeText(code);
    if (!text.empty()) m_entries.push_back({code, std::move(text), {}});
  }

 private:
  std::vector<KeyMenuEntry>& m_entries;
};

bool InDefaultKeys(std::span<const KeyItem> keys, KeyFunc code) {
  return std::any_of(keys.begin(), keys.end(), [code](const KeyItem& k) { return k.dwFunc == code; });
}

}  // namespace

std::vector<KeyMenuEntry> BuildKeyMenu(const KeyMenuParams& p) {
  std::vector<KeyMenuEntry> menu;
  MenuBuilder top(menu);

  for (KeyFunc code : {kFuncLeftClick, kFuncRightClick, kFuncMiddleClick, kFuncForward, kFuncBack,
                       kFuncWheelUp, kFuncWheelDown}) {
    top.Add(code);
  }
  top.AddIfText(kFuncTripleClick);

  if (p.hasProfile && (p.msFw & 0xFF) > 15 && p.profileMode == 1 && p.showPubgMenu) {
    top.Add(kFuncPubgMenuGun);
    top.Add(kFuncPubgMenuOption);
  }

  top.AddIfText(kFuncFire);
  top.Add(kFuncComboKey);
  if (InDefaultKeys(p.defMsKeys, kFuncLightOnOff)) top.AddIfText(kFuncLightOnOff);
  if (p.showReportSw && InDefaultKeys(p.defMsKeys, kFuncReportRateSwitch)) {
    top.Add(kFuncReportRateSwitch);
  }
  if (p.rgbSw && InDefaultKeys(p.defMsKeys, kFuncLightEffectSwitch)) {
    top.Add(kFuncLightEffectSwitch);
  }

  top.Add(kFuncMacro);
  if (p.customValue) top.AddIfText(kFuncCustomKey);
  top.Add(kFuncKeyOff);
  if (p.showKeySnip) top.Add(kFuncKeySnipe);

  if (p.hasProfile && p.profileMode >= 0 && p.profileMode < 4 &&
      ((p.showEx >> (8 * p.profileMode)) & 0xFF) != 0) {
    for (uint32_t n = 0; n <= 5; ++n) {
      std::string text = KeyText("tc_ex" + std::to_string(n + 1));
      if (text.empty()) break;
      menu.push_back({kFuncExKey + n, std::move(text), {}});
    }
  }

  KeyMenuEntry dpi{kFuncDpiMenu, KeyFuncCodeText(kFuncDpiMenu), {}};
  MenuBuilder dpiMenu(dpi.submenu);
  for (KeyFunc code : {kFuncDpiUp, kFuncDpiDown, kFuncDpiCycle}) dpiMenu.Add(code);
  if (p.snipMenuOn && !p.sensorStepDpi.empty()) {
    for (uint8_t step : p.snipSteps) {
      // Steps beyond the sensor's table have no DPI to show or set.
      if (step >= p.sensorStepDpi.size()) continue;
      dpi.submenu.push_back({DpiLockMenuCode(step), std::to_string(p.sensorStepDpi[step]), {}});
    }
  }
  menu.push_back(std::move(dpi));

  KeyMenuEntry media{kFuncMediaMenu, KeyFuncCodeText(kFuncMediaMenu), {}};
  MenuBuilder mediaMenu(media.submenu);
  for (KeyFunc code : {kFuncMediaSelect, kFuncMediaPlayPause, kFuncMediaNext, kFuncMediaPrevious,
                       kFuncMediaStop, kFuncMediaMute, kFuncMediaVolumeUp,
                       kFuncMediaVolumeDown}) {
    mediaMenu.Add(code);
  }
  for (KeyFunc code :
       {kFuncAppMail, kFuncAppCalculator, kFuncAppMyComputer, kFuncAppBrowserHome}) {
    mediaMenu.AddIfText(code);
  }
  menu.push_back(std::move(media));

  if (p.snipMenuOn) top.Add(kFuncDpiLock);
  return menu;
}

}  // namespace varnel
