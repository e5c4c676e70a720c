#include "shell/AppStartup.h"

#include <string>

#include "config/AppConfig.h"
#include "config/DeviceModel.h"
#include "config/LangText.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Log.h"
#include "platform/OsInfo.h"
#include "platform/Paths.h"
#include "platform/UiPort.h"

namespace varnel {

std::string StartupMutexName() {
  return MutexNameFor(gVar.nMsFw, gVar.nKbFw, gVar.Ms.wPid[0], gVar.Kb.wPid);
}

namespace {

void LogLaunch() {
  LogPrint("%s", std::string(50, '-').c_str());
  const LocalTime t = GetClock().Local();
  LogPrint("Launch %04d-%d-%d:%dH, Ver=0x%x, Title=%s", t.year, t.month, t.day, t.hour,
           static_cast<unsigned>(gVar.nVer), gVar.pszTitle.c_str());
}

// Returns false when this process is a second instance and must end.
bool CheckSingleInstance(const StartupOptions& options, StartupResult& result) {
  const std::string name = StartupMutexName();
  auto instance = std::make_unique<SingleInstance>(
      name, options.instanceFolder.empty() ? InstanceFolder() : options.instanceFolder);
  switch (instance->Acquire()) {
    case SingleInstance::Result::AlreadyExists:
      LogPrint("ALREADY_EXISTS, hWnd=%x, szMutexName=%s", instance->FirstInstanceId(),
               name.c_str());
      return false;
    case SingleInstance::Result::Failed:
      LogPrint("CreateMutex m_hMutex=0, Err=%d", instance->Error());
      break;
    case SingleInstance::Result::First:
      break;
  }
  result.instance = std::move(instance);
  return true;
}

}  // namespace

StartupResult RunStartup(const StartupOptions& options) {
  StartupResult result;

  // Application folder.
  const std::filesystem::path appDir = options.appDir.empty() ? DefaultAppDir() : options.appDir;
  std::error_code ec;
  if (appDir.empty() || !std::filesystem::is_directory(appDir, ec)) return result;

  // Built-in sensor tables, then the configuration.
  BuildSensorTables();
  const std::filesystem::path desktop =
      options.desktopDir.empty() ? DesktopDir() : options.desktopDir;
  const IniFile cfg = IniFile::Load(ResolvePath(appDir, "cfg.ini"));
  if (!LoadCfg(cfg, appDir, desktop)) {
    Ui().ShowMessage("     Data Init failed.     ", "Error");
    result.outcome = StartupResult::Outcome::DataInitFailed;
    return result;
  }

  // Data folder; a folder that cannot be made is logged, the program still runs without it.
  if (!InitDataDir(options.dataDir, options.createDataDir))
    LogPrint("InitDataDir: cannot create %s", gVar.dataDir.string().c_str());

  InitDefaultKeys(cfg);
  LoadLangSkinList(cfg);

  result.langFile = LangTextPath();
  LoadLangText(result.langFile);

  gVar.pszTitle = gVar.szTitle.empty() ? tc_title : gVar.szTitle;
  LogLaunch();

  if (options.singleInstance && !CheckSingleInstance(options, result)) {
    result.outcome = StartupResult::Outcome::SecondInstance;
    return result;
  }

  // DPI awareness is a Windows matter: GetOsVersionClass is 0 here, so nothing to declare.
  if (GetOsVersionClass() > 4) LogPrint("SetProcessDPIAware");
  result.outcome = StartupResult::Outcome::Ready;
  return result;
}

}  // namespace varnel
