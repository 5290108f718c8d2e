#include "PluginXml.h"

xmlNode* FindElementWithChild(xmlNode* node, const char* name) {
  for (; node != nullptr; node = node->next)
    if (IsElement(node, name) && node->children != nullptr) return node;
  return nullptr;
}

std::string NodeText(const xmlNode* node) {
  return ContentText(node);  // an empty element has no child at all: empty text
}

void AddTextChild(xmlNode* parent, const char* name, const std::string& text) {
  xmlNewTextChild(parent, nullptr, X(name), Utf8Text(text.c_str()).Get());
}

void AddTextChild(xmlNode* parent, const char* name, const std::wstring& text) {
  xmlNewTextChild(parent, nullptr, X(name), X(WideToUtf8(text).c_str()));
}

void AddContent(xmlNode* element, const char* text) {
  xmlNodeAddContent(element, Utf8Text(text).Get());
}
