#include <gtest/gtest.h>
#include <poll.h>

#include <optional>
#include <thread>

#include "TestSupport.h"
#include "config/AppConfig.h"
#include "platform/Clock.h"
#include "platform/UiPort.h"
#include "shell/AppStartup.h"

namespace varnel {
namespace {

using test::TempDir;

class Startup : public ::testing::Test {
 protected:
  StartupOptions Options() const {
    StartupOptions o;
    o.appDir = dir.path() / "app";
    o.desktopDir = dir.path() / "desk";
    o.instanceFolder = dir.path() / "run";
    std::filesystem::create_directories(o.instanceFolder);
    return o;
  }
  TempDir dir;
  test::ScopedEnv dataHome{"XDG_DATA_HOME", (dir.path() / "share").c_str()};
  RecordingUiPort ui;
  ScopedUiPort scope{ui};
  VirtualClock clock{{2026, 3, 4, 17, 5, 6, 7}};
  ScopedClock clockScope{clock};
};

TEST_F(Startup, CreatesTheDataFolderAndLogsTheLaunchLine) {
  dir.Write("app/cfg.ini", "[OPT]\r\nDebug=2\r\nVer=4660\r\nappdir=Mine\r\nMacProtocol=2\r\n"
                           "KbFw=22\r\n[KB]\r\nPID=1234\r\n");
  dir.Write("app/text.xml", "<config><tc_title>Keyboard Tool</tc_title></config>");
  std::filesystem::create_directories(dir.path() / "desk");
  const StartupResult r = RunStartup(Options());
  ASSERT_EQ(r.outcome, StartupResult::Outcome::Ready);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "share/Mine"));
  EXPECT_EQ(gVar.pszTitle, "Keyboard Tool");
  EXPECT_EQ(StartupMutexName(), "MUTEX_QX_KB_04D2_16");
  EXPECT_EQ(test::ReadFile(dir.path() / "desk/Log.txt"),
            "\n05:06.007   " + std::string(50, '-') +
                "\n05:06.007   Launch 2026-3-4:17H, Ver=0x1234, Title=Keyboard Tool");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(Startup, SecondInstanceInTheSameFolderEnds) {
  dir.Write("app/cfg.ini", "[OPT]\r\nappdir=Mine\r\nMacProtocol=1\r\nMsFw=5\r\n[MS]\r\nPID=fa01\r\n");
  const StartupResult first = RunStartup(Options());
  ASSERT_EQ(first.outcome, StartupResult::Outcome::Ready);
  EXPECT_EQ(StartupMutexName(), "MUTEX_QX_MS_FA01");
  // The first instance's request loop, as the program runs it.
  std::optional<WakeRequest> got;
  std::thread loop([&] {
    pollfd p{first.instance->RequestFd(), POLLIN, 0};
    if (poll(&p, 1, 10000) == 1) got = first.instance->ReadRequest();
  });
  const StartupResult second = RunStartup(Options());
  loop.join();
  EXPECT_EQ(second.outcome, StartupResult::Outcome::SecondInstance);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->message, 1132u);
  EXPECT_EQ(got->wParam, 0u);
  EXPECT_EQ(got->lParam, 514u);
}

TEST_F(Startup, MissingApplicationFolderEndsWithoutMessages) {
  const StartupResult r = RunStartup(Options());
  EXPECT_EQ(r.outcome, StartupResult::Outcome::NoAppFolder);
  EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace varnel
