#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/UiPort.h"

#include "Cli.h"

namespace varnel::cli {

int CmdConfig(const GlobalOptions& g, std::ostream& out, std::ostream& err);
nlohmann::json MessagesJson(const std::vector<UiMessage>& messages);
int CmdText(const GlobalOptions& g, const std::string& key, std::ostream& out, std::ostream& err);

}  // namespace varnel::cli
