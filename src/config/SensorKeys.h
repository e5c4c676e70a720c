#pragma once
// The mouse's key tables: the key lines K<key>_<mode> of the sensor sections, the key-configuration
// file keycfg.kyg and the default mouse key tables g_defMsKEY built from them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/KeyItem.h"
#include "platform/IniFile.h"

namespace varnel {

// ---- Sensor key lines ----------------------------------------------------------------------

// The [MS] values the key lines refer to.
struct SensorKeyContext {
  std::array<uint32_t, 6> exKey{};     // ExKey1 … ExKey6
  std::array<uint8_t, 21> gunValue{};  // GunValue: three values per gun
  int32_t shootSpeed = 1;              // ShootSpeed
  std::array<COLORREF, 7> gunColor{};  // GunColor
};

struct SensorKey {
  KeyItem item;
  std::optional<uint32_t> customValue;  // set by a custom-key line (type 8, data 0xAD)
};

// One key line: four hexadecimal numbers type, code, extra value, matrix index. nullopt (and no
// message) for a line without exactly four numbers; index messages go through the UI port.
std::optional<SensorKey> ParseSensorKey(std::string_view text, const SensorKeyContext& context);

// The value of a key of one section, nullopt when missing.
using SectionKeyReader = std::function<std::optional<std::string>(std::string_view key)>;

struct SensorKeysResult {
  int count = 0;                        // lines read
  std::optional<uint32_t> customValue;  // the last custom-key value read
};

// Reads K<i>_<mode> for i = 1 … 21 into table[i - 1]; entries without a usable line stay as they
// are.
SensorKeysResult ParseSensorKeys(const SectionKeyReader& read, int mode, MsKeyTable& table,
                                 const SensorKeyContext& context);

inline SensorKeysResult ParseSensorKeys(const IniFile& cfg, std::string_view section, int mode,
                                        MsKeyTable& table, const SensorKeyContext& context) {
  return ParseSensorKeys(
      [&cfg, section](std::string_view key) { return cfg.Find(section, key); }, mode, table,
      context);
}

// ---- keycfg.kyg ----------------------------------------------------------------------------

constexpr uint32_t kKeyCfgMagic = 0x8948EE01;
constexpr size_t kMacroSlotSize = 1480;
constexpr size_t kKeyCfgMacroSlots = 15;
constexpr size_t kKeyCfgFileSize = 27748;
constexpr const char* kKeyCfgFileName = "keycfg.kyg";

using MacroSlot = std::array<uint8_t, kMacroSlotSize>;  // an encoded macro, zero when unused

// The key-configuration file (and keycfg.kyg of the data folder), byte for byte.
struct KeyCfgFile {
  uint32_t dwMagic = 0;
  std::array<MacroSlot, kKeyCfgMacroSlots> macroSlots{};
  MsKeyTables msKeys{};  // modes 1, 2, 3
};
static_assert(sizeof(KeyCfgFile) == kKeyCfgFileSize);
static_assert(std::is_trivially_copyable_v<KeyCfgFile>);
static_assert(offsetof(KeyCfgFile, dwMagic) == 0);
static_assert(offsetof(KeyCfgFile, macroSlots) == 4);
static_assert(offsetof(KeyCfgFile, msKeys) == 22204);

// The file when it holds a whole image with the magic, else nullptr.
std::unique_ptr<KeyCfgFile> ReadKeyCfg(const std::filesystem::path& path);

// ---- Default mouse key tables --------------------------------------------------------------

// Three modes × 21 items: the template of every profile's mouse key layers.
extern MsKeyTables g_defMsKEY;

// What the default tables take from the current sensor (pSensorCfg).
struct SensorKeyLayout {
  const MsKeyTables* tables = nullptr;  // the sensor's key tables
  int32_t keyY = 10;                    // KEYY
  int32_t keyH = 6;                     // KEYH
};

// Functions from keycfg (when given) or the sensor's tables, button-list rectangles for rows of
// viewKeyNum (21 when below 1), matrix indexes from the sensor's tables. Without a sensor the
// functions and matrix indexes of keycfg are kept (or the tables stay empty) and the rectangles
// use the default KEYY and KEYH.
MsKeyTables MakeDefMsKeys(const KeyCfgFile* keyCfg, const SensorKeyLayout* sensor,
                          int32_t viewKeyNum);

// Fills g_defMsKEY at start-up from keycfg.kyg of the data folder and the sensor; shows
// "Matrix index repeat" (Warning) for each button whose matrix index differs between mode 1 and
// mode 2.
void BuildDefMsKeys(const SensorKeyLayout* sensor, int32_t viewKeyNum,
                    const std::filesystem::path& dataDir);
void BuildDefMsKeys(const SensorKeyLayout* sensor);  // gVar's ViewKeyNum and data folder

}  // namespace varnel
