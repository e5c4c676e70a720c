#pragma once
// The small XML reader of the language files and the update check: load a file in any of the
// accepted encodings, parse it, and walk it with a cursor (rewind, find by name, enter, leave).
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

class XmlDoc {
 public:
  XmlDoc();
  ~XmlDoc();
  XmlDoc(const XmlDoc&) = delete;
  XmlDoc& operator=(const XmlDoc&) = delete;

  // Reads the whole file and converts it to UTF-8: UTF-8 with or without BOM, UTF-16 LE/BE with
  // BOM, an encoding named in the XML declaration (or an HTML meta charset) through iconv, else
  // the legacy code page. Embedded zero characters are removed. False when the file cannot be read.
  bool XmlLoad(const std::filesystem::path& path);
  bool XmlLoadBytes(std::string_view bytes);

  // Builds the element tree. False with ParseError() set ("No root element", "Empty document",
  // an element not ended, a mismatched end tag, an end tag without start tag; each with its
  // offset).
  bool XmlParse();
  const std::string& ParseError() const;

  // Cursor: XmlRewind goes back to the top level (before its first element); XmlFind moves to the
  // next element of that name at the current level after the cursor; XmlEnter moves into the
  // current element (before its first child); XmlLeave back to the element entered.
  void XmlRewind();
  bool XmlFind(std::string_view name);
  bool XmlEnter();
  bool XmlLeave();
  // Moves to the next element at the current level whatever its name; XmlName is the current
  // element's name (empty without one). Together they walk a level once, in document order.
  bool XmlNext();
  // The name stays valid until the next XmlLoad or XmlParse.
  std::string_view XmlName() const;
  // Character data of the current element, with the XML entities, numeric character references
  // and the HTML 4 named entities decoded. Empty without a current element.
  std::string XmlText() const;

  // The decoded UTF-8 text that XmlLoad produced.
  const std::string& Source() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// Decodes "&amp;", "&#233;", "&#xE9;" and the HTML 4 named entities ("&nbsp;", "&eacute;", …);
// unknown references stay as written.
std::string DecodeEntities(std::string_view text);

// The code point of a named entity (HTML 4 names and "apos"), case-sensitive; nullopt otherwise.
std::optional<char32_t> LookupNamedEntity(std::string_view name);
size_t NamedEntityCount();

}  // namespace varnel
