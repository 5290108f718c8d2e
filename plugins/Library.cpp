// tambrelplug.dll: the built-in plugins, bound through GetPluginsInfo.
#include "Library.h"

#include "BuiltInPlugin.h"
#include "ResourceInstance.h"
#include "combo/ComboPlugin.h"
#include "execute/ExecutePlugin.h"
#include "macro/MacroPlugin.h"
#include "notify/NotifyPlugin.h"
#include "sequence/SequencePlugin.h"
#include "togglekey/ToggleKeyPlugin.h"
#include "tray/TrayPlugin.h"
#include "typetext/TypeTextPlugin.h"
#include "windows/WindowsPlugin.h"

void CreateBuiltInPlugins(Plugin* (&plugins)[kBuiltInPluginCount]) {
  plugins[0] = new MacroPlugin;
  plugins[1] = new ExecutePlugin;
  plugins[2] = new WindowsPlugin;
  plugins[3] = new ToggleKeyPlugin;
  plugins[4] = new TrayPlugin;
  plugins[5] = new NotifyPlugin;
  plugins[6] = new SequencePlugin;
  plugins[7] = new TypeTextPlugin;
  plugins[8] = new ComboPlugin;
}

unsigned GetBuiltInPlugins(Plugin*** plugins) {
  // Made on the first call; later calls hand out the same array. The engine releases each
  // object once at shut-down; the array itself is never cleared.
  static Plugin* s_plugins[kBuiltInPluginCount];
  static bool s_created = false;
  if (!s_created) {
    CreateBuiltInPlugins(s_plugins);
    s_created = true;
  }
  *plugins = s_plugins;
  return kBuiltInPluginCount;
}

void InitPluginLibrary(HINSTANCE module) {
  SetPluginModule(module);     // icons, menus and page templates
  SetResourceInstance(module);  // dialog templates read by the layout
}

int __stdcall BuiltInShadowingAction(int actionId) {
  for (BuiltInPlugin* plugin : BuiltInPlugin::Existing())
    if (int shadow = plugin->ShadowOf(actionId)) return shadow;
  return 0;
}

const char* __stdcall BuiltInShortcutWarning(int actionId) {
  for (BuiltInPlugin* plugin : BuiltInPlugin::Existing())
    if (const char* warning = plugin->ShortcutWarning(actionId)) return warning;
  return nullptr;
}
