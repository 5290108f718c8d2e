#include "BindingShare.h"

#include <windows.h>

#include <libxml/tree.h>

#include <set>

#include "../engine/Engine.h"
#include "../engine/Messages.h"
#include "../engine/PlaceholderPlugin.h"
#include "ConfigFile.h"
#include "ConfigReader.h"
#include "ConfigStore.h"
#include "ConfigWriter.h"
#include "UniqueHandle.h"
#include "WidePath.h"
#include "XmlText.h"

namespace {

const size_t kListedAtMost = 15;  // lines of the question; the rest is counted

std::string Shown(const std::wstring& path) {
  std::string text;
  AnsiFromWide(path, &text);
  return text;
}

// Whether two paths name the same file, as far as their full names tell.
bool SamePath(const std::wstring& a, const std::wstring& b) {
  wchar_t fullA[MAX_PATH * 4], fullB[MAX_PATH * 4];
  DWORD lengthA = GetFullPathNameW(a.c_str(), MAX_PATH * 4, fullA, nullptr);
  DWORD lengthB = GetFullPathNameW(b.c_str(), MAX_PATH * 4, fullB, nullptr);
  return lengthA > 0 && lengthA < MAX_PATH * 4 && lengthB > 0 && lengthB < MAX_PATH * 4 &&
         CompareStringOrdinal(fullA, -1, fullB, -1, TRUE) == CSTR_EQUAL;
}

// The file parsed, its root and its <actions>; or the messages of conf.xml's load and null.
struct ImportDocument {
  xmlDocPtr doc = nullptr;
  xmlNode* actions = nullptr;
  bool version20 = false;
  ~ImportDocument() {
    if (doc != nullptr) xmlFreeDoc(doc);
  }
  bool Load(const std::string& bytes, const std::string& shown) {
    xmlNode* root = nullptr;
    doc = ParseReported(bytes, shown, &root);
    if (doc == nullptr) return false;
    version20 = AttributeText(root, "version") == "2.0";
    for (xmlNode* node = root->children; node != nullptr && actions == nullptr; node = node->next)
      if (IsElement(node, "actions")) actions = node;
    if (actions == nullptr) {
      ReportWarning("While loading configuration: Couldn't locate <actions> in the configuration file!");
      return false;
    }
    return true;
  }
  std::vector<xmlNode*> Bindings() const {
    std::vector<xmlNode*> found;
    for (xmlNode* node = actions->children; node != nullptr; node = node->next)
      if (IsElement(node, "action")) found.push_back(node);
    return found;
  }
};

// One <action> through the loader, on its own: the id it got, 0 when it was not loaded.
int LoadOne(TambrelEngine* engine, const ImportDocument& file, xmlNode* action) {
  xmlNode* one = xmlNewDocNode(file.doc, nullptr, X("actions"), nullptr);
  xmlUnlinkNode(action);
  xmlAddChild(one, action);
  int next = engine->NextActionId();
  ConfigReader(engine).LoadBindings(one, file.version20);
  xmlFreeNode(one);
  return engine->NextActionId() != next ? next : 0;
}

bool KnownGuid(TambrelEngine* engine, const std::string& text) {
  char guid[40];
  CopyGuid(guid, text.c_str());
  return engine->Registry().FindByGuid(guid) != 0;
}

// Whether every plugin the binding names is registered: only those can be loaded for a trial
// without adding a plugin to the configuration.
bool PluginsKnown(TambrelEngine* engine, const ImportDocument& file, xmlNode* action) {
  bool present = false;
  if (file.version20) return KnownGuid(engine, AttributeText(action, "plugin", &present));
  for (xmlNode* side = action->children; side != nullptr; side = side->next) {
    if (!IsElement(side, "shortcut") && !IsElement(side, "actiontype")) continue;
    std::string guid = AttributeText(side, "plugin", &present);
    if (present && !KnownGuid(engine, guid)) return false;
  }
  return true;
}

// What an import would do, found by loading the file's bindings for a trial and taking them
// out again before anyone sees them (the hook runs on this thread, between messages).
struct ImportPlan {
  std::vector<bool> skip;  // by the binding's place in the file
  std::vector<std::string> never;
};

ImportPlan Plan(TambrelEngine* engine, const ImportDocument& file) {
  QuietReports quiet;  // the real pass reports the file's problems
  ImportPlan plan;
  std::set<std::string> present;
  for (auto& binding : engine->Actions()) present.insert(BindingText(engine, binding.first));
  std::vector<xmlNode*> bindings = file.Bindings();
  plan.skip.assign(bindings.size(), false);
  std::vector<int> added;
  for (size_t i = 0; i < bindings.size(); ++i) {
    if (!PluginsKnown(engine, file, bindings[i])) continue;
    int id = LoadOne(engine, file, bindings[i]);
    if (id == 0) continue;
    if (!present.insert(BindingText(engine, id)).second) {
      plan.skip[i] = true;
      engine->RemoveBinding(id);
    } else {
      added.push_back(id);
    }
  }
  std::set<int> isNew(added.begin(), added.end());
  for (auto& binding : engine->Actions()) {
    int shadow = engine->ShadowOf(binding.first);
    // A new binding that never fires, or one of the user's that a new one blocks.
    if (shadow != 0 && (isNew.count(binding.first) != 0 || isNew.count(shadow) != 0))
      plan.never.push_back(engine->ShadowText(binding.first, false));
  }
  for (int id : added) engine->RemoveBinding(id);
  return plan;
}

// The plugins that the import itself added to the registry (missing ones, named by its
// bindings) are active, and have the file's settings, as the file has them.
void KeepNewPluginSettings(TambrelEngine* engine, const ImportDocument& file, int firstNewPlugin) {
  for (int id = firstNewPlugin; id < engine->Registry().NextId(); ++id) engine->FindPlugin(id)->active = true;
  xmlNode* root = xmlDocGetRootElement(file.doc);
  for (xmlNode* plugins = root->children; plugins != nullptr; plugins = plugins->next) {
    if (!IsElement(plugins, "plugins")) continue;
    for (xmlNode* element = plugins->children; element != nullptr; element = element->next) {
      bool hasGuid = false, hasActive = false;
      std::string text = AttributeText(element, "guid", &hasGuid);
      if (!IsElement(element, "plugin") || !hasGuid) continue;
      char guid[40];
      CopyGuid(guid, text.c_str());
      int id = engine->Registry().FindByGuid(guid);
      if (id < firstNewPlugin) continue;
      std::string active = AttributeText(element, "active", &hasActive);
      engine->FindPlugin(id)->active = !hasActive || engine->ParseBool(active.c_str());
      engine->Placeholder()->KeepSettings(engine->FindPlugin(id)->guid, element);
    }
  }
}

}  // namespace

bool ExportBindings(TambrelEngine* engine, const std::vector<int>& ids, const std::wstring& path) {
  std::vector<int> chosen = ids;
  if (chosen.empty())
    for (auto& binding : engine->Actions()) chosen.push_back(binding.first);
  // The live reload would take such a file for the user's whole configuration.
  if (SamePath(path, engine->ConfigPath())) {
    ReportError("Bindings cannot be exported to conf.xml itself: choose another file.");
    return false;
  }
  std::string text;
  if (!BindingsText(engine, chosen, &text)) {
    ReportError("Error writing configuration file!");
    return false;
  }
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file || !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size()) {
    std::string reason = SystemText(GetLastError());
    if (file) {
      file.Reset();
      DeleteFileW(path.c_str());  // no half a file under the name the user chose
    }
    ReportErrorFormat("Couldn't write the bindings to %s!\n\n%s", Shown(path).c_str(), reason.c_str());
    return false;
  }
  return true;
}

ImportResult ImportBindings(TambrelEngine* engine, const std::wstring& path, int* added, int* skipped) {
  std::string bytes, shown = Shown(path);
  DWORD error = 0;
  if (!ReadWholeFile(path, &bytes, &error)) {
    ReportErrorFormat("Couldn't open configuration file %s!\n\n%s", shown.c_str(), SystemText(error).c_str());
    return ImportResult::kBadFile;
  }
  ImportPlan plan;
  {
    ImportDocument trial;
    if (!trial.Load(bytes, shown)) return ImportResult::kBadFile;
    plan = Plan(engine, trial);
  }
  if (!plan.never.empty()) {
    std::string text = "After the import, these bindings would never fire:\n\n";
    for (size_t i = 0; i < plan.never.size() && i < kListedAtMost; ++i) text += plan.never[i] + "\n";
    if (plan.never.size() > kListedAtMost)
      text += "and " + std::to_string(plan.never.size() - kListedAtMost) + " more\n";
    if (!AskQuestion((text + "\nImport anyway?").c_str())) return ImportResult::kCancelled;
  }
  // The loader may change the document (the old layout gains shortcut elements): the real
  // pass reads a fresh one.
  ImportDocument file;
  if (!file.Load(bytes, shown)) return ImportResult::kBadFile;
  int firstNewPlugin = engine->Registry().NextId();
  std::vector<xmlNode*> bindings = file.Bindings();
  int count = 0;
  for (size_t i = 0; i < bindings.size(); ++i)
    if (!plan.skip[i] && LoadOne(engine, file, bindings[i]) != 0) ++count;
  KeepNewPluginSettings(engine, file, firstNewPlugin);
  if (added != nullptr) *added = count;
  if (skipped != nullptr) {
    *skipped = 0;
    for (bool skip : plan.skip) *skipped += skip ? 1 : 0;
  }
  engine->Config().Save();
  return ImportResult::kImported;
}
