#pragma once
// Model records of the device sections [MS], [KB] and [PAD] of cfg.ini.
#include <array>
#include <cstdint>

namespace varnel {

class IniFile;

struct MsModel {
  uint16_t wVid = 0;
  std::array<uint16_t, 5> wPid{};   // [MS] PID: product ids on the cable
  std::array<uint16_t, 5> wPid2{};  // [MS] PID2: the receiver or alternate interface
};

struct KbModel {
  uint16_t wVid = 0;
  uint16_t wPid = 0;
};

struct PadModel {
  uint16_t wVid = 0;
  uint16_t wPid = 0;
};

// Reading of the device sections, called by LoadCfg for the configured slots.
void LoadMsCfg(const IniFile& cfg);
void LoadKbCfg(const IniFile& cfg);
void LoadPadCfg(const IniFile& cfg);

// Built-in sensor tables, made before cfg.ini is read.
void BuildSensorTables();

// The mouse's default key tables (with the user's keycfg.kyg) and the keyboard's Fn layer, run by
// InitDefaultKeys for the configured slots.
void InitMouseKeyTables();
void LoadFnKeys(const IniFile& cfg);

}  // namespace varnel
