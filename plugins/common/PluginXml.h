// libxml2 for the plugins: conf.xml's nodes carry UTF-8, the plugins' texts are in the
// system code page.
#ifndef TAMBRELPLUG_PLUGINXML_H
#define TAMBRELPLUG_PLUGINXML_H

#include <libxml/tree.h>

#include <string>

#include "XmlText.h"

// The element named name among node and its following siblings, that has a child; null if none.
xmlNode* FindElementWithChild(xmlNode* node, const char* name);
// The content of node itself (the first child of an element, as plugins are handed it).
std::string NodeText(const xmlNode* node);
void AddTextChild(xmlNode* parent, const char* name, const std::string& text);
void AddTextChild(xmlNode* parent, const char* name, const std::wstring& text);  // names and paths, whole
void AddContent(xmlNode* element, const char* text);
inline void AddContent(xmlNode* element, const std::string& text) { AddContent(element, text.c_str()); }

#endif
