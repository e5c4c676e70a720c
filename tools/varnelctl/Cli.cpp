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

  auto* keys = app.add_subcommand("keys", "key names, function texts and the button menu");
  keys->require_subcommand(1);
  std::string keyArg;
  auto* keyName = keys->add_subcommand("name", "print the display name of a virtual-key code");
  keyName->add_option("VK", keyArg, "virtual-key code, decimal or 0x-hex")->required();
  keyName->callback([&] { rc = CmdKeysName(g, keyArg, out, err); });
  auto* keyVk = keys->add_subcommand("vk", "print the virtual-key code of a key name");
  keyVk->add_option("NAME", keyArg, "key name of the effect files, e.g. esc or num5")->required();
  keyVk->callback([&] { rc = CmdKeysVk(keyArg, out, err); });
  auto* keyFunc = keys->add_subcommand("func", "print the function text of a key item");
  keyFunc->add_option("ITEM-JSON", keyArg, "key item as JSON, e.g. {\"dwFunc\":\"0x01000011\"}")
      ->required();
  keyFunc->callback([&] { rc = CmdKeysFunc(g, keyArg, out, err); });
  KeyMenuOptions menuOptions;
  auto* keyMenu = keys->add_subcommand("menu", "print the button-function menu as JSON");
  keyMenu->add_flag("--profile", menuOptions.profile, "a current profile exists");
  keyMenu->add_option("--mode", menuOptions.mode, "the profile's mode 0, 1 or 2 (implies --profile)");
  keyMenu->callback([&] { rc = CmdKeysMenu(g, menuOptions, out, err); });

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
