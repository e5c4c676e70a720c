#pragma once
// What every command starts with: the UI port of the command line and the loaded configuration.
#include <iosfwd>
#include <memory>

#include "Cli.h"
#include "platform/UiPort.h"
#include "shell/AppStartup.h"

namespace varnel::cli {

class Session {
 public:
  explicit Session(const GlobalOptions& g);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs the loading part of the start-up (no single-instance check, no folder created).
  // False (with a message on err) when the application folder does not exist.
  bool Load(std::ostream& err);

  ConsoleUiPort& ui() { return m_ui; }
  const StartupResult& startup() const { return m_startup; }

 private:
  const GlobalOptions& m_g;
  ConsoleUiPort m_ui;
  ScopedUiPort m_scope;
  StartupResult m_startup;
};

}  // namespace varnel::cli
