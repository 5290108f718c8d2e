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

std::wstring Utf8ToWide(const xmlChar* text) {
  if (text == nullptr || *text == '\0') return std::wstring();
  const char* utf8 = reinterpret_cast<const char*>(text);
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (length <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

namespace {

// A node's content or an attribute's value in the form Convert makes of UTF-8.
template <typename Text, Text (*Convert)(const xmlChar*)>
Text ContentAs(const xmlNode* node) {
  if (node == nullptr) return Text();
  switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return Convert(node->content);  // what xmlNodeGetContent copies, without the copy
    default: {
      xmlChar* content = xmlNodeGetContent(node);
      Text text = Convert(content);
      xmlFree(content);
      return text;
    }
  }
}

template <typename Text, Text (*Convert)(const xmlChar*)>
Text AttributeAs(const xmlNode* node, const char* name, bool* present) {
  // xmlGetProp copies; it is left for values of several parts and for a missing attribute,
  // which a DTD may still give a value.
  if (const xmlChar* plain = PlainAttributeValue(node, name)) {
    if (present != nullptr) *present = true;
    return Convert(plain);
  }
  xmlChar* value = xmlGetProp(node, X(name));
  if (present != nullptr) *present = value != nullptr;
  Text text = Convert(value);
  xmlFree(value);
  return text;
}

}  // namespace

std::string ContentText(const xmlNode* node) { return ContentAs<std::string, Utf8ToAnsi>(node); }

std::string FirstChildText(const xmlNode* node) {
  return node == nullptr ? std::string() : ContentText(node->children);
}

std::wstring FirstChildWideText(const xmlNode* node) {
  return node == nullptr ? std::wstring() : ContentAs<std::wstring, Utf8ToWide>(node->children);
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
  return AttributeAs<std::string, Utf8ToAnsi>(node, name, present);
}

std::wstring AttributeWideText(const xmlNode* node, const char* name) {
  return AttributeAs<std::wstring, Utf8ToWide>(node, name, nullptr);
}
