#pragma once
// JSON views of the device model configuration and of key items, shared by `config` and `keys`.
#include <nlohmann/json.hpp>

#include <span>
#include <stdexcept>
#include <string>

#include "config/KeyItem.h"
#include "config/KeyMenu.h"

namespace varnel::cli {

// "0x%08X" of a function code.
std::string KeyFuncHex(KeyFunc code);

// A key item as an object named after the record's fields (reserved fields left out; function
// codes as hex strings, rectangle as [left, top, right, bottom], colour as [r, g, b]).
nlohmann::json KeyItemJson(const KeyItem& item);
nlohmann::json KeyTableJson(std::span<const KeyItem> items);

// The reverse: fields not given stay 0; unknown fields and values of the wrong type or out of the
// field's range throw KeyItemJsonError.
struct KeyItemJsonError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
KeyItem KeyItemFromJson(const nlohmann::json& j);

// [MS], [KB] and [PAD] values of gVar by key name.
nlohmann::json MsJson();
nlohmann::json KbJson();
nlohmann::json PadJson();
// The present sensor records of gVar.Sensors.
nlohmann::json SensorsJson();

nlohmann::json KeyMenuJson(const std::vector<KeyMenuEntry>& menu);

}  // namespace varnel::cli
