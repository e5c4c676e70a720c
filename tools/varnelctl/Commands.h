#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/UiPort.h"

#include "Cli.h"

namespace varnel::cli {

int CmdConfig(const GlobalOptions& g, std::ostream& out, std::ostream& err);
nlohmann::json MessagesJson(const std::vector<UiMessage>& messages);
int CmdText(const GlobalOptions& g, const std::string& key, std::ostream& out, std::ostream& err);

// varnelctl keys …
struct KeyMenuOptions {
  bool profile = false;        // a current profile exists
  std::optional<int> mode;     // the profile's mode 0 … 2 (implies a profile)
};
int CmdKeysName(const GlobalOptions& g, const std::string& vk, std::ostream& out,
                std::ostream& err);
int CmdKeysVk(const std::string& name, std::ostream& out, std::ostream& err);
int CmdKeysFunc(const GlobalOptions& g, const std::string& itemJson, std::ostream& out,
                std::ostream& err);
int CmdKeysMenu(const GlobalOptions& g, const KeyMenuOptions& options, std::ostream& out,
                std::ostream& err);

}  // namespace varnel::cli
