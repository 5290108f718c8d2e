// Tambrel's texts are 8-bit in the system code page; libxml2's are UTF-8. Every text crosses
// through these two.
#ifndef TAMBREL_XMLTEXT_H
#define TAMBREL_XMLTEXT_H

#include <libxml/tree.h>

#include <string>

std::string AnsiToUtf8(const char* text);
std::string Utf8ToAnsi(const xmlChar* text);  // null is empty text
// Names and paths keep every character: UTF-16 inside Tambrel, UTF-8 in the file. Invalid
// UTF-8 becomes U+FFFD, as libxml2 never hands it over.
std::wstring Utf8ToWide(const xmlChar* text);  // null is empty text
std::string WideToUtf8(const std::wstring& text);

inline const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// A text in UTF-8 for one libxml2 call; plain ASCII, most texts, is handed over as it is.
class Utf8Text {
 public:
  explicit Utf8Text(const char* text);  // null is empty text
  Utf8Text(const Utf8Text&) = delete;
  Utf8Text& operator=(const Utf8Text&) = delete;
  const xmlChar* Get() const { return X(m_text); }

 private:
  std::string m_converted;
  const char* m_text;
};

// The content of node itself, as xmlNodeGetContent gives it; empty for null.
std::string ContentText(const xmlNode* node);

// The text of a node's first child, as the plugins and the reader take element values:
// empty when there is no child or the child has no content.
std::string FirstChildText(const xmlNode* node);
// The same for names and paths, whole.
std::wstring FirstChildWideText(const xmlNode* node);

bool IsAscii(const xmlChar* text);

// The value of the attribute of that name where it is one text, the common case, read in
// place; null otherwise (also when there is no such attribute).
const xmlChar* PlainAttributeValue(const xmlNode* node, const char* name);

// An attribute's value in the system code page; present tells whether it exists at all.
std::string AttributeText(const xmlNode* node, const char* name, bool* present = nullptr);
// The same for names and paths, whole.
std::wstring AttributeWideText(const xmlNode* node, const char* name);

inline bool IsElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, X(name)) == 0;
}

#endif
