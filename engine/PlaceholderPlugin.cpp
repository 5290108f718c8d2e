#include "PlaceholderPlugin.h"

#include "PluginRegistry.h"
#include "XmlText.h"

PlaceholderPlugin::PlaceholderPlugin() : m_action(this), m_shortcut(this) {}

PlaceholderPlugin::~PlaceholderPlugin() { ForgetAll(); }

HICON PlaceholderPlugin::GetIcon() {
  // Icon 2 of the main program. Shared: the lists draw it often and nobody frees it.
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), IMAGE_ICON,
                                       0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

namespace {

// A reference to an entity that the file does not declare (it may name an external DTD,
// which is never read) becomes nothing: the written file has no DOCTYPE, and a reference
// left in it would stop the next start-up.
void DropEntityReferences(xmlNode* node) {
  while (node != nullptr) {
    xmlNode* next = node->next;
    if (node->type == XML_ENTITY_REF_NODE) {
      xmlUnlinkNode(node);
      xmlFreeNode(node);
    } else if (node->type == XML_ELEMENT_NODE) {
      for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) DropEntityReferences(attr->children);
      DropEntityReferences(node->children);
    }
    node = next;
  }
}

bool IsOwnAttribute(const xmlAttr* attr, const char* const* own) {
  if (attr->ns != nullptr) return false;
  for (; *own != nullptr; ++own)
    if (xmlStrEqual(attr->name, X(*own))) return true;
  return false;
}

// The element copied into the keeping document with its children and the attributes that are
// not Tambrel's own (none when attributes is false).
xmlNode* KeptCopy(xmlDocPtr kept, const xmlNode* element, const char* const* own, bool attributes) {
  xmlNode* copy = xmlDocCopyNode(const_cast<xmlNode*>(element), kept, 1);
  if (copy == nullptr) return nullptr;
  for (xmlAttr* attr = copy->properties; attr != nullptr;) {
    xmlAttr* next = attr->next;
    if (!attributes || IsOwnAttribute(attr, own)) xmlRemoveProp(attr);
    attr = next;
  }
  DropEntityReferences(copy);
  return copy;
}

// Back into an element the writer made: the kept attributes after the ones it set, then the
// children.
void WriteKept(const xmlNode* kept, xmlNode* element) {
  xmlAttr* last = element->properties;
  while (last != nullptr && last->next != nullptr) last = last->next;
  for (const xmlAttr* attr = kept->properties; attr != nullptr; attr = attr->next) {
    // Made for the element (its namespace found there), but not linked in.
    xmlAttr* copy = xmlCopyProp(element, const_cast<xmlAttr*>(attr));
    if (copy == nullptr) continue;
    if (xmlHasNsProp(element, copy->name, copy->ns != nullptr ? copy->ns->href : nullptr) != nullptr) {
      xmlFreeProp(copy);  // the name is taken already
      continue;
    }
    copy->prev = last;
    if (last != nullptr)
      last->next = copy;
    else
      element->properties = copy;
    last = copy;
  }
  if (kept->children != nullptr) xmlAddChildList(element, xmlDocCopyNodeList(element->doc, kept->children));
}

void Replace(std::map<std::string, xmlNode*>& map, const std::string& key, xmlNode* node) {
  auto it = map.find(key);
  if (it != map.end()) xmlFreeNode(it->second);
  map[key] = node;
}

}  // namespace

void PlaceholderPlugin::KeepSettings(const char* guid, const xmlNode* pluginElement) {
  static const char* const kOwn[] = {"guid", "active", nullptr};
  if (m_kept == nullptr) m_kept = xmlNewDoc(X("1.0"));
  if (xmlNode* copy = KeptCopy(m_kept, pluginElement, kOwn, true)) Replace(m_settings, guid, copy);
}

void PlaceholderPlugin::KeepSide(int actionId, bool shortcut, const xmlNode* element, bool attributes) {
  static const char* const kOwn[] = {"plugin", nullptr};
  if (m_kept == nullptr) m_kept = xmlNewDoc(X("1.0"));
  ForgetSide(actionId, shortcut);
  if (xmlNode* copy = KeptCopy(m_kept, element, kOwn, attributes)) m_sides[Side(actionId, shortcut)] = copy;
}

void PlaceholderPlugin::ForgetSide(int actionId, bool shortcut) {
  auto it = m_sides.find(Side(actionId, shortcut));
  if (it == m_sides.end()) return;
  xmlFreeNode(it->second);
  m_sides.erase(it);
}

void PlaceholderPlugin::ForgetAll() {
  // The copies are not in the document's tree: each goes by itself, before the document.
  for (auto& kept : m_settings) xmlFreeNode(kept.second);
  for (auto& kept : m_sides) xmlFreeNode(kept.second);
  m_settings.clear();
  m_sides.clear();
  if (m_kept != nullptr) xmlFreeDoc(m_kept);
  m_kept = nullptr;
}

void PlaceholderPlugin::SaveSettings(xmlNode* pluginElement) {
  char guid[40];
  CopyGuid(guid, AttributeText(pluginElement, "guid").c_str());
  auto it = m_settings.find(guid);
  if (it != m_settings.end()) WriteKept(it->second, pluginElement);
}

void PlaceholderPlugin::WriteSide(int actionId, bool shortcut, xmlNode* element) {
  auto it = m_sides.find(Side(actionId, shortcut));
  if (it != m_sides.end()) WriteKept(it->second, element);
}
