#include "ConfigWriter.h"

#include <libxml/tree.h>
#include <stdio.h>
#include <string.h>

#include <set>

#include "../engine/Engine.h"
#include "FormattedXml.h"
#include "XmlText.h"

static const double kConfigVersion = 2.01;

namespace {

// value in UTF-8: the booleans are ASCII, and the log file's name is a path of any characters.
void AddOption(xmlNode* options, const char* name, const char* value) {
  xmlNode* option = xmlNewTextChild(options, nullptr, X("option"), X(value));
  xmlNewProp(option, X("name"), X(name));
}

std::string VersionText() {
  char version[16];
  snprintf(version, sizeof version, "%1.2f", kConfigVersion);
  size_t length = strlen(version);
  if (length > 0 && version[length - 1] == '0') version[length - 1] = '\0';
  return version;
}

// Whether the element's first attribute is plugin, with the GUID text of the record: its
// first 38 characters, as written.
bool HasPluginAttribute(const xmlNode* element, const PluginRecord& record) {
  const xmlAttr* attr = element->properties;
  if (attr == nullptr || attr->ns != nullptr || !xmlStrEqual(attr->name, X("plugin"))) return false;
  const xmlNode* value = attr->children;
  if (value == nullptr || value->next != nullptr || value->type != XML_TEXT_NODE || value->content == nullptr)
    return false;
  size_t length = strnlen(record.guid, 38);
  const char* text = reinterpret_cast<const char*>(value->content);
  return strncmp(text, record.guid, length) == 0 && text[length] == '\0';
}

void SetPluginAttribute(xmlNode* element, const PluginRecord& record) {
  if (HasPluginAttribute(element, record)) return;  // the element is used again
  char guid[39];
  size_t length = strnlen(record.guid, 38);
  memcpy(guid, record.guid, length);
  guid[length] = '\0';
  xmlSetProp(element, X("plugin"), X(guid));
}

// A document with its root element, which holds the version.
xmlDocPtr NewDocument(bool names) {
  xmlDocPtr doc = xmlNewDoc(X("1.0"));
  if (names) doc->dict = xmlDictCreate();  // element names are kept once, not per node
  xmlNode* root = xmlNewDocNode(doc, nullptr, X("tambrel"), nullptr);
  xmlDocSetRootElement(doc, root);
  xmlNewProp(root, X("version"), X(VersionText().c_str()));
  return doc;
}

xmlNode* AddOptions(TambrelEngine* engine, xmlNode* root) {
  const EngineOptions& o = engine->Options();
  xmlNode* options = xmlNewChild(root, nullptr, X("options"), nullptr);
  AddOption(options, "log", engine->BoolToText(o.log));
  AddOption(options, "autoactive", engine->BoolToText(o.autoActive));
  AddOption(options, "autoshow", engine->BoolToText(o.autoShow));
  AddOption(options, "hookactive", engine->BoolToText(o.hookActive));
  AddOption(options, "logfile", WideToUtf8(o.logFile).c_str());
  xmlNode* keys = xmlNewChild(options, nullptr, X("option"), nullptr);
  xmlNewProp(keys, X("name"), X("keys"));
  for (const KeyInfo& key : engine->Keys()) {
    xmlNode* element = xmlNewTextChild(keys, nullptr, X("key"), Utf8Text(key.text).Get());
    xmlNewProp(element, X("code"), X(std::to_string(key.vk).c_str()));
    xmlNewProp(element, X("name"), Utf8Text(key.name).Get());
  }
  return options;
}

// Missing plugins included: their placeholder writes back what was kept for them. With
// used, only the plugins of those ids.
xmlNode* AddPlugins(TambrelEngine* engine, xmlNode* root, const std::set<int>* used = nullptr) {
  xmlNode* plugins = xmlNewChild(root, nullptr, X("plugins"), nullptr);
  for (PluginRecord& record : engine->Registry()) {
    if (used != nullptr && used->count(engine->Registry().IdOf(record)) == 0) continue;
    xmlNode* element = xmlNewChild(plugins, nullptr, X("plugin"), nullptr);
    xmlNewProp(element, X("guid"), X(std::string(record.guid, strnlen(record.guid, 38)).c_str()));
    xmlNewProp(element, X("active"), X(engine->BoolToText(record.active)));
    record.plugin->SaveSettings(element);
  }
  return plugins;
}

// One side of a binding: its plugin attribute, then what its plugin adds.
void SaveSide(int actionId, bool shortcut, PluginRecord* record, xmlNode* element) {
  SetPluginAttribute(element, *record);
  if (shortcut)
    record->plugin->GetShortcutType()->Save(actionId, element);
  else
    record->plugin->GetActionType()->Save(actionId, element);
}

struct DocumentOwner {
  xmlDocPtr doc;
  ~DocumentOwner() { xmlFreeDoc(doc); }
};

// The whole document at once, as libxml2 writes it; with only, a document of those bindings
// and their plugins, without options.
bool WriteDocument(TambrelEngine* engine, std::string* out, const std::set<int>* only = nullptr) {
  DocumentOwner owner{NewDocument(false)};
  xmlNode* root = xmlDocGetRootElement(owner.doc);
  if (only == nullptr) {
    AddOptions(engine, root);
    AddPlugins(engine, root);
  } else {
    std::set<int> used;
    for (int id : *only) {
      auto it = engine->Actions().find(id);
      if (it == engine->Actions().end()) continue;
      used.insert(it->second.shortcutPluginId);
      used.insert(it->second.actionPluginId);
    }
    AddPlugins(engine, root, &used);
  }
  xmlNode* actions = xmlNewChild(root, nullptr, X("actions"), nullptr);
  for (auto& entry : engine->Actions()) {
    if (only != nullptr && only->count(entry.first) == 0) continue;
    PluginRecord* shortcut = engine->FindPlugin(entry.second.shortcutPluginId);
    PluginRecord* action = engine->FindPlugin(entry.second.actionPluginId);
    // Both sides always name registry records; a binding that does not is never written.
    if (shortcut == nullptr || action == nullptr) continue;
    xmlNode* element = xmlNewChild(actions, nullptr, X("action"), nullptr);
    SaveSide(entry.first, true, shortcut, xmlNewChild(element, nullptr, X("shortcut"), nullptr));
    SaveSide(entry.first, false, action, xmlNewChild(element, nullptr, X("actiontype"), nullptr));
  }
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpFormatMemory(owner.doc, &text, &size, 1);
  if (text == nullptr) return false;
  out->assign(reinterpret_cast<char*>(text), static_cast<size_t>(size));
  xmlFree(text);
  return true;
}

// The element of one side of the binding as the writer made it: its name and first its
// plugin attribute, under the binding's element.
bool SideAsMade(const xmlNode* side, const xmlNode* action, const char* name, const PluginRecord& record) {
  return side->parent == action && side->ns == nullptr && side->nsDef == nullptr && xmlStrEqual(side->name, X(name)) &&
         HasPluginAttribute(side, record);
}

// Ready for the next binding: no children, no attribute but the plugin attribute.
void ClearSide(xmlNode* element) {
  xmlFreeNodeList(element->children);
  element->children = element->last = nullptr;
  if (element->properties != nullptr && element->properties->next != nullptr) {
    xmlFreePropList(element->properties->next);
    element->properties->next = nullptr;
  }
}

// The same bytes as WriteDocument without the whole tree: options and plugins are built and
// written, then each binding in turn in one action element that is used again, so that a
// binding costs only the nodes its plugins add. False when a plugin's data is more than the
// formatted writer knows, or a plugin changed the tree beyond its own element: the file is
// then written whole.
bool WriteStreamed(TambrelEngine* engine, std::string* out, BetweenParts between, bool headOnly, size_t* headLength) {
  if (!FormattingIsDefault()) return false;
  DocumentOwner owner{NewDocument(true)};
  xmlNode* root = xmlDocGetRootElement(owner.doc);
  xmlNode* options = AddOptions(engine, root);
  xmlNode* plugins = AddPlugins(engine, root);
  if (root->children != options || options->next != plugins || plugins->next != nullptr ||
      root->properties == nullptr || root->properties->next != nullptr)
    return false;
  // Appended, not assigned: the caller's text keeps the room it was given.
  out->append("<?xml version=\"1.0\"?>\n<tambrel version=\"");
  out->append(VersionText());
  out->append("\">\n");
  for (xmlNode* part : {options, plugins}) {
    *out += "  ";
    if (!AppendFormatted(out, part, 1)) return false;
    *out += '\n';
    xmlUnlinkNode(part);
    xmlFreeNode(part);
  }
  if (headLength != nullptr) *headLength = out->size();
  if (headOnly) return true;

  xmlNode* actions = xmlNewChild(root, nullptr, X("actions"), nullptr);
  xmlNode* action = xmlNewChild(actions, nullptr, X("action"), nullptr);
  xmlNode* shortcut = xmlNewChild(action, nullptr, X("shortcut"), nullptr);
  xmlNode* actionType = xmlNewDocNode(owner.doc, nullptr, X("actiontype"), nullptr);
  bool any = false;
  int written = 0;
  for (auto& entry : engine->Actions()) {
    if (between != nullptr && ++written % 500 == 0) between();
    PluginRecord* shortcutRecord = engine->FindPlugin(entry.second.shortcutPluginId);
    PluginRecord* actionRecord = engine->FindPlugin(entry.second.actionPluginId);
    if (shortcutRecord == nullptr || actionRecord == nullptr) continue;
    // The action side joins after the shortcut side is saved, as in the whole document.
    SaveSide(entry.first, true, shortcutRecord, shortcut);
    xmlAddChild(action, actionType);
    SaveSide(entry.first, false, actionRecord, actionType);
    bool asMade = actions->children == action && action->next == nullptr && action->properties == nullptr &&
                  action->nsDef == nullptr && action->children == shortcut && shortcut->next == actionType &&
                  actionType->next == nullptr && SideAsMade(shortcut, action, "shortcut", *shortcutRecord) &&
                  SideAsMade(actionType, action, "actiontype", *actionRecord);
    if (!asMade) {
      if (actionType->parent == nullptr) xmlFreeNode(actionType);  // the tree holds it otherwise
      return false;
    }
    if (!any) *out += "  <actions>\n";
    any = true;
    *out += "    ";
    if (!AppendFormatted(out, action, 2)) return false;
    *out += '\n';
    ClearSide(shortcut);
    ClearSide(actionType);
    xmlUnlinkNode(actionType);
  }
  if (actionType->parent == nullptr) xmlFreeNode(actionType);
  *out += any ? "  </actions>\n</tambrel>\n" : "  <actions/>\n</tambrel>\n";
  return true;
}

}  // namespace

bool StartsAsWritten(const std::string& text) {
  std::string start = "<?xml version=\"1.0\"?>\n<tambrel version=\"" + VersionText() +
                      "\">\n  <options>\n    <option name=\"log\">";
  return text.compare(0, start.size(), start) == 0;
}

bool ConfigurationText(TambrelEngine* engine, std::string* text, BetweenParts between, size_t* headLength) {
  text->clear();
  if (WriteStreamed(engine, text, between, false, headLength)) return true;
  if (headLength != nullptr) *headLength = std::string::npos;
  return WriteDocument(engine, text);
}

bool ConfigurationHead(TambrelEngine* engine, std::string* head) {
  head->clear();
  return WriteStreamed(engine, head, nullptr, true, nullptr);
}

bool BindingsText(TambrelEngine* engine, const std::vector<int>& ids, std::string* text) {
  std::set<int> only(ids.begin(), ids.end());
  return WriteDocument(engine, text, &only);
}

std::string BindingText(TambrelEngine* engine, int actionId) {
  auto it = engine->Actions().find(actionId);
  if (it == engine->Actions().end()) return std::string();
  PluginRecord* shortcut = engine->FindPlugin(it->second.shortcutPluginId);
  PluginRecord* action = engine->FindPlugin(it->second.actionPluginId);
  if (shortcut == nullptr || action == nullptr) return std::string();
  DocumentOwner owner{NewDocument(true)};
  xmlNode* element = xmlNewChild(xmlDocGetRootElement(owner.doc), nullptr, X("action"), nullptr);
  SaveSide(actionId, true, shortcut, xmlNewChild(element, nullptr, X("shortcut"), nullptr));
  SaveSide(actionId, false, action, xmlNewChild(element, nullptr, X("actiontype"), nullptr));
  std::string text;
  xmlBufferPtr buffer = xmlBufferCreate();
  if (buffer == nullptr) return text;
  if (xmlNodeDump(buffer, owner.doc, element, 0, 0) >= 0)
    text.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  return text;
}
