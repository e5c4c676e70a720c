#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "platform/IniFile.h"

namespace varnel {
namespace {

struct StringCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  const char* def;
  size_t buffer;
  const char* expected;
};

class IniStringRead : public testing::TestWithParam<StringCase> {};

TEST_P(IniStringRead, GivesWhatWindowsGives) {
  const StringCase& c = GetParam();
  const IniFile ini = IniFile::FromBytes(c.content);
  EXPECT_EQ(ini.GetString(c.section, c.key, c.def, c.buffer), c.expected) << c.content;
}

const std::string kSecKey = "[Sec]\r\nKey=Value\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, IniStringRead,
    testing::Values(
        StringCase{"NamesIgnoreCase", kSecKey, "sEC", "kEY", "D", 256, "Value"},
        StringCase{"InnerSpacesKept", "  [  My Sec  ]  \r\n  my key  =  two  words  \r\n",
                   "My Sec", "my key", "D", 256, "two  words"},
        StringCase{"ValueBlanksTrimmed", "[s]\nk=\tv\v \n", "s", "k", "D", 256, "v"},
        StringCase{"ArgumentSpacesTrimmed", kSecKey, "  Sec  ", "  Key  ", "D", 256, "Value"},
        StringCase{"ArgumentTabNotTrimmed", kSecKey, "\tSec", "Key", "D", 256, "D"},
        StringCase{"ArgumentKeyTabNotTrimmed", kSecKey, "Sec", "Key\t", "D", 256, "D"},
        StringCase{"DefaultTrailingSpacesStripped", kSecKey, "Sec", "None", "   D   ", 256, "   D"},
        StringCase{"DefaultTabsKept", kSecKey, "Sec", "None", "\tD\t", 256, "\tD\t"},
        StringCase{"ValueCaseKept", "[S]\nk=MiXeD\n", "S", "K", "", 256, "MiXeD"},
        StringCase{"DoubleQuotes", "[s]\nd=\"dq\"\nsq='sq'\n", "s", "d", "", 256, "dq"},
        StringCase{"SingleQuotes", "[s]\nd=\"dq\"\nsq='sq'\n", "s", "sq", "", 256, "sq"},
        StringCase{"TrimThenUnquote", "[s]\nk=  \"  p  \"  \n", "s", "k", "", 256, "  p  "},
        StringCase{"OnlyOuterQuotes", "[s]\nk=\"'x'\"\n", "s", "k", "", 256, "'x'"},
        StringCase{"OpenQuoteKept", "[s]\nk=\"open\n", "s", "k", "", 256, "\"open"},
        StringCase{"CloseQuoteKept", "[s]\nk=close\"\n", "s", "k", "", 256, "close\""},
        StringCase{"MismatchedQuotesKept", "[s]\nk=\"a'\n", "s", "k", "", 256, "\"a'"},
        StringCase{"InnerQuotesKept", "[s]\nk=a\"b\"c\n", "s", "k", "", 256, "a\"b\"c"},
        StringCase{"LoneQuote", "[s]\nk=\"\n", "s", "k", "D", 256, "\""},
        StringCase{"EmptyQuotes", "[s]\nk=\"\"\n", "s", "k", "D", 256, ""},
        StringCase{"QuotedSectionName", "[\"S\"]\n\"k\"=v\n", "S", "k", "D", 256, "D"},
        StringCase{"QuotedKeyName", "[S]\n\"k\"=v\n", "S", "k", "D", 256, "D"},
        StringCase{"CommentKeyNotFound", "[s]\n;k=v\n", "s", ";k", "D", 256, "D"},
        StringCase{"CommentNotAKey", "[s]\n  ;k=v\n", "s", "k", "D", 256, "D"},
        StringCase{"NoInlineComments", "[s]\nk=v ; x\n", "s", "k", "", 256, "v ; x"},
        StringCase{"HashIsAKey", "[s]\n#h=1\n", "s", "#h", "", 256, "1"},
        StringCase{"SemicolonValue", "[s]\nk=;x\n", "s", "k", "", 256, ";x"},
        StringCase{"LineWithoutEquals", "[s]\nname3\n", "s", "name3", "D", 256, "D"},
        StringCase{"EmptyValue", "[s]\nname2=\n", "s", "name2", "D", 256, ""},
        StringCase{"BlankValue", "[s]\nk=   \n", "s", "k", "D", 256, ""},
        StringCase{"SplitAtFirstEquals", "[s]\nk=a=b\n", "s", "k", "", 256, "a=b"},
        StringCase{"FirstKeyWins", "[s]\nk=first\nk=second\n", "s", "k", "", 256, "first"},
        StringCase{"RepeatedSectionNotMerged", "[a]\nx=1\n[b]\n[A]\nz=3\n", "a", "z", "D", 256, "D"},
        StringCase{"FirstOfRepeatedSections", "[a]\nx=1\n[A]\nx=2\n", "A", "x", "D", 256, "1"},
        StringCase{"KeysBeforeSectionUnreachable", "k=top\n[s]\n", "", "k", "D", 256, "D"},
        StringCase{"TextAfterBracketIgnored", "[S]k=v\n", "S", "k", "D", 256, "D"},
        StringCase{"JunkAfterBracket", "[s1] junk\nk=v\n", "s1", "k", "D", 256, "v"},
        StringCase{"NameEndsAtFirstBracket", "[sec]x]\nk=v\n", "sec", "k", "D", 256, "v"},
        StringCase{"Buffer5", "[s]\nname1=val1\n", "s", "name1", "", 5, "val1"},
        StringCase{"Buffer4", "[s]\nname1=val1\n", "s", "name1", "", 4, "val"},
        StringCase{"Buffer1", "[s]\nname1=val1\n", "s", "name1", "", 1, ""},
        StringCase{"Buffer0", "[s]\nname1=val1\n", "s", "name1", "", 0, ""},
        StringCase{"BufferCutsQuotedValueAfterUnquoting", "[s]\nk=\"abcd\"\n", "s", "k", "", 3,
                   "ab"},
        StringCase{"BufferCountsCharacters", "[s]\nk=\xE4\xBD\xA0\xE5\xA5\xBD!\n", "s", "k", "", 3,
                   "\xE4\xBD\xA0\xE5\xA5\xBD"},
        StringCase{"DefaultTruncated", kSecKey, "Sec", "None", "DEFAULT", 3, "DE"},
        StringCase{"CrOnly", "[s]\rk=v\rj=w\r", "s", "j", "", 256, "w"},
        StringCase{"LfOnly", "[s]\nk=v\nj=w\n", "s", "j", "", 256, "w"},
        StringCase{"NoFinalNewline", "[s]\r\nk=v", "s", "k", "", 256, "v"},
        StringCase{"EmptyLinesBetween", "\r\n\r\n[s]\r\n\r\nk=v\r\n", "s", "k", "", 256, "v"},
        StringCase{"Utf8BomFirstSection", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "D", 256, "v"},
        StringCase{"Utf16LeBom", std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0v\0", 18), "s", "k",
                   "D", 256, "v"},
        StringCase{"Utf16BeBom", std::string("\xFE\xFF\0[\0s\0]\0\n\0k\0=\0v", 16), "s", "k", "D",
                   256, "v"},
        StringCase{"LegacyCodePage", "[\xC4\xE3]\r\nk=\xBA\xC3\r\n", "\xE4\xBD\xA0", "k", "D", 256,
                   "\xE5\xA5\xBD"},
        StringCase{"BracketWithoutCloseIsNoSection", "[s]\n[t\nk=v\n", "s", "k", "D", 256, "v"}),
    [](const testing::TestParamInfo<StringCase>& p) { return std::string(p.param.name); });

struct IntCase {
  const char* value;  // nullptr: the key is missing
  int32_t def;
  uint32_t expected;
};

class IniIntRead : public testing::TestWithParam<IntCase> {};

TEST_P(IniIntRead, GivesWhatGetPrivateProfileIntGives) {
  const IntCase& c = GetParam();
  const std::string content = std::string("[s]\r\n") + (c.value ? "k=" + std::string(c.value) : "");
  EXPECT_EQ(IniFile::FromBytes(content).GetInt("s", "k", c.def), c.expected)
      << (c.value ? c.value : "(missing)");
}

INSTANTIATE_TEST_SUITE_P(Table, IniIntRead,
                         testing::Values(IntCase{"-1", 7, 4294967295u}, IntCase{"+1", 7, 1},
                                         IntCase{"4294967296", 7, 0}, IntCase{"4294967297", 7, 1},
                                         IntCase{"42A", 7, 42}, IntCase{"B42", 7, 0},
                                         IntCase{"102abc", 7, 102}, IntCase{"  12abc", 7, 12},
                                         IntCase{nullptr, -1, 4294967295u}, IntCase{nullptr, 5, 5},
                                         IntCase{"\"42\"", 7, 42}, IntCase{"- 3", 7, 0},
                                         IntCase{"12 34", 7, 12},
                                         // Open on Windows; decided: empty gives 0, decimal only.
                                         IntCase{"", 7, 0}, IntCase{"0x10", 7, 0}));

TEST(IniFile, MissingFileGivesDefaults) {
  test::TempDir dir;
  const IniFile ini = IniFile::Load(dir.path() / "none.ini");
  EXPECT_FALSE(ini.Exists());
  EXPECT_EQ(ini.GetString("s", "k", "dflt  "), "dflt");
  EXPECT_EQ(ini.GetInt("s", "k", 3), 3u);
  EXPECT_FALSE(ini.Find("s", "k"));
}

TEST(IniFile, LoadReadsFileAndFindIsNotTruncated) {
  test::TempDir dir;
  const std::string longValue(400, 'x');
  const IniFile ini = IniFile::Load(dir.Write("a.ini", "[s]\r\nk=" + longValue + "\r\n"));
  EXPECT_TRUE(ini.Exists());
  EXPECT_EQ(ini.Find("S", "K"), longValue);
  EXPECT_EQ(ini.GetString("s", "k").size(), 255u);
}

// ---- writing ----

class IniWrite : public testing::Test {
 protected:
  std::filesystem::path Write(std::string_view bytes) { return m_dir.Write("cfg.ini", bytes); }
  std::string Read() const { return test::ReadFile(m_dir.path() / "cfg.ini"); }
  std::filesystem::path Path() const { return m_dir.path() / "cfg.ini"; }
  size_t FilesInDir() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(m_dir.path())) ++n;
    return n;
  }
  test::TempDir m_dir;
};

TEST_F(IniWrite, NewFile) {
  ASSERT_TRUE(WriteProfileString(Path(), "Sec", "Key", "val"));
  EXPECT_EQ(Read(), "[Sec]\r\nKey=val\r\n");
  EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind
}

TEST_F(IniWrite, NewSectionAppendedAtTheEnd) {
  Write("[a]\r\nx=1\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "Sec", "Key", "val"));
  EXPECT_EQ(Read(), "[a]\r\nx=1\r\n[Sec]\r\nKey=val\r\n");
}

TEST_F(IniWrite, NewSectionAfterLineWithoutFinalNewline) {
  Write("[a]\r\nx=1");
  ASSERT_TRUE(WriteProfileString(Path(), "Sec", "Key", "val"));
  EXPECT_EQ(Read(), "[a]\r\nx=1\r\n[Sec]\r\nKey=val\r\n");
}

TEST_F(IniWrite, NewLinesFollowTheFilesLineEnding) {
  Write("[a]\nx=1");
  ASSERT_TRUE(WriteProfileString(Path(), "a", "y", "2"));
  ASSERT_TRUE(WriteProfileString(Path(), "b", "z", "3"));
  EXPECT_EQ(Read(), "[a]\nx=1\ny=2\n[b]\nz=3\n");
}

TEST_F(IniWrite, NewKeysGoAfterTheSectionsLastKeyInCallOrder) {
  Write("[s]\r\n;c\r\nb=\r\na=\r\n\r\n; trailing\r\n[t]\r\nq=1\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "s", "z", "1"));
  ASSERT_TRUE(WriteProfileString(Path(), "s", "y", "2"));
  EXPECT_EQ(Read(), "[s]\r\n;c\r\nb=\r\na=\r\nz=1\r\ny=2\r\n\r\n; trailing\r\n[t]\r\nq=1\r\n");
}

TEST_F(IniWrite, NewKeyInSectionWithoutKeysGoesAfterHeader) {
  Write("[s]\r\n; note\r\n[t]\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "s", "k", "v"));
  EXPECT_EQ(Read(), "[s]\r\nk=v\r\n; note\r\n[t]\r\n");
}

TEST_F(IniWrite, NewKeyGoesToTheFirstOfRepeatedSections) {
  Write("[s]\r\na=1\r\n[S]\r\nk=old\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "s", "k", "new"));
  EXPECT_EQ(Read(), "[s]\r\na=1\r\nk=new\r\n[S]\r\nk=old\r\n");
  EXPECT_EQ(IniFile::Load(Path()).GetString("s", "k"), "new");
}

TEST_F(IniWrite, ReplaceKeepsSpellingLineEndingAndOtherLinesByteForByte) {
  const std::string before = "; head \xFF\r\n[Sec]\n  Key  =  v  \r\nOther = 1\r[Next]\r\nKey=keep";
  Write(before);
  ASSERT_TRUE(WriteProfileString(Path(), "  SEC ", "KEY", "x"));
  EXPECT_EQ(Read(), "; head \xFF\r\n[Sec]\n  Key  =x\r\nOther = 1\r[Next]\r\nKey=keep");
}

TEST_F(IniWrite, ValueWrittenAsGiven) {
  ASSERT_TRUE(WriteProfileString(Path(), "s", "k", "  v\t"));
  EXPECT_EQ(Read(), "[s]\r\nk=  v\t\r\n");
  EXPECT_EQ(IniFile::Load(Path()).GetString("s", "k"), "v");
}

TEST_F(IniWrite, Utf16LeRoundTrip) {
  // "[s]\r\nk=1\r\n" in UTF-16LE, then a non-BMP character and a Chinese value written to it.
  const std::string before("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0", 22);
  Write(before);
  ASSERT_TRUE(WriteProfileString(Path(), "s", "n", "\xE4\xBD\xA0\xF0\x9F\x98\x80"));
  ASSERT_TRUE(WriteProfileString(Path(), "s", "k", "2"));
  const std::string after = Read();
  EXPECT_EQ(after, std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0" "2\0\r\0\n\0"
                               "n\0=\0\x60\x4F\x3D\xD8\x00\xDE\r\0\n\0", 36));
  const IniFile ini = IniFile::Load(Path());
  EXPECT_EQ(ini.GetString("s", "n"), "\xE4\xBD\xA0\xF0\x9F\x98\x80");
  EXPECT_EQ(ini.GetInt("s", "k", 0), 2u);
}

TEST_F(IniWrite, Utf16FileCutInsideACodeUnitStaysAligned) {
  // The dangling byte reads as U+FFFD; it must neither shift what is appended nor turn "[s" into
  // a section header "[s]" by being completed.
  Write(std::string("\xFF\xFE[\0s\0]", 7));
  ASSERT_TRUE(WriteProfileString(Path(), "s", "k", "v"));
  EXPECT_EQ(Read(), std::string("\xFF\xFE[\0s\0\xFD\xFF\r\0\n\0"
                                "[\0s\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 32));
  EXPECT_EQ(IniFile::Load(Path()).GetString("s", "k"), "v");
}

TEST_F(IniWrite, Utf8BomAndLegacyFilesKeepTheirEncoding) {
  Write("\xEF\xBB\xBF[s]\r\nk=1\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "s", "k", "\xE4\xBD\xA0"));
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[s]\r\nk=\xE4\xBD\xA0\r\n");

  test::ScopedEnv env("VARNEL_CODEPAGE", nullptr);
  Write("[\xC4\xE3]\r\nk=1\r\n");  // GBK: section "你"
  ASSERT_TRUE(WriteProfileString(Path(), "\xE4\xBD\xA0", "k", "\xE5\xA5\xBD"));
  EXPECT_EQ(Read(), "[\xC4\xE3]\r\nk=\xBA\xC3\r\n");
}

TEST_F(IniWrite, RefusesWhatCannotBeReadBack) {
  Write("[s]\r\nk=1\r\n");
  EXPECT_FALSE(WriteProfileString(Path(), "s", "k", "x\r\n[evil]\r\nk=2"));
  EXPECT_FALSE(WriteProfileString(Path(), "s", "a=b", "1"));
  EXPECT_FALSE(WriteProfileString(Path(), "s", ";k", "1"));
  EXPECT_FALSE(WriteProfileString(Path(), "s]x", "k", "1"));
  EXPECT_FALSE(WriteProfileString(Path(), "s", "\tk", "1"));
  EXPECT_EQ(Read(), "[s]\r\nk=1\r\n");
}

TEST_F(IniWrite, KeepsTheFileModeAndWritesThroughSymlinks) {
  Write("[s]\r\nk=1\r\n");
  ASSERT_EQ(chmod(Path().c_str(), 0640), 0);
  const auto link = m_dir.path() / "link.ini";
  std::filesystem::create_symlink(Path(), link);
  ASSERT_TRUE(WriteProfileString(link, "s", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Read(), "[s]\r\nk=2\r\n");
  EXPECT_EQ(std::filesystem::status(Path()).permissions(),
            std::filesystem::perms(0640));
}

TEST_F(IniWrite, FailsWithoutTouchingAnything) {
  // The target is a folder.
  std::filesystem::create_directory(Path());
  EXPECT_FALSE(WriteProfileString(Path(), "s", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(Path()));
  // The parent folder is missing (it is not created), or is a file.
  EXPECT_FALSE(WriteProfileString(m_dir.path() / "missing" / "x.ini", "s", "k", "v"));
  EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "missing"));
  const auto file = m_dir.Write("plain", "data");
  EXPECT_FALSE(WriteProfileString(file / "x.ini", "s", "k", "v"));
  EXPECT_EQ(test::ReadFile(file), "data");
  EXPECT_EQ(FilesInDir(), 2u);  // no temporary files left behind
}

TEST_F(IniWrite, ReadOnlyFolderLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const auto sub = m_dir.path() / "ro";
  const auto file = m_dir.Write("ro/cfg.ini", "[s]\r\nk=1\r\n");
  ASSERT_EQ(chmod(sub.c_str(), 0555), 0);
  EXPECT_FALSE(WriteProfileString(file, "s", "k", "2"));
  chmod(sub.c_str(), 0755);
  EXPECT_EQ(test::ReadFile(file), "[s]\r\nk=1\r\n");
}

TEST(SetProfileString, EmptyFileAndRepeatedWritesStayReadable) {
  std::string bytes;
  for (int i = 0; i < 3; ++i) {
    const std::string section = i % 2 ? "S1" : "S0";
    auto next = SetProfileString(bytes, section, "K", std::to_string(i));
    ASSERT_TRUE(next);
    bytes = *next;
  }
  EXPECT_EQ(bytes, "[S0]\r\nK=2\r\n[S1]\r\nK=1\r\n");
}

}  // namespace
}  // namespace varnel
