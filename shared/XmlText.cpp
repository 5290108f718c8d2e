#include "XmlText.h"

#include <windows.h>

static std::string Convert(const char* text, UINT from, UINT to) {
  if (text == nullptr || *text == '\0') return std::string();
  const char* p = text;
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80) ++p;
  if (*p == '\0') return std::string(text, p);  // ASCII reads the same in both
  int wide = MultiByteToWideChar(from, 0, text, -1, nullptr, 0);
  if (wide <= 0) return std::string();
  std::wstring buffer(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(from, 0, text, -1, &buffer[0], wide);
  int narrow = WideCharToMultiByte(to, 0, buffer.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return std::string();
  std::string result(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(to, 0, buffer.c_str(), -1, &result[0], narrow, nullptr, nullptr);
  result.resize(static_cast<size_t>(narrow) - 1);
  return result;
}

std::string AnsiToUtf8(const char* text) { return Convert(text, CP_ACP, CP_UTF8); }

Utf8Text::Utf8Text(const char* text) : m_text("") {
  if (text == nullptr) return;
  if (IsAscii(X(text))) {
    m_text = text;
  } else {
    m_converted = AnsiToUtf8(text);
    m_text = m_converted.c_str();
  }
}

std::string Utf8ToAnsi(const xmlChar* text) {
  return Convert(reinterpret_cast<const char*>(text), CP_UTF8, CP_ACP);
}

std::string ContentText(const xmlNode* node) {
  if (node == nullptr) return std::string();
  switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return Utf8ToAnsi(node->content);  // what xmlNodeGetContent copies, without the copy
    default: {
      xmlChar* content = xmlNodeGetContent(node);
      std::string text = Utf8ToAnsi(content);
      xmlFree(content);
      return text;
    }
  }
}

std::string FirstChildText(const xmlNode* node) {
  return node == nullptr ? std::string() : ContentText(node->children);
}

bool IsAscii(const xmlChar* text) {
  while (*text != '\0' && *text < 0x80) ++text;
  return *text == '\0';
}

const xmlChar* PlainAttributeValue(const xmlNode* node, const char* name) {
  if (node == nullptr || node->type != XML_ELEMENT_NODE) return nullptr;
  for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
    if (!xmlStrEqual(attr->name, X(name))) continue;  // the first of the name, as xmlGetProp
    const xmlNode* value = attr->children;
    if (value != nullptr && value->next == nullptr && value->content != nullptr &&
        (value->type == XML_TEXT_NODE || value->type == XML_CDATA_SECTION_NODE))
      return value->content;
    return nullptr;
  }
  return nullptr;
}

std::string AttributeText(const xmlNode* node, const char* name, bool* present) {
  // xmlGetProp copies; it is left for values of several parts and for a missing attribute,
  // which a DTD may still give a value.
  if (const xmlChar* plain = PlainAttributeValue(node, name)) {
    if (present != nullptr) *present = true;
    return Utf8ToAnsi(plain);
  }
  xmlChar* value = xmlGetProp(node, X(name));
  if (present != nullptr) *present = value != nullptr;
  std::string text = Utf8ToAnsi(value);
  xmlFree(value);
  return text;
}
