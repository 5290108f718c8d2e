#include "ConfigFile.h"

#include <libxml/parser.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "../engine/Engine.h"
#include "../engine/KeyNames.h"
#include "../engine/Messages.h"
#include "FormattedXml.h"
#include "UniqueHandle.h"
#include "XmlText.h"

static const double kConfigVersion = 2.01;
static const char kSequencePluginGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";

ConfigFile::~ConfigFile() {
  if (m_kept != nullptr) xmlFreeDoc(m_kept);
}

// --- Reading ---------------------------------------------------------------------------

static xmlNode* FirstChildElement(xmlNode* parent, const char* name) {
  for (xmlNode* node = parent->children; node != nullptr; node = node->next)
    if (IsElement(node, name)) return node;
  return nullptr;
}

static std::string SystemText(DWORD error) {
  char text[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  return text;
}

// The whole file, read by its name in the system code page. The buffer is not cleared
// first: every byte of it is read.
static bool ReadConfigFile(const std::string& path, std::unique_ptr<char[]>* contents, DWORD* length,
                           std::string* error) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.HighPart != 0 ||
      size.LowPart > 0x7FFFFFFF) {
    *error = SystemText(GetLastError());
    return false;
  }
  contents->reset(new char[size.LowPart]);
  *length = size.LowPart;
  DWORD read = 0;
  if (size.LowPart > 0 && (!ReadFile(file.Get(), contents->get(), size.LowPart, &read, nullptr) ||
                           read != size.LowPart)) {
    *error = SystemText(GetLastError());
    return false;
  }
  return true;
}

bool ConfigFile::Load() {
  const std::string& path = m_engine->ConfigPath();
  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (context == nullptr) {
    ReportError("Couldn't load configuration; internal error 1!");
    return false;
  }
  context->validate = 0;

  // No network, no DTD loading, no entity substitution, no lifted limits: the file names
  // nothing else that gets read, and a hostile one stays bounded.
  std::string error;
  std::unique_ptr<char[]> contents;
  DWORD length = 0;
  xmlDocPtr doc = nullptr;
  if (ReadConfigFile(path, &contents, &length, &error)) {
    doc = xmlCtxtReadMemory(context, contents.get(), static_cast<int>(length),
                            AnsiToUtf8(path.c_str()).c_str(), nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr) {
      const xmlError* last = xmlCtxtGetLastError(context);
      error = last != nullptr && last->message != nullptr ? Utf8ToAnsi(X(last->message)) : "";
    }
  }
  if (doc == nullptr) {
    ReportErrorFormat("Couldn't open configuration file %s!\n\n%s", path.c_str(), error.c_str());
    xmlFreeParserCtxt(context);
    return false;
  }

  bool loaded = false;
  xmlNode* root = nullptr;
  for (xmlNode* node = doc->children; node != nullptr && root == nullptr; node = node->next)
    if (IsElement(node, "tambrel")) root = node;
  bool hasVersion = false;
  std::string version = root != nullptr ? AttributeText(root, "version", &hasVersion) : "";
  if (root == nullptr) {
    ReportWarning("While loading configuration: Couldn't locate <tambrel> in the configuration file!");
  } else if (!hasVersion) {
    ReportWarning(
        "While loading configuration: Couldn't locate <tambrel version=> in the configuration file!");
  } else {
    if (atof(version.c_str()) > kConfigVersion)
      ReportInfo(
          "While loading configuration: Version of the configuration file is too high, will "
          "attempt parsing though!");
    if (xmlNode* options = FirstChildElement(root, "options"))
      LoadOptions(options);
    else
      ReportInfo("While loading configuration: Couldn't locate <options> in the configuration file!");
    // A file without key names (the converter writes none) would leave every named key of
    // every macro without a key.
    if (m_engine->Keys().empty()) LoadDefaultKeys();
    if (xmlNode* plugins = FirstChildElement(root, "plugins"))
      LoadPlugins(plugins);
    else
      ReportInfo("While loading configuration: Couldn't locate <plugins> in the configuration file!");
    DetectNewPlugins();
    if (xmlNode* actions = FirstChildElement(root, "actions")) {
      if (version == "2.0")
        LoadActionsVersion20(actions);
      else
        LoadActions(actions);
    } else {
      ReportInfo("While loading configuration: Couldn't locate <actions> in the configuration file!");
    }
    loaded = true;
  }
  xmlFreeDoc(doc);
  xmlFreeParserCtxt(context);
  return loaded;
}

void ConfigFile::LoadOptions(xmlNode* options) {
  EngineOptions& o = m_engine->Options();
  for (xmlNode* option = options->children; option != nullptr; option = option->next) {
    if (!IsElement(option, "option")) continue;
    for (xmlAttr* attr = option->properties; attr != nullptr; attr = attr->next) {
      if (xmlStrcmp(attr->name, X("name")) != 0) continue;
      xmlChar* raw = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attr));
      std::string name = Utf8ToAnsi(raw);
      xmlFree(raw);
      bool hasValue = option->children != nullptr;
      std::string value = FirstChildText(option);
      bool* flag = name == "log"          ? &o.log
                   : name == "autoactive" ? &o.autoActive
                   : name == "autoshow"   ? &o.autoShow
                   : name == "hookactive" ? &o.hookActive
                                          : nullptr;
      if (flag != nullptr && hasValue) {
        *flag = m_engine->ParseBool(value.c_str());
      } else if (name == "logfile" && hasValue) {
        o.logFile = value;
      } else if (name == "keys") {
        LoadKeys(option);  // an empty key list is no mistake: the built-in names fill it
      } else {
        ReportInfoFormat("While loading configuration: Unrecognized option %s", name.c_str());
      }
    }
  }
}

void ConfigFile::LoadKeys(xmlNode* keysOption) {
  for (xmlNode* node = keysOption->children; node != nullptr; node = node->next) {
    if (!IsElement(node, "key")) continue;
    KeyInfo key;
    memset(&key, 0, sizeof key);
    std::string name = AttributeText(node, "name");
    strncpy(key.name, name.c_str(), sizeof key.name - 1);
    key.nameLength = static_cast<int>(strlen(key.name));
    key.vk = atoi(AttributeText(node, "code").c_str());
    std::string text = FirstChildText(node);
    strncpy(key.text, text.c_str(), sizeof key.text - 1);
    m_engine->Keys().push_back(key);
  }
}

void ConfigFile::LoadPlugins(xmlNode* plugins) {
  for (xmlNode* element = plugins->children; element != nullptr; element = element->next) {
    if (!IsElement(element, "plugin")) continue;
    bool hasGuid = false;
    std::string text = AttributeText(element, "guid", &hasGuid);
    if (!hasGuid) {
      ReportWarning("While loading configuration: No GUID for plugin");
      return;
    }
    char guid[40];
    CopyGuid(guid, text.c_str());
    int id = m_engine->FindPluginByGuid(guid, true);
    PluginRecord* record = m_engine->FindPlugin(id);
    record->loaded = true;
    bool hasActive = false;
    std::string active = AttributeText(element, "active", &hasActive);
    if (hasActive) record->active = m_engine->ParseBool(active.c_str());
    if (IsMissing(id)) Keep(&m_keptSettings[id], element);
    record->plugin->SetEngine(m_engine);
    record->plugin->LoadSettings(element->children);
    record->plugin->SetEngine(nullptr);
  }
}

// The plugin id named by the last element of one kind that has a plugin attribute.
static int ResolvePlugin(TambrelEngine* engine, xmlNode* element, xmlNode** found) {
  char guid[40];
  const xmlChar* value = PlainAttributeValue(element, "plugin");
  if (value != nullptr && IsAscii(value)) {
    CopyGuid(guid, reinterpret_cast<const char*>(value));  // reads the same in the code page
  } else {
    bool present = false;
    std::string text = AttributeText(element, "plugin", &present);
    if (!present) return -1;
    CopyGuid(guid, text.c_str());
  }
  *found = element;
  return engine->FindPluginByGuid(guid, true);
}

static bool HasType(TambrelEngine* engine, int pluginId, int type) {
  PluginRecord* record = engine->FindPlugin(pluginId);
  return record != nullptr && (record->types & type) != 0;
}

void ConfigFile::LoadActions(xmlNode* actions) {
  for (xmlNode* action = actions->children; action != nullptr; action = action->next) {
    if (!IsElement(action, "action")) continue;
    xmlNode* shortcut = nullptr;
    xmlNode* actionType = nullptr;
    int shortcutId = 0, actionId = 0;
    for (xmlNode* child = action->children; child != nullptr; child = child->next) {
      int id;
      if (IsElement(child, "shortcut") && (id = ResolvePlugin(m_engine, child, &shortcut)) >= 0)
        shortcutId = id;
      else if (IsElement(child, "actiontype") && (id = ResolvePlugin(m_engine, child, &actionType)) >= 0)
        actionId = id;
    }
    if (shortcut == nullptr || actionType == nullptr ||
        !HasType(m_engine, shortcutId, PLUGIN_SHORTCUTTYPE) ||
        !HasType(m_engine, actionId, PLUGIN_ACTIONTYPE)) {
      ReportWarningFormat("While loading configuration: Plugin error for action %d, %d, %d",
                          m_engine->NextActionId(), shortcutId, actionId);
      continue;
    }
    int id = m_engine->AddAction({shortcutId, actionId});
    if (IsMissing(actionId)) KeepForAction(id, kAction, actionType);
    if (IsMissing(shortcutId)) KeepForAction(id, kShortcut, shortcut);
    m_engine->FindPlugin(actionId)->plugin->GetActionType()->Load(id, actionType->children);
    m_engine->FindPlugin(shortcutId)->plugin->GetShortcutType()->Load(id, shortcut->children);
  }
}

void ConfigFile::LoadActionsVersion20(xmlNode* actions) {
  for (xmlNode* action = actions->children; action != nullptr; action = action->next) {
    if (!IsElement(action, "action")) continue;
    int actionId = 0;
    std::string key;
    if (action->children != nullptr) {
      for (xmlAttr* attr = action->properties; attr != nullptr; attr = attr->next) {
        xmlChar* raw = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attr));
        std::string value = Utf8ToAnsi(raw);
        xmlFree(raw);
        if (xmlStrcmp(attr->name, X("plugin")) == 0) {
          char guid[40];
          CopyGuid(guid, value.c_str());
          actionId = m_engine->FindPluginByGuid(guid, true);
          if (!HasType(m_engine, actionId, PLUGIN_ACTIONTYPE)) {
            actionId = 0;
            break;
          }
        } else if (xmlStrcmp(attr->name, X("key")) == 0) {
          key = value.substr(0, 31);
        }
      }
    }
    if (actionId == 0) {
      ReportWarningFormat("While loading configuration: Plugin error for action %d, %s, %d",
                          m_engine->NextActionId(), key.c_str(), actionId);
      continue;
    }
    int shortcutId = m_engine->FindPluginByGuid(kSequencePluginGuid, true);
    int id = m_engine->AddAction({shortcutId, actionId});
    if (IsMissing(actionId)) KeepForAction(id, kAction, action);
    m_engine->FindPlugin(actionId)->plugin->GetActionType()->Load(id, action->children);
    xmlNode* shortcut = xmlNewChild(action, action->ns, X("shortcut"), nullptr);
    xmlNodeAddContent(shortcut, X(AnsiToUtf8(key.c_str()).c_str()));
    if (IsMissing(shortcutId)) KeepForAction(id, kShortcut, shortcut);
    m_engine->FindPlugin(shortcutId)->plugin->GetShortcutType()->Load(id, shortcut->children);
  }
}

void ConfigFile::LoadDefaultKeys() {
  std::vector<KeyInfo>& keys = m_engine->Keys();
  for (size_t i = 0; i < kBuiltInKeyCount; ++i) {
    KeyInfo key;
    memset(&key, 0, sizeof key);
    strncpy(key.name, kBuiltInKeys[i].name, sizeof key.name - 1);
    key.nameLength = static_cast<int>(strlen(key.name));
    strncpy(key.text, kBuiltInKeys[i].text, sizeof key.text - 1);
    key.vk = kBuiltInKeys[i].vk;
    keys.push_back(key);
  }
}

void ConfigFile::DetectNewPlugins() {
  for (PluginRecord& record : m_engine->Registry()) {
    if (!record.loaded) {
      record.active = true;
      if (record.plugin->NeedsConfiguration()) {
        ReportWarningFormat(
            "A new plugin has been detected (%s) and a window will now appear that allows "
            "you to configure it.",
            record.name);
        record.active = record.plugin->Configure();
      }
      record.loaded = true;
    }
    record.plugin->SetEnabled(false);
    record.plugin->SetEngine(m_engine);
  }
}

// --- What missing plugins keep ----------------------------------------------------------

bool ConfigFile::IsMissing(int pluginId) {
  PluginRecord* record = m_engine->FindPlugin(pluginId);
  return record != nullptr && record->file[0] == '\0';
}

// A reference to an entity of the file's DOCTYPE becomes the text it stands for (none for an
// entity the file does not define): the written file has no DOCTYPE, and a reference left
// in it would stop the next start-up.
static void ReplaceEntityReferences(xmlNode* node) {
  while (node != nullptr) {
    xmlNode* next = node->next;
    if (node->type == XML_ENTITY_REF_NODE) {
      xmlChar* text = xmlNodeGetContent(node);
      xmlFreeNode(xmlReplaceNode(node, xmlNewDocText(node->doc, text != nullptr ? text : X(""))));
      xmlFree(text);
    } else if (node->type == XML_ELEMENT_NODE) {
      for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next)
        ReplaceEntityReferences(attr->children);
      ReplaceEntityReferences(node->children);
    }
    node = next;
  }
}

// The element's children, as read, for a plugin that no library provides.
void ConfigFile::Keep(xmlNode** slot, xmlNode* element) {
  if (m_kept == nullptr) m_kept = xmlNewDoc(X("1.0"));
  if (*slot != nullptr) xmlFreeNodeList(*slot);
  ReplaceEntityReferences(element->children);
  *slot = element->children != nullptr ? xmlDocCopyNodeList(m_kept, element->children) : nullptr;
}

void ConfigFile::KeepForAction(int actionId, Side side, xmlNode* element) {
  Keep(&m_keptActionData[std::make_pair(actionId, side)], element);
}

void ConfigFile::ForgetAction(int actionId) {
  ForgetSide(actionId, kShortcut);
  ForgetSide(actionId, kAction);
}

void ConfigFile::ForgetSide(int actionId, Side side) {
  auto it = m_keptActionData.find(std::make_pair(actionId, side));
  if (it == m_keptActionData.end()) return;
  if (it->second != nullptr) xmlFreeNodeList(it->second);
  m_keptActionData.erase(it);
}

void ConfigFile::WriteKept(xmlNode* element, xmlNode* kept) {
  if (kept != nullptr) xmlAddChildList(element, xmlDocCopyNodeList(element->doc, kept));
}

// --- Writing ---------------------------------------------------------------------------

static void AddOption(xmlNode* options, const char* name, const char* value) {
  xmlNode* option = xmlNewTextChild(options, nullptr, X("option"), Utf8Text(value).Get());
  xmlNewProp(option, X("name"), X(name));
}

static std::string VersionText() {
  char version[16];
  snprintf(version, sizeof version, "%1.2f", kConfigVersion);
  size_t length = strlen(version);
  if (length > 0 && version[length - 1] == '0') version[length - 1] = '\0';
  return version;
}

// Whether the element's only attribute is plugin, with the GUID text of the record: its first
// 38 characters, as written.
static bool HasPluginAttribute(const xmlNode* element, const PluginRecord& record) {
  const xmlAttr* attr = element->properties;
  if (attr == nullptr || attr->next != nullptr || attr->ns != nullptr || !xmlStrEqual(attr->name, X("plugin")))
    return false;
  const xmlNode* value = attr->children;
  if (value == nullptr || value->next != nullptr || value->type != XML_TEXT_NODE || value->content == nullptr)
    return false;
  size_t length = strnlen(record.guid, 38);
  const char* text = reinterpret_cast<const char*>(value->content);
  return strncmp(text, record.guid, length) == 0 && text[length] == '\0';
}

static void SetPluginAttribute(xmlNode* element, const PluginRecord& record) {
  if (HasPluginAttribute(element, record)) return;  // the element is used again
  char guid[39];
  size_t length = strnlen(record.guid, 38);
  memcpy(guid, record.guid, length);
  guid[length] = '\0';
  xmlSetProp(element, X("plugin"), X(guid));
}

// A document with its root element, which holds the version.
static xmlDocPtr NewDocument(bool names) {
  xmlDocPtr doc = xmlNewDoc(X("1.0"));
  if (names) doc->dict = xmlDictCreate();  // element names are kept once, not per node
  xmlNode* root = xmlNewDocNode(doc, nullptr, X("tambrel"), nullptr);
  xmlDocSetRootElement(doc, root);
  xmlNewProp(root, X("version"), X(VersionText().c_str()));
  return doc;
}

xmlNode* ConfigFile::AddOptions(xmlNode* root) {
  const EngineOptions& o = m_engine->Options();
  xmlNode* options = xmlNewChild(root, nullptr, X("options"), nullptr);
  AddOption(options, "log", m_engine->BoolToText(o.log));
  AddOption(options, "autoactive", m_engine->BoolToText(o.autoActive));
  AddOption(options, "autoshow", m_engine->BoolToText(o.autoShow));
  AddOption(options, "hookactive", m_engine->BoolToText(o.hookActive));
  AddOption(options, "logfile", o.logFile.c_str());
  xmlNode* keys = xmlNewChild(options, nullptr, X("option"), nullptr);
  xmlNewProp(keys, X("name"), X("keys"));
  for (const KeyInfo& key : m_engine->Keys()) {
    xmlNode* element = xmlNewTextChild(keys, nullptr, X("key"), Utf8Text(key.text).Get());
    xmlNewProp(element, X("code"), X(std::to_string(key.vk).c_str()));
    xmlNewProp(element, X("name"), Utf8Text(key.name).Get());
  }
  return options;
}

xmlNode* ConfigFile::AddPlugins(xmlNode* root) {
  xmlNode* plugins = xmlNewChild(root, nullptr, X("plugins"), nullptr);
  for (PluginRecord& record : m_engine->Registry()) {
    xmlNode* element = xmlNewChild(plugins, nullptr, X("plugin"), nullptr);
    xmlNewProp(element, X("guid"), X(std::string(record.guid, strnlen(record.guid, 38)).c_str()));
    xmlNewProp(element, X("active"), X(m_engine->BoolToText(record.active)));
    int id = m_engine->Registry().IdOf(record);
    if (IsMissing(id)) {
      auto kept = m_keptSettings.find(id);
      if (kept != m_keptSettings.end()) WriteKept(element, kept->second);
    }
    record.plugin->SaveSettings(element);
  }
  return plugins;
}

// One side of a binding: what was kept for a missing plugin, then what the plugin adds.
void ConfigFile::SaveSide(int actionId, Side side, PluginRecord* record, xmlNode* element) {
  if (IsMissing(m_engine->Registry().IdOf(*record))) {
    auto kept = m_keptActionData.find(std::make_pair(actionId, side));
    if (kept != m_keptActionData.end()) WriteKept(element, kept->second);
  }
  if (side == kShortcut)
    record->plugin->GetShortcutType()->Save(actionId, element);
  else
    record->plugin->GetActionType()->Save(actionId, element);
}

xmlDocPtr ConfigFile::BuildDocument() {
  xmlDocPtr doc = NewDocument(false);
  xmlNode* root = xmlDocGetRootElement(doc);
  AddOptions(root);
  AddPlugins(root);
  xmlNode* actions = xmlNewChild(root, nullptr, X("actions"), nullptr);
  for (auto& entry : m_engine->Actions()) {
    PluginRecord* shortcut = m_engine->FindPlugin(entry.second.shortcutPluginId);
    PluginRecord* action = m_engine->FindPlugin(entry.second.actionPluginId);
    // Both sides always name registry records; a binding that does not is never written.
    if (shortcut == nullptr || action == nullptr) continue;
    xmlNode* element = xmlNewChild(actions, nullptr, X("action"), nullptr);
    xmlNode* side = xmlNewChild(element, nullptr, X("shortcut"), nullptr);
    SetPluginAttribute(side, *shortcut);
    SaveSide(entry.first, kShortcut, shortcut, side);
    side = xmlNewChild(element, nullptr, X("actiontype"), nullptr);
    SetPluginAttribute(side, *action);
    SaveSide(entry.first, kAction, action, side);
  }
  return doc;
}

BOOL(WINAPI* gConfigWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = WriteFile;

// The new file beside the target: written, flushed, then renamed over the target in one
// step, so that at every moment, a kill or a power cut included, the target holds either the
// old or the new text whole. Until then any failure leaves the target as it was, and the
// new file goes again. (ReplaceFile would keep the target's attributes, but it moves the
// target away before it moves the new file in, and a stop between the two leaves neither.)
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& path)
      : m_path(path),
        m_temporary(path + ".new"),
        m_file(CreateFileA(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr)),
        m_failed(!m_file) {}
  ~ReplacementFile() {
    if (m_file) {
      m_file.Reset();
      DeleteFileA(m_temporary.c_str());
    }
  }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool Failed() const { return m_failed; }
  void Fail() { m_failed = true; }
  void Write(const char* data, size_t size) {
    DWORD written = 0;
    if (!m_failed && size > 0)
      m_failed = !gConfigWriteFile(m_file.Get(), data, static_cast<DWORD>(size), &written, nullptr) ||
                 written != size;
  }
  void Rewind() {
    if (!m_failed)
      m_failed = SetFilePointer(m_file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
                 !SetEndOfFile(m_file.Get());
  }
  bool Commit() {
    if (m_failed || !FlushFileBuffers(m_file.Get())) return false;
    m_file.Reset();
    if (GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES) KeepBackup();
    if (MoveFileExA(m_temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    DeleteFileA(m_temporary.c_str());
    return false;
  }

 private:
  // The old file stays as .bak: a second name for it where the file system has them, else a
  // copy. Best effort: the save does not depend on it.
  void KeepBackup() {
    std::string backup = m_path + ".bak";
    DeleteFileA(backup.c_str());
    if (!CreateHardLinkA(backup.c_str(), m_path.c_str(), nullptr))
      CopyFileA(m_path.c_str(), backup.c_str(), FALSE);
  }

  std::string m_path, m_temporary;
  UniqueFile m_file;
  bool m_failed;
};

namespace {

struct DocumentOwner {
  xmlDocPtr doc;
  ~DocumentOwner() { xmlFreeDoc(doc); }
};

const size_t kWriteChunk = 64 * 1024;

// The element of one side of the binding as the writer made it: its name and its plugin
// attribute alone, under the binding's element. The plugin added children only.
bool SideAsMade(const xmlNode* side, const xmlNode* action, const char* name, const PluginRecord& record) {
  return side->parent == action && side->ns == nullptr && side->nsDef == nullptr &&
         xmlStrEqual(side->name, X(name)) && HasPluginAttribute(side, record);
}

void ClearChildren(xmlNode* element) {
  xmlFreeNodeList(element->children);
  element->children = element->last = nullptr;
}

}  // namespace

// The whole document at once, as libxml2 writes it.
void ConfigFile::WriteDocument(ReplacementFile* file) {
  DocumentOwner owner{BuildDocument()};
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpFormatMemory(owner.doc, &text, &size, 1);
  if (text == nullptr) {
    file->Fail();
    return;
  }
  file->Write(reinterpret_cast<char*>(text), static_cast<size_t>(size));
  xmlFree(text);
}

// The same bytes as WriteDocument without the whole tree: options and plugins are built and
// written, then each binding in turn in one action element that is used again, so that a
// binding costs only the nodes its plugins add. False when a plugin's data is more than the
// formatted writer knows, or a plugin changed the tree beyond adding children to its element:
// what was written then counts for nothing, and the file is written whole.
bool ConfigFile::WriteStreamed(ReplacementFile* file) {
  if (!FormattingIsDefault()) return false;
  DocumentOwner owner{NewDocument(true)};
  xmlNode* root = xmlDocGetRootElement(owner.doc);
  xmlNode* options = AddOptions(root);
  xmlNode* plugins = AddPlugins(root);
  if (root->children != options || options->next != plugins || plugins->next != nullptr ||
      root->properties == nullptr || root->properties->next != nullptr)
    return false;
  std::string out = "<?xml version=\"1.0\"?>\n<tambrel version=\"" + VersionText() + "\">\n";
  out.reserve(kWriteChunk + kWriteChunk / 2);
  for (xmlNode* part : {options, plugins}) {
    out += "  ";
    if (!AppendFormatted(&out, part, 1)) return false;
    out += '\n';
    xmlUnlinkNode(part);
    xmlFreeNode(part);
  }

  xmlNode* actions = xmlNewChild(root, nullptr, X("actions"), nullptr);
  xmlNode* action = xmlNewChild(actions, nullptr, X("action"), nullptr);
  xmlNode* shortcut = xmlNewChild(action, nullptr, X("shortcut"), nullptr);
  xmlNode* actionType = xmlNewDocNode(owner.doc, nullptr, X("actiontype"), nullptr);
  bool any = false;
  for (auto& entry : m_engine->Actions()) {
    PluginRecord* shortcutRecord = m_engine->FindPlugin(entry.second.shortcutPluginId);
    PluginRecord* actionRecord = m_engine->FindPlugin(entry.second.actionPluginId);
    if (shortcutRecord == nullptr || actionRecord == nullptr) continue;
    // The action side joins after the shortcut side is saved, as in the whole document.
    SetPluginAttribute(shortcut, *shortcutRecord);
    SaveSide(entry.first, kShortcut, shortcutRecord, shortcut);
    xmlAddChild(action, actionType);
    SetPluginAttribute(actionType, *actionRecord);
    SaveSide(entry.first, kAction, actionRecord, actionType);
    bool asMade = actions->children == action && action->next == nullptr &&
                  action->properties == nullptr && action->nsDef == nullptr &&
                  action->children == shortcut && shortcut->next == actionType &&
                  actionType->next == nullptr && SideAsMade(shortcut, action, "shortcut", *shortcutRecord) &&
                  SideAsMade(actionType, action, "actiontype", *actionRecord);
    if (!asMade) {
      if (actionType->parent == nullptr) xmlFreeNode(actionType);  // the tree holds it otherwise
      return false;
    }
    if (!any) out += "  <actions>\n";
    any = true;
    out += "    ";
    if (!AppendFormatted(&out, action, 2)) return false;
    out += '\n';
    ClearChildren(shortcut);
    ClearChildren(actionType);
    xmlUnlinkNode(actionType);
    if (out.size() >= kWriteChunk) {
      file->Write(out.data(), out.size());
      out.clear();
      if (file->Failed()) break;
    }
  }
  if (actionType->parent == nullptr) xmlFreeNode(actionType);
  out += any ? "  </actions>\n</tambrel>\n" : "  <actions/>\n</tambrel>\n";
  file->Write(out.data(), out.size());
  return true;
}

bool ConfigFile::Save() {
  bool written;
  {
    ReplacementFile file(m_engine->ConfigPath());
    if (!file.Failed() && !WriteStreamed(&file)) {
      file.Rewind();
      WriteDocument(&file);
    }
    written = file.Commit();
  }
  if (!written) ReportError("Error writing configuration file!");
  return written;
}
