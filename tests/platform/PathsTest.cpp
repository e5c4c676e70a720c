#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestSupport.h"
#include "platform/OsInfo.h"
#include "platform/Paths.h"

namespace varnel {
namespace {

using test::ScopedEnv;
using test::TempDir;

// HOME and the XDG variables pointing into a fresh folder.
class PathsFixture : public ::testing::Test {
 protected:
  TempDir m_home;
  ScopedEnv m_homeEnv{"HOME", m_home.path().c_str()};
  ScopedEnv m_config{"XDG_CONFIG_HOME", nullptr};
  ScopedEnv m_data{"XDG_DATA_HOME", nullptr};
};

struct DesktopCase {
  const char* name;
  const char* userDirs;  // nullptr: no file
  const char* expected;  // below HOME; starting with '/' an absolute path
};

class DesktopDirTest : public PathsFixture, public ::testing::WithParamInterface<DesktopCase> {};

TEST_P(DesktopDirTest, ReadsUserDirsOrFallsBack) {
  if (GetParam().userDirs) m_home.Write(".config/user-dirs.dirs", GetParam().userDirs);
  const std::string expected = GetParam().expected;
  EXPECT_EQ(DesktopDir(), expected[0] == '/' ? fs::path(expected)
                                             : (expected.empty() ? m_home.path()
                                                                 : m_home.path() / expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopDirTest,
    ::testing::Values(
        DesktopCase{"NoFile", nullptr, "Desktop"},
        DesktopCase{"HomeRelative",
                    "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                    "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n",
                    "Schreibtisch"},
        DesktopCase{"Absolute", "XDG_DESKTOP_DIR=\"/srv/desk\"\n", "/srv/desk"},
        DesktopCase{"EscapedAndBraced", "  XDG_DESKTOP_DIR = \"${HOME}/My \\\"Desk\\\"\"\n",
                    "My \"Desk\""},
        DesktopCase{"HomeItself", "XDG_DESKTOP_DIR=\"$HOME/\"\n", ""},
        DesktopCase{"RelativeIgnored", "XDG_DESKTOP_DIR=\"Desk\"\n", "Desktop"},
        DesktopCase{"CommentIgnored", "#XDG_DESKTOP_DIR=\"$HOME/Other\"\n", "Desktop"},
        DesktopCase{"Unterminated", "XDG_DESKTOP_DIR=\"$HOME/Other\n", "Desktop"},
        DesktopCase{"LastWins",
                    "XDG_DESKTOP_DIR=\"$HOME/One\"\nXDG_DESKTOP_DIR=\"$HOME/Two\"\n", "Two"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(PathsFixture, DesktopDirUsesXdgConfigHome) {
  TempDir config;
  config.Write("user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/FromConfig\"\n");
  m_home.Write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Ignored\"\n");
  ScopedEnv env("XDG_CONFIG_HOME", config.path().c_str());
  EXPECT_EQ(DesktopDir(), m_home.path() / "FromConfig");
}

TEST_F(PathsFixture, UserDataHomeTakesOnlyAnAbsoluteXdgDataHome) {
  EXPECT_EQ(UserDataHome(), m_home.path() / ".local" / "share");
  {
    ScopedEnv env("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(UserDataHome(), fs::path("/data/home"));
  }
  ScopedEnv env("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(UserDataHome(), m_home.path() / ".local" / "share");
}

class ResolvePathTest : public ::testing::Test {
 protected:
  ResolvePathTest() {
    m_dir.Write("Skins/Default/Check_nr.png", "png");
    m_dir.Write("Text/English/text.xml", "<x/>");
  }
  TempDir m_dir;
};

TEST_F(ResolvePathTest, MatchesCaseInsensitivelyWithEitherSeparator) {
  const auto& b = m_dir.path();
  struct Case {
    const char* relative;
    fs::path expected;
  } cases[] = {
      {"skins\\default\\check_NR.PNG", b / "Skins/Default/Check_nr.png"},
      {"Skins/Default/Check_nr.png", b / "Skins/Default/Check_nr.png"},
      {"\\TEXT\\\\english\\.\\TEXT.XML", b / "Text/English/text.xml"},
      {"text\\english\\..\\English\\text.xml", b / "Text/English/text.xml"},
      // Missing components and everything after them stay as written.
      {"skins\\Missing\\Sub\\a.png", b / "Skins/Missing/Sub/a.png"},
      {"text\\english\\new.xml", b / "Text/English/new.xml"},
      {"", b},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolvePath(b, c.relative), c.expected) << c.relative;
}

TEST_F(ResolvePathTest, PrefersTheExactNameAndChoosesDeterministicallyOtherwise) {
  m_dir.Write("Dup/abc.txt", "1");
  m_dir.Write("Dup/ABC.txt", "2");
  m_dir.Write("Dup/Abc.txt", "3");
  EXPECT_EQ(ResolvePath(m_dir.path(), "dup\\Abc.txt"), m_dir.path() / "Dup/Abc.txt");
  EXPECT_EQ(ResolvePath(m_dir.path(), "dup\\aBC.txt"), m_dir.path() / "Dup/ABC.txt");
}

TEST(MakeSureFolderExists, CreatesParentsAndFailsOnAFile) {
  TempDir dir;
  EXPECT_TRUE(MakeSureFolderExists(dir.path() / "a" / "b"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "b"));
  EXPECT_TRUE(MakeSureFolderExists(dir.path() / "a"));
  const auto file = dir.Write("file", "x");
  EXPECT_FALSE(MakeSureFolderExists(file));
  EXPECT_FALSE(MakeSureFolderExists(file / "sub"));
  EXPECT_FALSE(MakeSureFolderExists({}));
}

TEST(ExecutableDir, IsTheFolderOfTheTestProgram) {
  const fs::path dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(fs::exists(dir / "test_platform"));
  EXPECT_TRUE(fs::is_directory(DefaultAppDir()));
}

TEST(OsInfo, NoWindowsGenerationAndNoElevation) {
  EXPECT_EQ(GetOsVersionClass(), 0);
  EXPECT_FALSE(RunAsAdmin());
}

}  // namespace
}  // namespace varnel
