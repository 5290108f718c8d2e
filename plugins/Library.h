#ifndef TAMBRELPLUG_LIBRARY_H
#define TAMBRELPLUG_LIBRARY_H

#include "TambrelPlugin.h"

// Hosts register the plugins in their fixed order, and stored configurations know them by
// GUID: a new plugin goes after the others.
const unsigned kBuiltInPluginCount = 9;
// Fresh plugin objects in their fixed order; whoever holds them releases each once.
void CreateBuiltInPlugins(Plugin* (&plugins)[kBuiltInPluginCount]);
// The plugin objects, in their fixed order; made on the first call.
unsigned GetBuiltInPlugins(Plugin*** plugins);
// The library's GetShadowingAction: asks every built-in plugin object there is.
int __stdcall BuiltInShadowingAction(int actionId);
// The library's GetShortcutWarning: the warning of the plugin that holds the shortcut.
const char* __stdcall BuiltInShortcutWarning(int actionId);
// Where the library's resources come from: its own module.
void InitPluginLibrary(HINSTANCE module);

#endif
