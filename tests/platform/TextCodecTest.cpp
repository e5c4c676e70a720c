#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "platform/TextCodec.h"

namespace varnel {
namespace {

using namespace std::string_literals;

const std::string kNiHao = "\xE4\xBD\xA0\xE5\xA5\xBD";  // 你好
const std::string kGrin = "\xF0\x9F\x98\x80";           // U+1F600
const std::string kFffd = "\xEF\xBF\xBD";

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::string utf8;
  TextEncoding encoding;
};

class Decode : public testing::TestWithParam<DecodeCase> {
 protected:
  test::ScopedEnv m_env{"VARNEL_CODEPAGE", nullptr};
};

TEST_P(Decode, DetectsAndDecodes) {
  const DecodeCase& c = GetParam();
  const DecodedText d = DecodeText(c.bytes);
  EXPECT_EQ(d.utf8, c.utf8);
  EXPECT_EQ(d.encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Decode,
    testing::Values(
        DecodeCase{"Empty", "", "", TextEncoding::Utf8},
        DecodeCase{"Ascii", "a=b\r\n", "a=b\r\n", TextEncoding::Utf8},
        DecodeCase{"Utf8", kNiHao, kNiHao, TextEncoding::Utf8},
        DecodeCase{"Utf8Bom", "\xEF\xBB\xBF" "a" + kNiHao, "a" + kNiHao, TextEncoding::Utf8Bom},
        DecodeCase{"Utf8BomInvalidRest", "\xEF\xBB\xBF" "a\xFF", "a" + kFffd,
                   TextEncoding::Utf8Bom},
        DecodeCase{"Utf16Le", "\xFF\xFE" "a\0\x60\x4F\x3D\xD8\x00\xDE"s, "a\xE4\xBD\xA0" + kGrin,
                   TextEncoding::Utf16Le},
        DecodeCase{"Utf16Be", "\xFE\xFF\0a\x4F\x60\xD8\x3D\xDE\x00"s, "a\xE4\xBD\xA0" + kGrin,
                   TextEncoding::Utf16Be},
        DecodeCase{"Utf16LoneHighSurrogate", "\xFF\xFE\x3D\xD8" "a\0"s, kFffd + "a",
                   TextEncoding::Utf16Le},
        DecodeCase{"Utf16LoneLowSurrogate", "\xFF\xFE\x00\xDE"s, kFffd, TextEncoding::Utf16Le},
        DecodeCase{"Utf16HighAtEnd", "\xFF\xFE" "a\0\x3D\xD8"s, "a" + kFffd,
                   TextEncoding::Utf16Le},
        DecodeCase{"Utf16OddByte", "\xFF\xFE" "a\0b"s, "a" + kFffd, TextEncoding::Utf16Le},
        DecodeCase{"GbkFallsToGb18030", "\xC4\xE3\xBA\xC3", kNiHao, TextEncoding::Legacy},
        DecodeCase{"LegacyInvalidByteReplaced", "a\xC4\xE3\xFF" "b", "a\xE4\xBD\xA0" + kFffd + "b",
                   TextEncoding::Legacy},
        DecodeCase{"LegacyTruncatedAtEnd", "\xC4\xE3\xBA", "\xE4\xBD\xA0" + kFffd,
                   TextEncoding::Legacy}),
    [](const testing::TestParamInfo<DecodeCase>& p) { return std::string(p.param.name); });

TEST(TextCodec, EncodeIsTheInverseOfDecodeWithBom) {
  test::ScopedEnv env("VARNEL_CODEPAGE", nullptr);
  const std::string text = "[s]\r\nk=" + kNiHao + kGrin + "\r\n";
  for (const TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16Le,
                               TextEncoding::Utf16Be, TextEncoding::Legacy}) {
    const std::string bytes = EncodeText(text, e);
    const DecodedText d = DecodeText(bytes);
    EXPECT_EQ(d.utf8, text) << static_cast<int>(e);
    EXPECT_EQ(d.encoding, e) << static_cast<int>(e);
  }
  EXPECT_EQ(EncodeText(kNiHao, TextEncoding::Legacy), "\xC4\xE3\xBA\xC3");
  EXPECT_EQ(EncodeText("a", TextEncoding::Utf16Be), "\xFE\xFF\0a"s);
  // Invalid UTF-8 never reaches a file as it is.
  EXPECT_EQ(EncodeText("a\xFF", TextEncoding::Utf8), "a" + kFffd);
}

TEST(TextCodec, CodePageFromEnvironment) {
  {
    test::ScopedEnv env("VARNEL_CODEPAGE", nullptr);
    EXPECT_EQ(LegacyCodePage(), "GB18030");
  }
  {
    test::ScopedEnv env("VARNEL_CODEPAGE", "CP1252");
    EXPECT_EQ(LegacyCodePage(), "CP1252");
    EXPECT_EQ(DecodeText("caf\xE9 \x80").utf8, "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(EncodeText("caf\xC3\xA9 " + kNiHao, TextEncoding::Legacy), "caf\xE9 ??");
  }
  {
    test::ScopedEnv env("VARNEL_CODEPAGE", "1252");  // a Windows code page number
    EXPECT_EQ(DecodeText("\x80").utf8, "\xE2\x82\xAC");
  }
  {
    test::ScopedEnv env("VARNEL_CODEPAGE", "NO-SUCH-CHARSET");  // falls back to GB18030
    EXPECT_EQ(DecodeText("\xC4\xE3\xBA\xC3").utf8, kNiHao);
  }
}

TEST(TextCodec, ConvertWithNamedCharset) {
  EXPECT_EQ(ConvertToUtf8("\xC4\xE3\xBA\xC3", "GB2312"), kNiHao);
  EXPECT_EQ(ConvertToUtf8("\xE9", "ISO-8859-1"), "\xC3\xA9");
  EXPECT_EQ(ConvertToUtf8("x", "NO-SUCH-CHARSET"), std::nullopt);
  EXPECT_EQ(ConvertToUtf8("\xC4", "GB2312"), std::nullopt);   // incomplete
  EXPECT_EQ(ConvertToUtf8("a\xFF", "UTF-8"), std::nullopt);   // invalid
  EXPECT_EQ(ConvertFromUtf8(kNiHao, "GB2312"), "\xC4\xE3\xBA\xC3");
  EXPECT_EQ(ConvertFromUtf8(kNiHao, "ISO-8859-1"), std::nullopt);  // not representable
  EXPECT_EQ(ConvertFromUtf8("a\xFF", "ISO-8859-1"), std::nullopt);
  EXPECT_EQ(ConvertFromUtf8("a", "NO-SUCH-CHARSET"), std::nullopt);
}

TEST(TextCodec, IsValidUtf8RejectsOverlongsSurrogatesAndOutOfRange) {
  for (const std::string& ok : {""s, "abc"s, kNiHao, kGrin, "\xF4\x8F\xBF\xBF"s, "\xC2\x80"s,
                               "\xE0\xA0\x80"s, "\xED\x9F\xBF"s}) {
    EXPECT_TRUE(IsValidUtf8(ok)) << ok;
  }
  for (const std::string& bad :
       {"\xC0\xAF"s, "\xC1\xBF"s, "\xE0\x80\xAF"s, "\xF0\x80\x80\xAF"s,  // overlong
        "\xED\xA0\x80"s, "\xED\xBF\xBF"s,                                 // surrogates
        "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s,                          // > U+10FFFF
        "\x80"s, "\xE4\xBD"s, "a\xFF"s, "\xE4\xBDx"s}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(bad);
  }
}

TEST(TextCodec, TruncateCharsCountsCodePoints) {
  const std::string s = "a" + kNiHao + kGrin;
  EXPECT_EQ(TruncateChars(s, 0), "");
  EXPECT_EQ(TruncateChars(s, 2), "a\xE4\xBD\xA0");
  EXPECT_EQ(TruncateChars(s, 3), "a" + kNiHao);
  EXPECT_EQ(TruncateChars(s, 4), s);
  EXPECT_EQ(TruncateChars(s, 100), s);
}

TEST(TextCodec, ReadFileBytesAndEqualsNoCase) {
  test::TempDir dir;
  const std::string bytes = "a\0b\xFF"s;
  EXPECT_EQ(ReadFileBytes(dir.Write("f.bin", bytes).string()), bytes);
  EXPECT_EQ(ReadFileBytes((dir.path() / "missing").string()), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir.path().string()), std::nullopt);  // a folder

  EXPECT_TRUE(EqualsNoCase("Check_NR.png", "check_nr.PNG"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_FALSE(EqualsNoCase("abc", "ab"));
  EXPECT_FALSE(EqualsNoCase("[", "{"));  // only letters fold
}

}  // namespace
}  // namespace varnel
