#include "Session.h"

#include <ostream>

#include "platform/Paths.h"

namespace varnel::cli {

Session::Session(const GlobalOptions& g) : m_g(g), m_ui(g.yes), m_scope(m_ui) {}
Session::~Session() = default;

bool Session::Load(std::ostream& err) {
  StartupOptions options;
  options.appDir = m_g.appDir.empty() ? DefaultAppDir() : m_g.appDir;
  options.dataDir = m_g.dataDir;
  options.createDataDir = false;
  options.singleInstance = false;
  m_startup = RunStartup(options);
  if (m_startup.outcome == StartupResult::Outcome::NoAppFolder) {
    err << "varnelctl: application folder not found: " << options.appDir.string() << "\n";
    return false;
  }
  return m_startup.outcome == StartupResult::Outcome::Ready;
}

}  // namespace varnel::cli
