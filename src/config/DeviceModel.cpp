#include "config/DeviceModel.h"

#include "config/AppConfig.h"
#include "config/ValueFormats.h"
#include "platform/IniFile.h"

namespace varnel {

// Only the identity of each device is read so far: the ids the device matching and the
// single-instance name need. The remaining keys of each section come with their records.

void LoadMsCfg(const IniFile& cfg) {
  MsModel& ms = gVar.Ms;
  ms.wVid = static_cast<uint16_t>(cfg.GetInt("MS", "VID", 0x258A));
  const auto pid = ParseNumberList(cfg.GetString("MS", "PID", ""), 16, ms.wPid.size());
  for (size_t i = 0; i < pid.size(); ++i) ms.wPid[i] = static_cast<uint16_t>(pid[i]);
  const auto pid2 = ParseNumberList(cfg.GetString("MS", "PID2", ""), 16, ms.wPid2.size());
  for (size_t i = 0; i < pid2.size(); ++i) ms.wPid2[i] = static_cast<uint16_t>(pid2[i]);
}

void LoadKbCfg(const IniFile& cfg) {
  gVar.Kb.wVid = static_cast<uint16_t>(cfg.GetInt("KB", "VID", 0));
  gVar.Kb.wPid = static_cast<uint16_t>(cfg.GetInt("KB", "PID", 0));
}

void LoadPadCfg(const IniFile& cfg) {
  gVar.Pad.wVid = static_cast<uint16_t>(cfg.GetInt("PAD", "VID", 0));
  gVar.Pad.wPid = static_cast<uint16_t>(cfg.GetInt("PAD", "PID", 0));
}

void BuildSensorTables() {}

void InitMouseKeyTables() {}

void LoadFnKeys(const IniFile&) {}

}  // namespace varnel
