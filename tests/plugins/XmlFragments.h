// conf.xml fragments for the plugin tests: parse one, and what a plugin saves into an element.
#ifndef TAMBREL_TESTS_XMLFRAGMENTS_H
#define TAMBREL_TESTS_XMLFRAGMENTS_H

#include <libxml/tree.h>
#include <string.h>

#include <string>

#include "TambrelPlugin.h"

inline xmlNode* Parse(xmlDocPtr* doc, const char* xml) {
  *doc = xmlReadMemory(xml, static_cast<int>(strlen(xml)), "t.xml", nullptr, 0);
  return xmlDocGetRootElement(*doc);
}

// An element of this name as text, after fill has written into it.
template <typename Fill>
std::string Written(const char* name, Fill fill) {
  xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
  xmlNode* element = xmlNewNode(nullptr, BAD_CAST name);
  xmlDocSetRootElement(doc, element);
  fill(element);
  xmlBufferPtr buffer = xmlBufferCreate();
  xmlNodeDump(buffer, doc, element, 0, 0);
  std::string text = reinterpret_cast<const char*>(xmlBufferContent(buffer));
  xmlBufferFree(buffer);
  xmlFreeDoc(doc);
  return text;
}

// An "actiontype" element after the action type's Save of binding id.
inline std::string Saved(ActionType* type, int id) {
  return Written("actiontype", [&](xmlNode* element) { type->Save(id, element); });
}

// A plugin's element after its SaveSettings.
inline std::string SavedSettings(Plugin* plugin) {
  return Written("plugin", [&](xmlNode* element) { plugin->SaveSettings(element); });
}

#endif
