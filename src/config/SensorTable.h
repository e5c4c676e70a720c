#pragma once
// Optical sensors of the supported mice: the built-in DPI step table (DPI value and hardware code
// of every step), the sensor sections [SENSOR_1] … [SENSOR_9] of cfg.ini read into SensorCfg
// records, and the choice of the current sensor.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/KeyItem.h"
#include "config/ValueFormats.h"

namespace varnel {

class IniFile;
struct MsModel;
struct SensorKeyContext;

constexpr size_t kMaxSensorSteps = 600;
constexpr size_t kSensorTableSize = 22;
constexpr size_t kSensorCfgNum = 9;
constexpr size_t kDpiLevels = 10;
constexpr size_t kSensorKeys = 21;
constexpr size_t kSensorModes = 3;
constexpr size_t kSensorMarks = 21;

// One sensor's DPI steps: DPI value and hardware code of step 0 … nNum - 1.
struct SensorSteps {
  uint32_t dwSensor = 0;
  int32_t nNum = 0;
  std::array<uint16_t, kMaxSensorSteps> wDpi{};
  std::array<uint16_t, kMaxSensorSteps> wHw{};

  std::span<const uint16_t> Dpis() const { return {wDpi.data(), static_cast<size_t>(nNum)}; }
  std::span<const uint16_t> Codes() const { return {wHw.data(), static_cast<size_t>(nNum)}; }
  void Clear();
  // Appends one step; false (nothing stored) once the table holds kMaxSensorSteps.
  bool Add(uint32_t dpi, uint32_t code);
};

// Fills the step table with the built-in entries of the 22 supported sensors (run at start-up,
// before cfg.ini is read; sensor sections may then replace the steps of their sensor).
void BuildSensorTables();
// The step table entry of a sensor, or nullptr. An entry without steps counts as missing.
const SensorSteps* FindSensorSteps(uint32_t sensor);
SensorSteps* FindSensorStepsMutable(uint32_t sensor);
std::span<const SensorSteps> SensorTables();

// Built-in default DPI levels of a sensor (10 entries, unused ones 0; all 0 for unknown sensors)
// and the default level colours (red, blue, green, cyan, magenta, white, then 0).
std::array<uint32_t, kDpiLevels> DefaultDpiLevels(uint32_t sensor);
std::array<COLORREF, kDpiLevels> DefaultDpiColours();

// One [SENSOR_n] section.
struct SensorCfg {
  uint32_t Sensor = 0;                  // sensor id, 0 = empty record
  int32_t DM = 6;                       // number of DPI levels (at most kDpiLevels)
  uint32_t DEFLEVEL = 0xFFFFFFFF;       // default DPI level
  std::array<uint32_t, kDpiLevels> DPI{};  // default DPI values
  std::array<COLORREF, kDpiLevels> DC{};   // default level colours
  int32_t DPIH = 14;                    // layout value of the DPI page
  int32_t nModeNum = 3;                 // 1, 2 or 3 modes (MDNUM 3, 6, 9)
  int32_t nKeyNum = 7;                  // KM / 2, 1 … 21
  // The default button functions per mode, from the key lines K<key>_<mode>: Keys[m][i] is key
  // i + 1 of mode m + 1; nModeKeys[m] counts the lines read for mode m + 1 (a mode 2 or 3 without
  // lines of its own holds a copy of mode 1).
  MsKeyTables Keys{};
  std::array<int32_t, kSensorModes> nModeKeys{};
  std::optional<uint32_t> customValue;  // value of the last custom-key line, if any
  int32_t KEYY = 10;
  int32_t KEYH = 6;
  int32_t MOUSEX = 360;
  int32_t MOUSEY = 50;
  std::array<uint32_t, kSensorModes> DR{0x500, 0x500, 0x500};  // report rate of mode 1 … 3
  std::array<uint32_t, 4> RATE{0x125, 0x250, 0x500, 0x1000};   // the selectable report rates
  uint32_t KeyMask = 0;
  std::array<Rect, kSensorMarks> Mark{};  // numbered marks on the mouse picture
  int32_t nMarkNum = 0;                   // marks read (1 … nMarkNum; a skipped mark stays empty)
  std::array<uint8_t, 4> Psd{};
};

// Reads one sensor section into rec (which is reset first). Returns 1 when the section was read
// to its end, marks included; 0 when it is empty (Sensor 0) or reading stopped early. The key
// lines refer to [MS] values (ExKey, GunValue, ShootSpeed, GunColor) taken from gVar.Ms, so [MS]
// is read first.
int LoadSensorCfg(const IniFile& cfg, std::string_view section, SensorCfg& rec);
// The [MS] values the key lines of the sensor sections refer to.
SensorKeyContext SensorKeyContextFromMs(const MsModel& ms);
// Reads [SENSOR_1] … [SENSOR_9] into gVar.Sensors and points gVar.pSensorCfg at the record of
// gVar.dwCurSensor ("pSensorCfg is null" when there is none).
void LoadSensorList(const IniFile& cfg);
// The record of a sensor id in gVar.Sensors, or nullptr (an id of 0 never matches).
SensorCfg* FindSensorCfg(uint32_t sensor);
// Makes sensor the current one and points gVar.pSensorCfg at its record (an error message and
// nullptr when there is none).
void set_cur_sensor(uint32_t sensor);

// "%x Hz" of a report rate written as hex digits that read as the rate (0x125 → "125 Hz").
std::string ReportRateText(uint32_t rate);

}  // namespace varnel
