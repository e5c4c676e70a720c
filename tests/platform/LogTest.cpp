#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "platform/Clock.h"
#include "platform/Log.h"

namespace varnel {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A desktop folder, a virtual clock and the debugger output captured; logging is switched off
// again afterwards.
class LogFixture : public ::testing::Test {
 protected:
  LogFixture() : m_scopedClock(m_clock) {
    SetDebuggerOutput([this](std::string_view text) {
      std::lock_guard lock(m_mutex);
      m_debugger.emplace_back(text);
    });
  }
  ~LogFixture() override {
    InstallLogBackend(0, {});
    SetDebuggerOutput(nullptr);
  }

  std::vector<std::string> Debugger() {
    std::lock_guard lock(m_mutex);
    return m_debugger;
  }
  std::filesystem::path LogFile() const { return m_desk.path() / "Log.txt"; }

  TempDir m_desk;
  VirtualClock m_clock{{2026, 3, 14, 9, 3, 4, 5}};
  ScopedClock m_scopedClock;
  std::mutex m_mutex;
  std::vector<std::string> m_debugger;
};

TEST_F(LogFixture, LevelZeroLogsNothingAnywhere) {
  InstallLogBackend(0, m_desk.path());
  LogPrint("hello %d", 1);
  LogHexDump("x", reinterpret_cast<const uint8_t*>("ab"), 2, 8);
  EXPECT_THAT(Debugger(), IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
}

TEST_F(LogFixture, LevelOneWritesToDebuggerOnlyCutTo511Characters) {
  InstallLogBackend(1, m_desk.path());
  LogPrint("hello %s %d", "world", 7);
  LogPrint("%s", std::string(600, 'a').c_str());
  // A multi-byte character at the cut is never split.
  LogPrint("%s\xc3\xa9tail", std::string(510, 'b').c_str());
  const auto out = Debugger();
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], "QX  hello world 7");
  EXPECT_EQ(out[1], "QX  " + std::string(511, 'a'));
  EXPECT_EQ(out[2], "QX  " + std::string(510, 'b') + "\xc3\xa9");
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
  EXPECT_EQ(LogFilePath(), LogFile());
}

TEST_F(LogFixture, LevelTwoAppendsEachEntryOnANewLineAfterTheTimePrefix) {
  m_desk.Write("Log.txt", "old");
  InstallLogBackend(2, m_desk.path());
  LogPrint("first %d", 1);
  m_clock.Advance(61 * 1000 + 500);
  LogPrint("second");
  EXPECT_EQ(ReadFile(LogFile()), "old\n03:04.005   first 1\n04:05.505   second");
  EXPECT_THAT(Debugger(), IsEmpty());
}

struct SizeCase {
  size_t size;
  bool emptied;
};

class LogSizeTest : public LogFixture, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(LogSizeTest, LargeLogIsEmptiedWhenLoggingStarts) {
  const std::string old(GetParam().size, 'z');
  m_desk.Write("Log.txt", old);
  InstallLogBackend(2, m_desk.path());
  LogPrint("x");
  const std::string entry = "\n03:04.005   x";
  EXPECT_EQ(ReadFile(LogFile()), GetParam().emptied ? entry : old + entry);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LogSizeTest,
                         ::testing::Values(SizeCase{600000, true}, SizeCase{512001, true},
                                           SizeCase{512000, false}, SizeCase{100000, false}));

TEST_F(LogFixture, LevelTwoCreatesTheFileAtInstall) {
  InstallLogBackend(2, m_desk.path());
  EXPECT_TRUE(std::filesystem::exists(LogFile()));
  EXPECT_EQ(ReadFile(LogFile()), "");
}

TEST_F(LogFixture, MissingDesktopFolderStaysOnTheDebugger) {
  InstallLogBackend(2, m_desk.path() / "missing");
  LogPrint("still %s", "here");
  EXPECT_THAT(Debugger(), ElementsAre("QX  Open Log failed", "QX  still here"));
}

TEST_F(LogFixture, EntryIsLostWhenTheFileCannotBeOpenedLater) {
  const auto desk = m_desk.path() / "desk";
  std::filesystem::create_directories(desk);
  InstallLogBackend(2, desk);
  std::filesystem::remove_all(desk);
  LogPrint("lost");
  EXPECT_THAT(Debugger(), ElementsAre("QX  Open Log failed"));
}

TEST_F(LogFixture, EntriesOfSeveralThreadsNeverTear) {
  InstallLogBackend(2, m_desk.path());
  const std::string payload(300, 'p');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) LogPrint("t%d i%03d %s", t, i, payload.c_str());
    });
  for (auto& th : threads) th.join();

  std::istringstream in(ReadFile(LogFile()));
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "");  // every entry starts with a newline
  std::vector<int> perThread(4);
  while (std::getline(in, line)) {
    int t = -1, i = -1, used = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "03:04.005   t%d i%d %n", &t, &i, &used), 2) << line;
    ASSERT_TRUE(t >= 0 && t < 4) << line;
    EXPECT_EQ(i, perThread[static_cast<size_t>(t)]++);  // in order within one thread
    EXPECT_EQ(line.substr(static_cast<size_t>(used)), payload);
  }
  EXPECT_EQ(perThread, (std::vector<int>{200, 200, 200, 200}));
}

std::vector<uint8_t> Iota(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i);
  return v;
}

TEST_F(LogFixture, HexDumpStartsEveryLineWithThePrefix) {
  InstallLogBackend(1, m_desk.path());
  const auto bytes = Iota(16);
  LogHexDump("Set", bytes.data(), bytes.size(), 8);
  LogHexDump("Odd", bytes.data(), 3, 2);
  EXPECT_THAT(Debugger(), ElementsAre("QX  Set 00 01 02 03 04 05 06 07 ",
                                      "QX  Set 08 09 0a 0b 0c 0d 0e 0f ", "QX  Odd 00 01 ",
                                      "QX  Odd 02 "));
}

TEST_F(LogFixture, HexDumpWithoutLineLengthSplitsBeforeTheBufferIsFullAndKeepsEveryByte) {
  // The file keeps whole lines (the debugger output would cut them at 511 characters).
  InstallLogBackend(2, m_desk.path());
  const auto bytes = Iota(700);
  LogHexDump("P", bytes.data(), bytes.size(), 0);
  std::istringstream in(ReadFile(LogFile()));
  std::string line;
  std::getline(in, line);  // empty: the file starts with the first entry's newline
  std::string all;
  size_t lines = 0;
  while (std::getline(in, line)) {
    const std::string_view text = std::string_view(line).substr(12);  // after the time prefix
    EXPECT_LT(text.size(), 1024u);
    ASSERT_EQ(text.substr(0, 2), "P ");
    all += text.substr(2);
    ++lines;
  }
  EXPECT_GE(lines, 2u);
  std::string expected;
  for (uint8_t b : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x ", b);
    expected += hex;
  }
  EXPECT_EQ(all, expected);
}

TEST_F(LogFixture, HexDumpIgnoresNoBytes) {
  InstallLogBackend(1, m_desk.path());
  const uint8_t b = 1;
  LogHexDump("P", nullptr, 4, 8);
  LogHexDump("P", &b, 0, 8);
  LogHexGroups("P", nullptr, 4, 8, 2);
  EXPECT_THAT(Debugger(), IsEmpty());
}

TEST_F(LogFixture, HexGroupsSeparateGroupsWithTwoBlanks) {
  InstallLogBackend(1, m_desk.path());
  const auto bytes = Iota(10);
  LogHexGroups("G", bytes.data(), 10, 6, 2);
  LogHexGroups("N", bytes.data(), 3, 0, 0);  // no groups
  EXPECT_THAT(Debugger(), ElementsAre("QX  G 00 01  02 03  04 05  ", "QX  G 06 07  08 09  ",
                                      "QX  N 00 01 02 "));
}

TEST_F(LogFixture, HexGroupsStopAtAFullLineAndEmitWhatItHolds) {
  InstallLogBackend(1, m_desk.path());
  const auto bytes = Iota(300);
  LogHexGroups("G", bytes.data(), bytes.size(), 0, 4);
  const auto out = Debugger();
  ASSERT_EQ(out.size(), 1u);
  EXPECT_LE(out[0].size() - 4, 511u);
  EXPECT_EQ(out[0].rfind("QX  G 00 01 02 03  04 ", 0), 0u);
}

TEST(CErrLog, StopsGrowingAtHalfTheBufferAndNeverOverruns) {
  auto log = std::make_unique<CErrLog>();
  const std::string line(99, 'x');
  for (int i = 0; i < 100; ++i) log->Append("%s", line.c_str());
  EXPECT_GE(log->Size(), CErrLog::kAppendLimit);
  EXPECT_LT(log->Size(), CErrLog::kAppendLimit + 100);
  EXPECT_EQ(log->Text().substr(0, 4), "\nxxx");

  // One long text just below the limit is cut at the end of the buffer.
  auto big = std::make_unique<CErrLog>();
  big->Append("%s", std::string(2500, 'a').c_str());
  big->Append("%s", std::string(10000, 'b').c_str());
  EXPECT_EQ(big->Size(), CErrLog::kBufferSize - 1);
  const size_t before = big->Size();
  big->Append("more");
  EXPECT_EQ(big->Size(), before);
}

TEST(CErrLog, SaveAddsTwoToEveryByteAndReplacesTheFile) {
  TempDir dir;
  const auto path = dir.Write("ErrLog.dft", std::string(100, 'o'));
  CErrLog log;
  log.Append("%s", "abc");
  log.Append("%s", "\xfe\xff");
  ASSERT_TRUE(log.Save(path));
  EXPECT_EQ(ReadFile(path), std::string("\x0c" "cde" "\x0c\x00\x01", 7));
  // Nothing but the dump is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(CErrLog, EmptyCollectionSucceedsWithoutWriting) {
  TempDir dir;
  CErrLog log;
  EXPECT_TRUE(log.Save(dir.path() / "ErrLog.dft"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "ErrLog.dft"));
}

TEST(CErrLog, SaveFailsWhenTheFolderIsMissing) {
  TempDir dir;
  CErrLog log;
  log.Append("x");
  EXPECT_FALSE(log.Save(dir.path() / "missing" / "ErrLog.dft"));
}

TEST(CErrLog, SaveErrLogWritesToTheDesktop) {
  TempDir home;
  std::filesystem::create_directories(home.path() / "Desktop");
  ScopedEnv h("HOME", home.path().c_str());
  ScopedEnv c("XDG_CONFIG_HOME", nullptr);
  ErrLog().Clear();
  ErrLog().Append("abc");
  EXPECT_EQ(ErrLogPath(), home.path() / "Desktop" / "ErrLog.dft");
  EXPECT_TRUE(SaveErrLog());
  EXPECT_EQ(ReadFile(home.path() / "Desktop" / "ErrLog.dft"), "\x0c" "cde");
  ErrLog().Clear();
}

}  // namespace
}  // namespace varnel
