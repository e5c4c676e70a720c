// Feeds arbitrary bytes through the language loader: decoding, parsing, the per-key reads, the
// cursor and the entity decoder.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/LangText.h"
#include "config/XmlDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  varnel::LoadLangTextBytes(bytes);
  varnel::XmlDoc doc;
  doc.XmlLoadBytes(bytes);
  if (doc.XmlParse()) {
    (void)varnel::GetText(doc, "config", "tc_title");
    doc.XmlRewind();
    while (doc.XmlNext()) {
      (void)doc.XmlText();
      if (doc.XmlEnter()) {
        while (doc.XmlNext()) (void)doc.XmlText();
        doc.XmlLeave();
      }
    }
  }
  (void)varnel::DecodeEntities(doc.Source());
  return 0;
}
