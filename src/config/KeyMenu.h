#pragma once
// The button-function menu of the mouse button page as data: entries with their function code
// and text, two of them with a submenu. The page turns it into a menu.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/KeyItem.h"

namespace varnel {

struct KeyMenuEntry {
  KeyFunc code = 0;
  std::string text;
  std::vector<KeyMenuEntry> submenu;  // the DPI and media headers only

  friend bool operator==(const KeyMenuEntry&, const KeyMenuEntry&) = default;
};

// Everything the menu depends on.
struct KeyMenuParams {
  bool hasProfile = false;   // a current profile exists
  int32_t profileMode = 0;   // its nMode (0 … 2)
  int32_t msFw = 0;          // [OPT] MsFw
  bool showPubgMenu = true;  // [MS] ShowPUBGMenu
  bool showReportSw = false; // [MS] ShowReportSw
  bool rgbSw = true;         // [MS] RgbSW
  bool showKeySnip = false;  // [MS] ShowKeySnip
  uint32_t showEx = 0x10101; // [MS] ShowEx, one byte per mode
  bool snipMenuOn = false;   // [MS] SnipMenu byte 0
  std::vector<uint8_t> snipSteps;       // [MS] SnipMenu steps (0-based in the step table)
  std::vector<int32_t> sensorStepDpi;   // DPI values of the sensor's step table, empty if none
  std::optional<uint32_t> customValue;  // the sensor's custom-key value, if it has one
  std::span<const KeyItem> defMsKeys;   // every item of g_defMsKEY
};

// Menu rows: 22 high, 204 wide before interface scaling.
constexpr int kKeyMenuRowHeight = 22;
constexpr int kKeyMenuRowWidth = 204;

std::vector<KeyMenuEntry> BuildKeyMenu(const KeyMenuParams& params);

}  // namespace varnel
