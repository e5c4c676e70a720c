// XML reader on pugixml. Loading turns the file into UTF-8 (BOM, declared charset, valid UTF-8 or
// the legacy code page); parsing keeps character data raw so that XmlText can decode both the XML
// and the HTML 4 named entities, which pugixml alone does not know.
#include "config/XmlDoc.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/TextCodec.h"

namespace varnel {
namespace {

// Declarations and meta tags are looked for in the head of the file only.
constexpr size_t kSniffBytes = 4096;
constexpr size_t kMaxCharsetName = 40;
// Longest reference body between '&' and ';' worth resolving ("&#x0010FFFF;", "&thetasym;").
constexpr size_t kMaxReference = 32;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0) {
  if (needle.empty() || hay.size() < needle.size()) return std::string_view::npos;
  for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && LowerAscii(hay[i + k]) == LowerAscii(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsCharsetChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

// Reads `charset-name` after "name" at pos: optional spaces, '=', optional spaces, optional quote.
std::optional<std::string> ReadAssignedName(std::string_view s, size_t pos) {
  while (pos < s.size() && IsSpace(s[pos])) ++pos;
  if (pos >= s.size() || s[pos] != '=') return std::nullopt;
  ++pos;
  while (pos < s.size() && IsSpace(s[pos])) ++pos;
  if (pos < s.size() && (s[pos] == '"' || s[pos] == '\'')) ++pos;
  size_t start = pos;
  while (pos < s.size() && IsCharsetChar(s[pos])) ++pos;
  if (pos == start || pos - start > kMaxCharsetName) return std::nullopt;
  return std::string(s.substr(start, pos - start));
}

// The charset named by <?xml ... encoding="X"?> at the start, else by an HTML meta tag
// (<meta charset="X"> or content="text/html; charset=X").
std::optional<std::string> DeclaredCharset(std::string_view bytes) {
  std::string_view head = bytes.substr(0, std::min(bytes.size(), kSniffBytes));
  size_t pos = 0;
  while (pos < head.size() && IsSpace(head[pos])) ++pos;
  if (head.substr(pos, 5) == "<?xml") {
    size_t end = head.find("?>", pos);
    std::string_view decl = head.substr(pos, end == std::string_view::npos ? head.npos : end - pos);
    size_t at = decl.find("encoding");
    if (at != std::string_view::npos) return ReadAssignedName(decl, at + 8);
  }
  for (size_t meta = FindNoCase(head, "<meta"); meta != std::string_view::npos;
       meta = FindNoCase(head, "<meta", meta + 5)) {
    size_t end = head.find('>', meta);
    std::string_view tag = head.substr(meta, end == std::string_view::npos ? head.npos : end - meta);
    size_t at = FindNoCase(tag, "charset");
    if (at != std::string_view::npos) {
      if (auto name = ReadAssignedName(tag, at + 7)) return name;
    }
  }
  return std::nullopt;
}

// A declared charset that says UTF-8 changes nothing; one that names a 16- or 32-bit Unicode form
// cannot be right for bytes in which we could read it as ASCII, so it is ignored as well.
bool CharsetNeedsConversion(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
  if (lower == "utf-8" || lower == "utf8") return false;
  for (std::string_view wide : {"utf-16", "utf16", "utf-32", "utf32", "ucs-2", "ucs2", "ucs-4",
                                "ucs4", "unicode"}) {
    if (lower.starts_with(wide)) return false;
  }
  return true;
}

std::string ToUtf8(std::string_view bytes) {
  const bool hasBom = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
                      bytes.starts_with("\xFE\xFF");
  if (!hasBom) {
    if (auto charset = DeclaredCharset(bytes); charset && CharsetNeedsConversion(*charset)) {
      if (auto converted = ConvertToUtf8(bytes, *charset)) return std::move(*converted);
    }
  }
  return DecodeText(bytes).utf8;
}

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// "#233", "#xE9" or a name; nullopt for anything that is not a valid character.
std::optional<char32_t> ResolveReference(std::string_view body) {
  if (body.empty()) return std::nullopt;
  if (body[0] != '#') return LookupNamedEntity(body);
  int base = 10;
  std::string_view digits = body.substr(1);
  if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  uint32_t cp = 0;
  for (char c : digits) {
    int d = DigitValue(c, base);
    if (d < 0) return std::nullopt;
    cp = cp * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
    if (cp > 0x10FFFF) return std::nullopt;
  }
  if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return static_cast<char32_t>(cp);
}

constexpr unsigned kParseFlags =
    (pugi::parse_default | pugi::parse_ws_pcdata) & ~pugi::parse_escapes;

bool ParsesClosed(std::string_view prefix) {
  pugi::xml_document probe;
  auto r = probe.load_buffer(prefix.data(), prefix.size(), kParseFlags, pugi::encoding_utf8);
  return r.status == pugi::status_ok || r.status == pugi::status_no_document_element;
}

std::string AtOffset(const char* what, size_t offset) {
  return std::string(what) + " at offset " + std::to_string(offset);
}

// pugixml reports every unbalanced tag as one status; tell the three cases apart. An end tag's
// offset points at its name, right after "</"; otherwise the document ended inside an element.
std::string MismatchMessage(std::string_view source, size_t offset) {
  if (offset >= 2 && offset <= source.size() && source.substr(offset - 2, 2) == "</") {
    const size_t tag = offset - 2;
    if (ParsesClosed(source.substr(0, tag))) return AtOffset("End tag without start tag", tag);
    return AtOffset("End tag does not match start tag", tag);
  }
  return AtOffset("Element not ended", source.size());
}

std::string ParseMessage(std::string_view source, const pugi::xml_parse_result& r) {
  const size_t offset = r.offset < 0 ? 0 : static_cast<size_t>(r.offset);
  switch (r.status) {
    case pugi::status_no_document_element: return "No root element";
    case pugi::status_end_element_mismatch: return MismatchMessage(source, offset);
    case pugi::status_bad_end_element: return AtOffset("Invalid end tag", offset);
    case pugi::status_bad_start_element: return AtOffset("Invalid start tag", offset);
    case pugi::status_bad_attribute: return AtOffset("Invalid attribute", offset);
    case pugi::status_bad_comment: return AtOffset("Invalid comment", offset);
    case pugi::status_bad_cdata: return AtOffset("Invalid CDATA section", offset);
    case pugi::status_bad_pi: return AtOffset("Invalid processing instruction", offset);
    case pugi::status_bad_doctype: return AtOffset("Invalid document type declaration", offset);
    case pugi::status_bad_pcdata: return AtOffset("Invalid character data", offset);
    case pugi::status_unrecognized_tag: return AtOffset("Unrecognized tag", offset);
    case pugi::status_out_of_memory: return "Out of memory";
    default: return AtOffset("Parse error", offset);
  }
}

}  // namespace

struct XmlDoc::Impl {
  std::string source;
  std::string error;
  pugi::xml_document doc;
  // Cursor: the level being walked, its current element (empty before the first one) and the
  // elements entered on the way down.
  pugi::xml_node parent;
  pugi::xml_node current;
  std::vector<pugi::xml_node> entered;

  void Rewind() {
    parent = doc;
    current = pugi::xml_node();
    entered.clear();
  }
  void Clear() {
    doc.reset();
    error.clear();
    Rewind();
  }
};

XmlDoc::XmlDoc() : m_impl(std::make_unique<Impl>()) { m_impl->Rewind(); }
XmlDoc::~XmlDoc() = default;

bool XmlDoc::XmlLoad(const std::filesystem::path& path) {
  auto bytes = ReadFileBytes(path.string());
  if (!bytes) {
    m_impl->source.clear();
    m_impl->Clear();
    return false;
  }
  return XmlLoadBytes(*bytes);
}

bool XmlDoc::XmlLoadBytes(std::string_view bytes) {
  m_impl->Clear();
  std::string text = ToUtf8(bytes);
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  m_impl->source = std::move(text);
  return true;
}

bool XmlDoc::XmlParse() {
  Impl& d = *m_impl;
  d.Clear();
  const std::string& src = d.source;
  if (std::all_of(src.begin(), src.end(), IsSpace)) {
    d.error = "Empty document";
    return false;
  }
  // The buffer is UTF-8 whatever its declaration says: the declaration named the file's charset.
  auto result = d.doc.load_buffer(src.data(), src.size(), kParseFlags, pugi::encoding_utf8);
  if (!result) {
    d.error = ParseMessage(src, result);
    d.doc.reset();  // never walk a half-built tree
    d.Rewind();
    return false;
  }
  d.Rewind();
  return true;
}

const std::string& XmlDoc::ParseError() const { return m_impl->error; }

void XmlDoc::XmlRewind() { m_impl->Rewind(); }

bool XmlDoc::XmlFind(std::string_view name) {
  Impl& d = *m_impl;
  pugi::xml_node n = d.current ? d.current.next_sibling() : d.parent.first_child();
  for (; n; n = n.next_sibling()) {
    if (n.type() == pugi::node_element && name == n.name()) {
      d.current = n;
      return true;
    }
  }
  return false;
}

bool XmlDoc::XmlNext() {
  Impl& d = *m_impl;
  pugi::xml_node n = d.current ? d.current.next_sibling() : d.parent.first_child();
  for (; n; n = n.next_sibling()) {
    if (n.type() == pugi::node_element) {
      d.current = n;
      return true;
    }
  }
  return false;
}

bool XmlDoc::XmlEnter() {
  Impl& d = *m_impl;
  if (!d.current) return false;
  d.entered.push_back(d.current);
  d.parent = d.current;
  d.current = pugi::xml_node();
  return true;
}

bool XmlDoc::XmlLeave() {
  Impl& d = *m_impl;
  if (d.entered.empty()) return false;
  d.current = d.entered.back();
  d.entered.pop_back();
  d.parent = d.current.parent();
  return true;
}

std::string_view XmlDoc::XmlName() const {
  return m_impl->current ? std::string_view(m_impl->current.name()) : std::string_view();
}

std::string XmlDoc::XmlText() const {
  std::string text;
  for (pugi::xml_node n = m_impl->current.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_pcdata) text += DecodeEntities(n.value());
    else if (n.type() == pugi::node_cdata) text += n.value();
  }
  return text;
}

const std::string& XmlDoc::Source() const { return m_impl->source; }

std::string DecodeEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, amp - i));
    std::string_view rest = text.substr(amp + 1, kMaxReference + 1);
    size_t semi = rest.find(';');
    std::optional<char32_t> cp;
    if (semi != std::string_view::npos) cp = ResolveReference(rest.substr(0, semi));
    if (cp) {
      AppendUtf8(out, *cp);
      i = amp + 1 + semi + 1;
    } else {
      out += '&';
      i = amp + 1;
    }
  }
  return out;
}

}  // namespace varnel
