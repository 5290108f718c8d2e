// The debug report: the engine's whole state, and every plugin's own debug text, written to
// debug.txt in the working folder on demand.
#include <stdio.h>

#include "Engine.h"
#include "StartupShortcut.h"
#include "UniqueHandle.h"
#include "WidePath.h"

namespace {

struct StdioTraits {
  typedef FILE* Type;
  static Type Empty() { return nullptr; }
  static void Close(Type f) { fclose(f); }
};
typedef UniqueHandle<StdioTraits> UniqueStdio;

const struct {
  int flag;
  const char* name;
} kTypeNames[] = {
    {PLUGIN_ACTIONTYPE, "Action type handler"},  {PLUGIN_NOTIFYHANDLER, "Tambrel notify handler"},
    {PLUGIN_TOGGLEHANDLER, "Tambrel toggle handler"}, {PLUGIN_GENERAL, "General Purpose"},
    {PLUGIN_SHORTCUTTYPE, "Shortcut type handler"}, {PLUGIN_NOTIFIER, "Tambrel notifier"},
};

// Plugins are trusted to return texts, but a null one must not take the program down with
// the report.
const char* Text(const char* text) { return text != nullptr ? text : ""; }

// Each plugin text is written before the next call into a plugin: a text is only valid until
// that plugin's next call, and one object may be both sides of a binding.
void Put(FILE* file, const char* text) { fputs(Text(text), file); }

}  // namespace

void TambrelEngine::WriteDebugReport() {
  // In the working folder, whatever its name; text mode: line feeds become CR LF. The report
  // is in the system code page, as every text in it: a path shows what the code page lacks as
  // "?".
  UniqueStdio file(_wfopen(L"debug.txt", L"w+"));
  if (!file) return;
  FILE* f = file.Get();

  fprintf(f, "Dumping debug information for Tambrel %1.2f\n\n", kProgramVersion);
  fprintf(f, "Configuration file: %s\n\n", ShownText(m_configPath).c_str());
  fprintf(f, "Options:\n");
  fprintf(f, "\tLogging: %s%s\n", m_options.log ? "on, to file: " : "off",
          m_options.log ? ShownText(m_options.logFile).c_str() : "");
  fprintf(f, "\tStart-up: Engine %s, %sshow main dialog\n", m_options.autoActive ? "active" : "off",
          m_options.autoShow ? "" : "don't ");
  fprintf(f, "\tKeyboard hook: %s\n", m_options.hookActive ? "active" : "off");
  fputs("\tStart at sign-in: ", f);
  std::vector<std::wstring> shortcuts = FindStartupShortcuts(ThisProgram());
  if (shortcuts.empty()) fputs("no", f);
  for (size_t i = 0; i < shortcuts.size(); ++i)
    fprintf(f, "%s%s", i == 0 ? "shortcut " : ", ", ShownText(shortcuts[i]).c_str());
  fputs("\n", f);

  fprintf(f, "\tRegistered keys:\n");
  for (const KeyInfo& key : m_keys)
    fprintf(f, "\t\t0x%02x : %s (%s), VK: %d\n", key.vk, key.name, key.text, key.vk);
  fprintf(f, "\n");

  fprintf(f, "Plugin interface information:\n\tVersion: %d\n\tUnsupported version: %d\n"
             "\tPlugin function: %s\n\n",
          PLUGIN_INTERFACE_VERSION, 0, "GetPluginsInfo");

  fprintf(f, "Loaded plugins (%d, High ID: %d):\n", m_registry.Count(), m_registry.NextId());
  for (PluginRecord& record : m_registry) {
    fprintf(f, "\t\"%s\" %.38s from %s\n", Text(record.name), record.guid, record.file);
    fprintf(f, "\t\tStatus: %s, %s\n", record.loaded ? "Loaded" : "Not loaded",
            record.active ? "Active" : "Not active");
    fputs("\t\tPlugin types: ", f);
    const char* separator = "";
    for (const auto& type : kTypeNames) {
      if ((record.types & type.flag) == 0) continue;
      fprintf(f, "%s%s", separator, type.name);
      separator = ", ";
    }
    if (*separator == '\0') fputs("None", f);
    fputs("\n\tPlugin debug info:\n", f);
    Put(f, record.plugin->GetDebugInfo(false, false, 0));
    fputs("\n", f);
  }

  fprintf(f, "Action table (%d, High ID: %d):\n", static_cast<int>(m_actions.size()),
          m_nextActionId);
  for (const auto& entry : m_actions) {
    int id = entry.first;
    PluginRecord* shortcutPlugin = m_registry.Find(entry.second.shortcutPluginId);
    PluginRecord* actionPlugin = m_registry.Find(entry.second.actionPluginId);
    ShortcutType* shortcut = ShortcutOf(entry.second.shortcutPluginId);
    ActionType* action = ActionOf(entry.second.actionPluginId);
    // A binding always names two registry records with their role; one that does not has
    // nothing to ask, and is left out as the configuration writer leaves it out.
    if (shortcutPlugin == nullptr || actionPlugin == nullptr || shortcut == nullptr ||
        action == nullptr)
      continue;
    Put(f, shortcut->GetShortcutText(id));
    fputs(" -> ", f);
    Put(f, action->GetActionText(id));
    fprintf(f, " (#%d):\n\tPlugins: ", id);
    Put(f, shortcut->GetName());
    fputs(" -> ", f);
    Put(f, action->GetName());
    fputs("\n\n\tShortcut plugin debug info:\n", f);
    Put(f, shortcutPlugin->plugin->GetDebugInfo(false, true, id));
    fputs("\n\tAction plugin debug info:\n", f);
    Put(f, actionPlugin->plugin->GetDebugInfo(false, true, id));
    fputs("\n", f);
  }
  // The table ends with the bindings that can never fire, where there are any (another
  // binding always fires first, or Windows keeps the shortcut), then those that fire while
  // Windows acts on their shortcut too, or loses it to them.
  for (bool unreachable : {true, false}) {
    bool any = false;
    for (const auto& entry : m_actions) {
      if ((ShadowOf(entry.first) != 0) != unreachable) continue;
      std::string line = WarningText(entry.first, true);
      if (line.empty()) continue;
      if (!any) fputs(unreachable ? "Unreachable bindings:\n" : "Bindings on shortcuts of Windows:\n", f);
      fprintf(f, "\t%s\n", line.c_str());
      any = true;
    }
    if (any) fputs("\n", f);
  }

  for (PluginRecord& record : m_registry) record.plugin->GetDebugInfo(true, false, 0);
}
