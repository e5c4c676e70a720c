#include "Cli.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <ostream>

#include "Commands.h"

namespace varnel::cli {

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"varnelctl: configure gaming mice, keyboards and mouse pads", "varnelctl"};
  app.require_subcommand(1);
  GlobalOptions g;
  app.add_option("--app-dir", g.appDir, "application folder (cfg.ini, text files, skins)");
  app.add_option("--data-dir", g.dataDir, "per-user data folder (profiles, macros, lang.ini)");
  app.add_option("--emulate", g.emulate, "run against the emulated devices of this description");
  app.add_option("--trace", g.trace, "append every HID transfer to this file as JSON lines");
  auto* yes = app.add_flag("--yes", g.yes, "answer yes to every question");
  app.add_flag("--no", g.no, "answer no to every question")->excludes(yes);

  int rc = 0;
  auto* config = app.add_subcommand("config", "print the loaded configuration as JSON");
  config->callback([&] { rc = CmdConfig(g, out, err); });

  std::string key;
  auto* text = app.add_subcommand("text", "print the loaded language text of one key");
  text->add_option("KEY", key, "text key, e.g. tc_title or tc_msg3")->required();
  text->callback([&] { rc = CmdText(g, key, out, err); });

  // CLI11 wants argv order with the program name first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err);
  }
  return rc;
}

}  // namespace varnel::cli
