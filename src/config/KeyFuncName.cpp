#include "config/KeyFuncName.h"

#include <mutex>

#include "config/KeyNames.h"

namespace varnel {

namespace {

std::mutex g_sourcesMutex;
KeyFuncNameSources g_sources;

std::string Joined(const std::string& a, const std::string& b) { return a + " - " + b; }

std::string WithSuffix(const char* key, const char* suffix) { return KeyText(key) + suffix; }

// Texts of type 0x03 / 0x04 data 0x21 … 0x39.
std::string AppMediaText(uint8_t type, uint32_t data) {
  if (type == kFuncTypeApp) {
    switch (data) {
      case 0x30: return KeyText("tc_kbmedia_mail");
      case 0x31: return KeyText("tc_kbmedia_cal");
      case 0x32: return KeyText("tc_kbmedia_explore");
      case 0x34: return KeyText("tc_kbmedia_main");
      default: break;
    }
  } else {
    switch (data) {
      case 0x00: return KeyText("tc_media");
      case 0x21: return KeyText("tc_kbmedia_msel");
      case 0x22: return KeyText("tc_PL");
      case 0x23: return KeyText("tc_stop");
      case 0x24: return KeyText("tc_pre_media");
      case 0x25: return KeyText("tc_next_media");
      case 0x26: return KeyText("tc_vol_up");
      case 0x27: return KeyText("tc_vol_dw");
      case 0x28: return KeyText("tc_mute");
      default: break;
    }
  }
  switch (data) {
    case kDataBrightnessUp: return KeyText("tc_kbmedia_briup");
    case kDataBrightnessDown: return KeyText("tc_kbmedia_bridn");
    case kDataSearch: return KeyText("tc_kbmedia_search");
    case kDataBrowserBack: return KeyText("tc_back");
    case kDataBrowserForward: return KeyText("tc_forward");
    case kDataBrowserStop: return KeyText("tc_kbmedia_stop");
    case kDataRefresh: return KeyText("tc_kbmedia_refresh");
    case kDataFavourites: return KeyText("tc_kbmedia_favor");
    default: return {};
  }
}

std::string SpecialText(uint32_t data) {
  switch (data) {
    case 0x00: return KeyText("tc_dpi");
    case 0xA2: return KeyText("tc_key_off");
    case 0xA3: return "Shift";
    case 0xA4: return KeyText("tc_fire");
    case 0xA6: return KeyText("tc_snipe");
    case 0xA7: return KeyText("tc_rgb");
    case 0xA8: return KeyText("tc_dpiadd");
    case 0xA9: return KeyText("tc_dpisub");
    case 0xAA: return KeyText("tc_dpiloop");
    case 0xAB: return KeyText("tc_mdsw");
    case 0xAC: return KeyText("tc_reportsw");
    case 0xAD: return KeyText("tc_customkey");
    case 0xAE: return KeyText("tc_rgbsw");
    case 0xAF: return KeyText("tc_keysnipe");
    case 0xB0: return KeyText("tc_msg16");
    case 0xB1: return KeyText("tc_msg17");
    case 0xB2: return WithSuffix("tc_speed", " +");
    case 0xB3: return WithSuffix("tc_speed", " -");
    case 0xB4:
    case 0xB7: return KeyText("tc_msg20");
    case 0xB5: {
      std::string text = KeyText("tc_kb_briup");
      return text.empty() ? WithSuffix("tc_brightness", " +") : text;
    }
    case 0xB6: {
      std::string text = KeyText("tc_kb_bridn");
      return text.empty() ? WithSuffix("tc_brightness", " -") : text;
    }
    case 0xC2: return KeyText("tc_chiji3");
    case 0xD0: return WithSuffix("tc_reportsw", " +");
    case 0xD1: return WithSuffix("tc_reportsw", " -");
    default: return {};
  }
}

std::string TypeTwoText(const KeyItem& item) {
  if (item.byModifier == 0 && item.byKey == 250) return "Fn";
  switch (item.byKey) {
    case 136: return KeyText("tc_kbmedia_msel");
    case 137: return KeyText("tc_PL");
    case 138: return KeyText("tc_stop");
    case 139: return KeyText("tc_pre_media");
    case 140: return KeyText("tc_next_media");
    case 141: return KeyText("tc_vol_up");
    case 142: return KeyText("tc_vol_dw");
    case 143: return KeyText("tc_mute");
    case 153: return KeyText("tc_kbmedia_cal");
    case 154: return KeyText("tc_kbmedia_explore");
    default: break;
  }
  std::string text;
  auto add = [&text](const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += " + ";
    text += part;
  };
  const uint8_t mod = item.byModifier;
  if (mod & (kModLCtrl | kModRCtrl)) add("Ctrl");
  if (mod & (kModLAlt | kModRAlt)) add("Alt");
  if (mod & (kModLShift | kModRShift)) add("Shift");
  if (mod & (kModLWin | kModRWin)) add("Win");
  if (item.byKey != 0) add(KeyName(item.byKey));
  if (item.byKey2 != 0) add(KeyName(item.byKey2));
  return text;
}

}  // namespace

void SetKeyFuncNameSources(KeyFuncNameSources sources) {
  std::lock_guard lock(g_sourcesMutex);
  g_sources = std::move(sources);
}

KeyFuncNameSources GetKeyFuncNameSources() {
  std::lock_guard lock(g_sourcesMutex);
  return g_sources;
}

ScopedKeyFuncNameSources::ScopedKeyFuncNameSources(KeyFuncNameSources sources)
    : m_prev(GetKeyFuncNameSources()) {
  SetKeyFuncNameSources(std::move(sources));
}

ScopedKeyFuncNameSources::~ScopedKeyFuncNameSources() { SetKeyFuncNameSources(std::move(m_prev)); }

std::string FireTargetName(uint8_t target) {
  switch (target) {
    case 0xF0: return KeyText("tc_click");
    case 0xF1: return KeyText("tc_menu");
    case 0xF2: return KeyText("tc_middle");
    case 0xF3: return KeyText("tc_forward");
    case 0xF4: return KeyText("tc_back");
    case 0xF5: return KeyText("tc_titlt1");
    case 0xF6: return KeyText("tc_titlt2");
    default: return KeyName(target);
  }
}

std::string KeyFuncCodeText(KeyFunc code) {
  const uint8_t type = KeyFuncType(code);
  const uint32_t data = KeyFuncData(code);
  switch (type) {
    case kFuncTypeMouse:
      switch (data) {
        case 0x11: return KeyText("tc_click");
        case 0x12: return KeyText("tc_middle");
        case 0x13: return KeyText("tc_menu");
        case 0x14: return KeyText("tc_forward");
        case 0x15: return KeyText("tc_back");
        case 0x16: return KeyText("tc_dclick");
        case 0x17: return KeyText("tc_three");
        case 0x18: return KeyText("tc_scrollup");
        case 0x19: return KeyText("tc_scrolldown");
        default: return {};
      }
    case kFuncTypeKey: return data == 0xA1 ? KeyText("tc_combokey") : std::string();
    case kFuncTypeApp:
    case kFuncTypeMedia: return AppMediaText(type, data);
    case kFuncTypeMacro: return data == 0 ? KeyText("tc_mac_def") : std::string();
    case kFuncTypeSpecial: return SpecialText(data);
    case kFuncTypeHw:
      return data <= 3 ? KeyText("tc_hw" + std::to_string(data + 1)) : std::string();
    case kFuncTypePubgMenu:
      if (data == 0xC0) return KeyText("tc_chiji1");
      if (data == 0xC2) return KeyText("tc_chiji3");
      return {};
    case kFuncTypeExKey:
      return data <= 3 ? KeyText("tc_ex" + std::to_string(data + 1)) : std::string();
    case kFuncTypeRecoil: return data == 0 ? KeyText("tc_bullet14") : std::string();
    default: return {};
  }
}

std::string KeyFuncName(const KeyItem& item, const KeyFuncNameSources& sources) {
  const uint8_t type = item.Type();
  const uint32_t data = item.Data();
  if (type == kFuncTypeMacro) {
    const auto name = sources.macroName ? sources.macroName(item.dwMacroID) : std::nullopt;
    return name ? Joined(KeyText("tc_mac_def"), *name) : std::string();
  }
  if (type == kFuncTypeRecoil) {
    const auto name =
        sources.recoilMacroName ? sources.recoilMacroName(item.dwMacroID) : std::nullopt;
    return name ? Joined(KeyText("tc_bullet14"), *name) : std::string();
  }
  if (type == kFuncTypeKey) return TypeTwoText(item);
  if (data == kDataFire) {
    return Joined(KeyText("tc_fire"), FireTargetName(static_cast<uint8_t>(item.dwExtra >> 16)));
  }
  if (type == kFuncTypeSpecial && data == kDataDpiLock) {
    const auto dpi = sources.stepDpi ? sources.stepDpi(item.dwExtra) : std::nullopt;
    const std::string text = KeyText("tc_snipe");
    return dpi ? Joined(text, std::to_string(*dpi)) : text;
  }
  if (type == kFuncTypeSpecial && data == kDataPubgGun) {
    return sources.gunName ? sources.gunName(item) : std::string();
  }
  return KeyFuncCodeText(item.dwFunc);
}

std::string KeyFuncName(const KeyItem& item) { return KeyFuncName(item, GetKeyFuncNameSources()); }

}  // namespace varnel
