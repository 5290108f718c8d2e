#include "ConfigFile.h"

#include <libxml/parser.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "../dialogkit/UniqueHandle.h"
#include "../engine/Engine.h"
#include "../engine/KeyNames.h"
#include "../engine/Messages.h"
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

// The whole file, read by its name in the system code page.
static bool ReadConfigFile(const std::string& path, std::string* contents, std::string* error) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.HighPart != 0 ||
      size.LowPart > 0x7FFFFFFF) {
    *error = SystemText(GetLastError());
    return false;
  }
  contents->resize(size.LowPart);
  DWORD read = 0;
  if (size.LowPart > 0 && (!ReadFile(file.Get(), &(*contents)[0], size.LowPart, &read, nullptr) ||
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
  std::string contents, error;
  xmlDocPtr doc = nullptr;
  if (ReadConfigFile(path, &contents, &error)) {
    doc = xmlCtxtReadMemory(context, contents.data(), static_cast<int>(contents.size()),
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
    if (IsMissing(id)) Keep(&m_keptSettings[id], element->children);
    record->plugin->SetEngine(m_engine);
    record->plugin->LoadSettings(element->children);
    record->plugin->SetEngine(nullptr);
  }
}

// The plugin id named by the last element of one kind that has a plugin attribute.
static int ResolvePlugin(TambrelEngine* engine, xmlNode* element, xmlNode** found) {
  bool present = false;
  std::string text = AttributeText(element, "plugin", &present);
  if (!present) return -1;
  char guid[40];
  CopyGuid(guid, text.c_str());
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
    if (IsMissing(actionId)) KeepForAction(id, kAction, actionType->children);
    if (IsMissing(shortcutId)) KeepForAction(id, kShortcut, shortcut->children);
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
    if (IsMissing(actionId)) KeepForAction(id, kAction, action->children);
    m_engine->FindPlugin(actionId)->plugin->GetActionType()->Load(id, action->children);
    xmlNode* shortcut = xmlNewChild(action, action->ns, X("shortcut"), nullptr);
    xmlNodeAddContent(shortcut, X(AnsiToUtf8(key.c_str()).c_str()));
    if (IsMissing(shortcutId)) KeepForAction(id, kShortcut, shortcut->children);
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

void ConfigFile::Keep(xmlNode** slot, xmlNode* children) {
  if (m_kept == nullptr) m_kept = xmlNewDoc(X("1.0"));
  if (*slot != nullptr) xmlFreeNodeList(*slot);
  *slot = children != nullptr ? xmlDocCopyNodeList(m_kept, children) : nullptr;
}

void ConfigFile::KeepForAction(int actionId, Side side, xmlNode* children) {
  Keep(&m_keptActionData[std::make_pair(actionId, side)], children);
}

void ConfigFile::ForgetAction(int actionId) {
  for (Side side : {kShortcut, kAction}) {
    auto it = m_keptActionData.find(std::make_pair(actionId, side));
    if (it == m_keptActionData.end()) continue;
    if (it->second != nullptr) xmlFreeNodeList(it->second);
    m_keptActionData.erase(it);
  }
}

void ConfigFile::WriteKept(xmlNode* element, xmlNode* kept) {
  if (kept != nullptr) xmlAddChildList(element, xmlDocCopyNodeList(element->doc, kept));
}

// --- Writing ---------------------------------------------------------------------------

static void AddOption(xmlNode* options, const char* name, const char* value) {
  xmlNode* option = xmlNewTextChild(options, nullptr, X("option"), X(AnsiToUtf8(value).c_str()));
  xmlNewProp(option, X("name"), X(name));
}

xmlDocPtr ConfigFile::BuildDocument() {
  xmlDocPtr doc = xmlNewDoc(X("1.0"));
  xmlNode* root = xmlNewNode(nullptr, X("tambrel"));
  xmlDocSetRootElement(doc, root);
  char version[16];
  snprintf(version, sizeof version, "%1.2f", kConfigVersion);
  size_t length = strlen(version);
  if (length > 0 && version[length - 1] == '0') version[length - 1] = '\0';
  xmlNewProp(root, X("version"), X(version));

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
    xmlNode* element = xmlNewTextChild(keys, nullptr, X("key"), X(AnsiToUtf8(key.text).c_str()));
    xmlNewProp(element, X("code"), X(std::to_string(key.vk).c_str()));
    xmlNewProp(element, X("name"), X(AnsiToUtf8(key.name).c_str()));
  }

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

  xmlNode* actions = xmlNewChild(root, nullptr, X("actions"), nullptr);
  for (auto& entry : m_engine->Actions()) {
    int id = entry.first;
    // Both sides always name registry records; a binding that does not is never written.
    if (m_engine->FindPlugin(entry.second.shortcutPluginId) == nullptr ||
        m_engine->FindPlugin(entry.second.actionPluginId) == nullptr)
      continue;
    xmlNode* action = xmlNewChild(actions, nullptr, X("action"), nullptr);
    const struct {
      const char* element;
      int pluginId;
      Side side;
    } sides[] = {{"shortcut", entry.second.shortcutPluginId, kShortcut},
                 {"actiontype", entry.second.actionPluginId, kAction}};
    for (const auto& s : sides) {
      PluginRecord* record = m_engine->FindPlugin(s.pluginId);
      xmlNode* element = xmlNewChild(action, nullptr, X(s.element), nullptr);
      xmlNewProp(element, X("plugin"), X(std::string(record->guid, strnlen(record->guid, 38)).c_str()));
      if (IsMissing(s.pluginId)) {
        auto kept = m_keptActionData.find(std::make_pair(id, s.side));
        if (kept != m_keptActionData.end()) WriteKept(element, kept->second);
      }
      if (s.side == kShortcut)
        record->plugin->GetShortcutType()->Save(id, element);
      else
        record->plugin->GetActionType()->Save(id, element);
    }
  }
  return doc;
}

// Writes the whole text beside the target, flushes it, then puts it in the target's place.
// Any failure leaves the target as it was.
static bool ReplaceFileContents(const std::string& path, const char* data, size_t size) {
  std::string temporary = path + ".new";
  {
    UniqueFile file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) &&
              written == size && FlushFileBuffers(file.Get());
    if (!ok) {
      file.Reset();
      DeleteFileA(temporary.c_str());
      return false;
    }
  }
  bool replaced;
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    replaced = ReplaceFileA(path.c_str(), temporary.c_str(), (path + ".bak").c_str(),
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  else
    replaced = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!replaced) DeleteFileA(temporary.c_str());
  return replaced;
}

bool ConfigFile::Save() {
  xmlDocPtr doc = BuildDocument();
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpFormatMemory(doc, &text, &size, 1);
  bool written = text != nullptr &&
                 ReplaceFileContents(m_engine->ConfigPath(), reinterpret_cast<char*>(text),
                                     static_cast<size_t>(size));
  xmlFree(text);
  xmlFreeDoc(doc);
  if (!written) ReportError("Error writing configuration file!");
  return written;
}
