#include "config/XmlDoc.h"

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace varnel {
namespace {

std::string Utf16(std::u16string_view s, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : s) {
    char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

std::string TextOf(XmlDoc& doc, std::string_view outer, std::string_view inner) {
  doc.XmlRewind();
  if (!doc.XmlFind(outer) || !doc.XmlEnter() || !doc.XmlFind(inner)) return "<missing>";
  return doc.XmlText();
}

struct EncodingCase {
  const char* name;
  std::string bytes;
  std::string expected;
};

TEST(XmlDocEncoding, DecodesEveryAcceptedEncoding) {
  test::ScopedEnv codepage("VARNEL_CODEPAGE", nullptr);
  const EncodingCase cases[] = {
      {"utf8", "<config><t>caf\xC3\xA9 \xE4\xBD\xA0</t></config>", "caf\xC3\xA9 \xE4\xBD\xA0"},
      {"utf8 bom", "\xEF\xBB\xBF<config><t>caf\xC3\xA9</t></config>", "caf\xC3\xA9"},
      {"utf16le bom", Utf16(u"<config><t>caf\u00E9 \u4F60</t></config>", false),
       "caf\xC3\xA9 \xE4\xBD\xA0"},
      {"utf16be bom", Utf16(u"<config><t>\u4F60\u597D</t></config>", true),
       "\xE4\xBD\xA0\xE5\xA5\xBD"},
      {"declared gb2312",
       "<?xml version=\"1.0\" encoding=\"GB2312\"?><config><t>\xC4\xE3\xBA\xC3</t></config>",
       "\xE4\xBD\xA0\xE5\xA5\xBD"},
      {"declared latin1", "<?xml version='1.0' encoding='ISO-8859-1'?><config><t>caf\xE9</t></config>",
       "caf\xC3\xA9"},
      {"meta charset",
       "<config><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"/>"
       "<t>caf\xE9</t></config>",
       "caf\xC3\xA9"},
      {"unknown charset, utf8 bytes",
       "<?xml version=\"1.0\" encoding=\"x-no-such\"?><config><t>\xC3\xA9</t></config>", "\xC3\xA9"},
      {"legacy code page", "<config><t>\xC4\xE3\xBA\xC3</t></config>", "\xE4\xBD\xA0\xE5\xA5\xBD"},
      {"embedded nul", std::string("<config><t>a\0b</t>\0</config>", 28), "ab"},
      {"utf16 embedded nul", Utf16(std::u16string(u"<config><t>a\0b</t></config>", 27), false), "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XmlDoc doc;
    ASSERT_TRUE(doc.XmlLoadBytes(c.bytes));
    EXPECT_EQ(doc.Source().find('\0'), std::string::npos);
    ASSERT_TRUE(doc.XmlParse()) << doc.ParseError();
    EXPECT_EQ(TextOf(doc, "config", "t"), c.expected);
  }
}

TEST(XmlDocEncoding, LoadsFileAndFailsOnMissingFile) {
  test::TempDir dir;
  XmlDoc doc;
  EXPECT_FALSE(doc.XmlLoad(dir.path() / "none.xml"));
  ASSERT_TRUE(doc.XmlLoad(dir.Write("a.xml", Utf16(u"<r><t>x</t></r>", false))));
  ASSERT_TRUE(doc.XmlParse());
  EXPECT_EQ(TextOf(doc, "r", "t"), "x");
}

TEST(XmlDocParse, ReportsProblemsWithOffsets) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "Empty document"},
      {" \r\n\t", "Empty document"},
      {"<?xml version='1.0'?><!-- only a comment -->", "No root element"},
      {"<a><b>x", "Element not ended at offset 7"},
      {"<a><b></a>", "End tag does not match start tag at offset 6"},
      {"<a></a></b>", "End tag without start tag at offset 7"},
      {"</b>", "End tag without start tag at offset 0"},
  };
  for (const auto& [xml, message] : cases) {
    SCOPED_TRACE(xml);
    XmlDoc doc;
    doc.XmlLoadBytes(xml);
    EXPECT_FALSE(doc.XmlParse());
    EXPECT_EQ(doc.ParseError(), message);
    doc.XmlRewind();
    EXPECT_FALSE(doc.XmlNext());  // no half-built tree to walk
  }
}

class XmlCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.XmlLoadBytes("<r><a>1</a><b>2<c>3</c></b><a>4</a></r><r2/>");
    ASSERT_TRUE(doc.XmlParse()) << doc.ParseError();
  }
  XmlDoc doc;
};

TEST_F(XmlCursor, FindEnterLeaveRewind) {
  EXPECT_EQ(doc.XmlText(), "");
  EXPECT_FALSE(doc.XmlEnter());
  EXPECT_FALSE(doc.XmlLeave());
  EXPECT_FALSE(doc.XmlFind("a"));  // not at the top level
  ASSERT_TRUE(doc.XmlFind("r"));
  ASSERT_TRUE(doc.XmlEnter());
  ASSERT_TRUE(doc.XmlFind("a"));
  EXPECT_EQ(doc.XmlText(), "1");
  ASSERT_TRUE(doc.XmlFind("a"));
  EXPECT_EQ(doc.XmlText(), "4");
  EXPECT_FALSE(doc.XmlFind("a"));
  EXPECT_EQ(doc.XmlText(), "4");  // a failed find keeps the cursor

  doc.XmlRewind();
  ASSERT_TRUE(doc.XmlFind("r") && doc.XmlEnter() && doc.XmlFind("b") && doc.XmlEnter());
  ASSERT_TRUE(doc.XmlFind("c"));
  EXPECT_EQ(doc.XmlText(), "3");
  ASSERT_TRUE(doc.XmlLeave());
  EXPECT_EQ(doc.XmlName(), "b");
  EXPECT_EQ(doc.XmlText(), "2");
  ASSERT_TRUE(doc.XmlFind("a"));  // continues after b
  EXPECT_EQ(doc.XmlText(), "4");
  ASSERT_TRUE(doc.XmlLeave());
  EXPECT_EQ(doc.XmlName(), "r");
  EXPECT_TRUE(doc.XmlFind("r2"));
  EXPECT_FALSE(doc.XmlLeave());
}

TEST(XmlText, ConcatenatesCharacterDataAndKeepsCdataRaw) {
  XmlDoc doc;
  doc.XmlLoadBytes("<r><t>a&amp;b<![CDATA[&amp;<x>]]><i>skip</i> c&nbsp;</t></r>");
  ASSERT_TRUE(doc.XmlParse());
  EXPECT_EQ(TextOf(doc, "r", "t"), "a&b&amp;<x> c\xC2\xA0");
}

TEST(Entities, DecodesKnownReferencesAndKeepsOthers) {
  const std::pair<const char*, const char*> cases[] = {
      {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
      {"&nbsp;", "\xC2\xA0"},
      {"&eacute;&Eacute;", "\xC3\xA9\xC3\x89"},
      {"&euro;", "\xE2\x82\xAC"},
      {"&thetasym;&hearts;&yuml;&fnof;", "\xCF\x91\xE2\x99\xA5\xC3\xBF\xC6\x92"},
      {"&#x4F60;&#X4F60;&#20320;", "\xE4\xBD\xA0\xE4\xBD\xA0\xE4\xBD\xA0"},
      {"&#233;&#x1F600;", "\xC3\xA9\xF0\x9F\x98\x80"},
      {"&foo; &Nbsp; &amp", "&foo; &Nbsp; &amp"},
      {"&#0;&#xD800;&#x110000;&#99999999999;&#;&#x;&#12a;", "&#0;&#xD800;&#x110000;&#99999999999;&#;&#x;&#12a;"},
      {"a & b &amp; c", "a & b & c"},
      {"&&amp;;", "&&;"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DecodeEntities(in), out) << in;
  EXPECT_EQ(NamedEntityCount(), 253u);  // the 252 of HTML 4 and &apos;
}

}  // namespace
}  // namespace varnel
