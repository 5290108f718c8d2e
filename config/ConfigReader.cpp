#include "ConfigReader.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "../engine/Engine.h"
#include "../engine/KeyNames.h"
#include "../engine/Messages.h"
#include "../engine/PlaceholderPlugin.h"
#include "XmlText.h"

const char kInternalParserError[] = "Couldn't load configuration; internal error 1!";
static const double kConfigVersion = 2.01;
static const char kSequencePluginGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";

// --- The text --------------------------------------------------------------------------

namespace {

struct ParseWatch {
  int entityLine = 0;  // where the first entity declaration starts; 0 for none
  bool failed = false;
  std::string error;  // the first error, which names the place; later ones follow from it
};

// libxml2 2.9 bounds what entities may expand to by counting references, not bytes: a file
// that declares entities is refused at its first declaration, before any could be used.
void XMLCALL RefuseEntity(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
  xmlParserCtxtPtr parser = static_cast<xmlParserCtxtPtr>(context);
  ParseWatch* watch = static_cast<ParseWatch*>(parser->_private);
  if (watch->entityLine == 0) watch->entityLine = parser->input != nullptr && parser->input->line > 0 ? parser->input->line : 1;
  parser->wellFormed = 0;
  xmlStopParser(parser);
}

void XMLCALL RefuseUnparsedEntity(void* context, const xmlChar* name, const xmlChar* publicId, const xmlChar* systemId,
                                  const xmlChar*) {
  RefuseEntity(context, name, 0, publicId, systemId, nullptr);
}

std::string LineText(int line, const std::string& text) {
  return line > 0 ? "Line " + std::to_string(line) + ": " + text : text;
}

void XMLCALL RecordError(void* context, xmlErrorPtr error) {
  ParseWatch* watch = static_cast<ParseWatch*>(static_cast<xmlParserCtxtPtr>(context)->_private);
  if (watch->failed || error == nullptr || error->level < XML_ERR_ERROR) return;
  watch->failed = true;
  watch->error = LineText(error->line, error->message != nullptr ? Utf8ToAnsi(X(error->message)) : "");
}

}  // namespace

xmlDocPtr ParseConfiguration(const char* text, size_t size, const std::string& path, std::string* error,
                             BetweenParts between) {
  // Fed in parts, so that long work can let the hook in between: parsing 10,000 bindings
  // takes longer than a key may wait. The first part tells the encoding. (Text nodes then
  // meet libxml2's limit of 10,000,000 bytes wherever the parts end.) Without between
  // (start-up, before the hook is in) the rest goes in one last part: a part that ends the
  // text spares libxml2 looking ahead for the end of every tag, a third of the time.
  const size_t kPart = 256 * 1024;
  size_t first = size < kPart ? size : kPart;
  xmlParserCtxtPtr context =
      size <= 0x7FFFFFFF
          ? xmlCreatePushParserCtxt(nullptr, nullptr, text, static_cast<int>(first), AnsiToUtf8(path.c_str()).c_str())
          : nullptr;
  if (context == nullptr || context->sax == nullptr) {
    if (context != nullptr) xmlFreeParserCtxt(context);
    *error = kInternalParserError;
    return nullptr;
  }
  context->validate = 0;
  ParseWatch watch;
  context->_private = &watch;
  context->sax->entityDecl = RefuseEntity;
  context->sax->unparsedEntityDecl = RefuseUnparsedEntity;
  context->sax->serror = RecordError;  // called with the context, also where reports are off
  // No network, no DTD loading, no entity substitution, no lifted limits.
  xmlCtxtUseOptions(context, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  size_t part = between != nullptr ? kPart : size;
  for (size_t at = first; at < size && !context->disableSAX; at += part) {
    if (between != nullptr) between();
    size_t length = size - at < part ? size - at : part;
    xmlParseChunk(context, text + at, static_cast<int>(length), at + length == size);
  }
  if (!context->disableSAX && context->instate != XML_PARSER_EOF) xmlParseChunk(context, nullptr, 0, 1);
  xmlDocPtr doc = context->myDoc;
  context->myDoc = nullptr;
  // A parse that libxml2 stopped (out of memory, a text node beyond its limit) can leave
  // a document that says it is well-formed but holds only the start of the file.
  bool loaded = context->wellFormed && !context->disableSAX && watch.entityLine == 0 && doc != nullptr;
  if (watch.entityLine != 0) {
    *error = LineText(watch.entityLine, "The file declares entities (<!ENTITY ...>), which Tambrel does not read.");
  } else if (!loaded && watch.failed) {
    *error = watch.error;
  } else if (!loaded) {
    const xmlError* last = xmlCtxtGetLastError(context);
    *error = last != nullptr && last->message != nullptr ? LineText(last->line, Utf8ToAnsi(X(last->message))) : "";
  }
  if (!loaded && doc != nullptr) xmlFreeDoc(doc);
  xmlFreeParserCtxt(context);
  return loaded ? doc : nullptr;
}

xmlNode* ConfigurationRoot(xmlDocPtr doc, std::string* warning) {
  xmlNode* root = nullptr;
  for (xmlNode* node = doc->children; node != nullptr && root == nullptr; node = node->next)
    if (IsElement(node, "tambrel")) root = node;
  if (root == nullptr) {
    *warning = "While loading configuration: Couldn't locate <tambrel> in the configuration file!";
  } else if (xmlHasProp(root, X("version")) == nullptr) {
    *warning = "While loading configuration: Couldn't locate <tambrel version=> in the configuration file!";
    root = nullptr;
  }
  return root;
}

xmlDocPtr ParseReported(const std::string& bytes, const std::string& shown, xmlNode** root) {
  std::string error;
  xmlDocPtr doc = ParseConfiguration(bytes.data(), bytes.size(), shown, &error);
  if (doc == nullptr) {
    if (error == kInternalParserError)
      ReportError(error.c_str());
    else
      ReportErrorFormat("Couldn't open configuration file %s!\n\n%s", shown.c_str(), error.c_str());
    return nullptr;
  }
  *root = ConfigurationRoot(doc, &error);
  if (*root == nullptr) {
    ReportWarning(error.c_str());
    xmlFreeDoc(doc);
    return nullptr;
  }
  return doc;
}

// --- Into the engine -------------------------------------------------------------------

static xmlNode* FirstChildElement(xmlNode* parent, const char* name) {
  for (xmlNode* node = parent->children; node != nullptr; node = node->next)
    if (IsElement(node, name)) return node;
  return nullptr;
}

void ConfigReader::Apply(xmlNode* root) {
  std::string version = AttributeText(root, "version");
  if (atof(version.c_str()) > kConfigVersion)
    ReportInfo("While loading configuration: Version of the configuration file is too high, will attempt parsing though!");
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
  if (xmlNode* actions = FirstChildElement(root, "actions"))
    LoadBindings(actions, version == "2.0");
  else
    ReportInfo("While loading configuration: Couldn't locate <actions> in the configuration file!");
}

void ConfigReader::Between(int bindings) {
  if (m_between != nullptr && bindings % 500 == 0) m_between();
}

void ConfigReader::LoadBindings(xmlNode* actions, bool version20) {
  if (version20)
    LoadActionsVersion20(actions);
  else
    LoadActions(actions);
}

void ConfigReader::LoadOptions(xmlNode* options) {
  EngineOptions& o = m_engine->Options();
  for (xmlNode* option = options->children; option != nullptr; option = option->next) {
    if (!IsElement(option, "option")) continue;
    for (xmlAttr* attr = option->properties; attr != nullptr; attr = attr->next) {
      if (xmlStrcmp(attr->name, X("name")) != 0) continue;
      std::string name = ContentText(reinterpret_cast<xmlNode*>(attr));
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
        o.logFile = FirstChildWideText(option);  // a path: every character kept
      } else if (name == "keys") {
        LoadKeys(option);  // an empty key list is no mistake: the built-in names fill it
      } else {
        ReportInfoFormat("While loading configuration: Unrecognized option %s", name.c_str());
      }
    }
  }
}

void ConfigReader::LoadKeys(xmlNode* keysOption) {
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

static bool IsMissing(TambrelEngine* engine, int pluginId) {
  PluginRecord* record = engine->FindPlugin(pluginId);
  return record != nullptr && record->file[0] == '\0';
}

void ConfigReader::LoadPlugins(xmlNode* plugins) {
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
    if (IsMissing(m_engine, id)) m_engine->Placeholder()->KeepSettings(record->guid, element);
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

void ConfigReader::LoadActions(xmlNode* actions) {
  int read = 0;
  for (xmlNode* action = actions->children; action != nullptr; action = action->next) {
    if (!IsElement(action, "action")) continue;
    Between(++read);
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
    if (shortcut == nullptr || actionType == nullptr || !HasType(m_engine, shortcutId, PLUGIN_SHORTCUTTYPE) ||
        !HasType(m_engine, actionId, PLUGIN_ACTIONTYPE)) {
      ReportWarningFormat("While loading configuration: Plugin error for action %d, %d, %d", m_engine->NextActionId(),
                          shortcutId, actionId);
      continue;
    }
    int id = m_engine->AddAction({shortcutId, actionId});
    if (IsMissing(m_engine, actionId)) m_engine->Placeholder()->KeepSide(id, false, actionType, true);
    if (IsMissing(m_engine, shortcutId)) m_engine->Placeholder()->KeepSide(id, true, shortcut, true);
    m_engine->FindPlugin(actionId)->plugin->GetActionType()->Load(id, actionType->children);
    m_engine->FindPlugin(shortcutId)->plugin->GetShortcutType()->Load(id, shortcut->children);
  }
}

void ConfigReader::LoadActionsVersion20(xmlNode* actions) {
  int read = 0;
  for (xmlNode* action = actions->children; action != nullptr; action = action->next) {
    if (!IsElement(action, "action")) continue;
    Between(++read);
    int actionId = 0;
    std::string key;
    if (action->children != nullptr) {
      for (xmlAttr* attr = action->properties; attr != nullptr; attr = attr->next) {
        std::string value = ContentText(reinterpret_cast<xmlNode*>(attr));
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
      ReportWarningFormat("While loading configuration: Plugin error for action %d, %s, %d", m_engine->NextActionId(),
                          key.c_str(), actionId);
      continue;
    }
    int shortcutId = m_engine->FindPluginByGuid(kSequencePluginGuid, true);
    int id = m_engine->AddAction({shortcutId, actionId});
    // The action element's own attributes are the old layout's, not the plugin's.
    if (IsMissing(m_engine, actionId)) m_engine->Placeholder()->KeepSide(id, false, action, false);
    m_engine->FindPlugin(actionId)->plugin->GetActionType()->Load(id, action->children);
    xmlNode* shortcut = xmlNewChild(action, action->ns, X("shortcut"), nullptr);
    xmlNodeAddContent(shortcut, X(AnsiToUtf8(key.c_str()).c_str()));
    if (IsMissing(m_engine, shortcutId)) m_engine->Placeholder()->KeepSide(id, true, shortcut, false);
    m_engine->FindPlugin(shortcutId)->plugin->GetShortcutType()->Load(id, shortcut->children);
  }
}

void ConfigReader::LoadDefaultKeys() {
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

void ConfigReader::DetectNewPlugins() {
  for (PluginRecord& record : m_engine->Registry()) {
    if (!record.loaded) {
      record.active = true;
      if (record.plugin->NeedsConfiguration()) {
        ReportWarningFormat(
            "A new plugin has been detected (%s) and a window will now appear that allows you to configure it.",
            record.name);
        record.active = record.plugin->Configure();
      }
      record.loaded = true;
    }
    record.plugin->SetEnabled(false);
    record.plugin->SetEngine(m_engine);
  }
}
