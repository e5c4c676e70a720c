#pragma once
// The start-up of the application up to the main window: application folder, configuration, data
// folder, default keys, language and skin lists, language text, window title, launch log line and
// the single-instance rule. The GUI program runs all of it; varnelctl runs the loading part.
#include <filesystem>
#include <memory>
#include <string>

#include "platform/SingleInstance.h"

namespace varnel {

struct StartupOptions {
  std::filesystem::path appDir;      // empty: the built or installed program's default
  std::filesystem::path dataDir;     // empty: $XDG_DATA_HOME/<appdir>/
  std::filesystem::path desktopDir;  // empty: the user's desktop folder
  bool createDataDir = true;
  bool singleInstance = true;
  std::filesystem::path instanceFolder;  // empty: InstanceFolder()
};

struct StartupResult {
  enum class Outcome {
    NoAppFolder,     // the application folder could not be found: silent end
    DataInitFailed,  // "     Data Init failed.     " was shown
    SecondInstance,  // another instance runs; it was woken, this one ends
    Ready            // the main window would run now
  };
  Outcome outcome = Outcome::NoAppFolder;
  std::filesystem::path langFile;  // the language file that was loaded
  std::unique_ptr<SingleInstance> instance;  // held for the whole run (Ready only)
};

// Steps of the start-up in their order. Messages go through the UI port.
StartupResult RunStartup(const StartupOptions& options);

// The single-instance name of the configured slots.
std::string StartupMutexName();

}  // namespace varnel
