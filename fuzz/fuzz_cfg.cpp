// Loads arbitrary bytes as the device sections of cfg.ini ([MS], [SENSOR_n], [KB], [KBKEY], [FN],
// [PAD]) the way start-up does. The families come from the first byte, so every section reader
// is reached; messages are recorded, not printed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/AppConfig.h"
#include "config/DeviceModel.h"
#include "config/SensorTable.h"
#include "platform/IniFile.h"
#include "platform/UiPort.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool tablesBuilt = (varnel::BuildSensorTables(), true);
  (void)tablesBuilt;
  const uint8_t families = size ? data[0] : 0;
  std::string text = "[OPT]\nDebug=0\nappdir=fuzz\nMacProtocol=1\n";
  text += "MsFw=" + std::to_string((families & 1) ? 5 : 0) + "\n";
  text += "KbFw=" + std::to_string((families & 2) ? 20 + (families >> 4) % 6 : 0) + "\n";
  text += "PadFw=" + std::to_string((families & 4) ? 1 : 0) + "\n";
  if (size > 1) text.append(reinterpret_cast<const char*>(data) + 1, size - 1);

  varnel::RecordingUiPort ui;
  varnel::ScopedUiPort scope(ui);
  const varnel::IniFile cfg = varnel::IniFile::FromBytes(text);
  varnel::LoadCfg(cfg, "/nonexistent-app", "/nonexistent-desktop");
  varnel::InitDataDir("/nonexistent-data", false);
  varnel::InitDefaultKeys(cfg);
  return 0;
}
