// tambrelplug.dll: the seven built-in plugins, bound through GetPluginsInfo.
#include "Library.h"

#include "ResourceInstance.h"
#include "execute/ExecutePlugin.h"
#include "macro/MacroPlugin.h"
#include "notify/NotifyPlugin.h"
#include "sequence/SequencePlugin.h"
#include "togglekey/ToggleKeyPlugin.h"
#include "tray/TrayPlugin.h"
#include "windows/WindowsPlugin.h"

unsigned GetBuiltInPlugins(Plugin*** plugins) {
  // Made on the first call; later calls hand out the same array. The engine releases each
  // object once at shut-down; the array itself is never cleared.
  static Plugin* s_plugins[7];
  static bool s_created = false;
  if (!s_created) {
    s_plugins[0] = new MacroPlugin;
    s_plugins[1] = new ExecutePlugin;
    s_plugins[2] = new WindowsPlugin;
    s_plugins[3] = new ToggleKeyPlugin;
    s_plugins[4] = new TrayPlugin;
    s_plugins[5] = new NotifyPlugin;
    s_plugins[6] = new SequencePlugin;
    s_created = true;
  }
  *plugins = s_plugins;
  return 7;
}

void InitPluginLibrary(HINSTANCE module) {
  SetPluginModule(module);     // icons, menus and page templates
  SetResourceInstance(module);  // dialog templates read by the layout
}
