#include "PluginXml.h"

xmlNode* FindElementWithChild(xmlNode* node, const char* name) {
  for (; node != nullptr; node = node->next)
    if (IsElement(node, name) && node->children != nullptr) return node;
  return nullptr;
}

std::string NodeText(const xmlNode* node) {
  if (node == nullptr) return std::string();  // an empty element has no child at all
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = Utf8ToAnsi(content);
  xmlFree(content);
  return text;
}

void AddTextChild(xmlNode* parent, const char* name, const std::string& text) {
  xmlNewTextChild(parent, nullptr, X(name), X(AnsiToUtf8(text.c_str()).c_str()));
}

void AddContent(xmlNode* element, const std::string& text) {
  xmlNodeAddContent(element, X(AnsiToUtf8(text.c_str()).c_str()));
}
