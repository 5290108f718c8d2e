#ifndef TAMBRELPLUG_LIBRARY_H
#define TAMBRELPLUG_LIBRARY_H

#include "TambrelPlugin.h"

const unsigned kBuiltInPluginCount = 7;
// Fresh plugin objects in their fixed order; whoever holds them releases each once.
void CreateBuiltInPlugins(Plugin* (&plugins)[kBuiltInPluginCount]);
// The seven plugin objects, in their fixed order; made on the first call.
unsigned GetBuiltInPlugins(Plugin*** plugins);
// The library's GetShadowingAction: asks every built-in plugin object there is.
int __stdcall BuiltInShadowingAction(int actionId);
// Where the library's resources come from: its own module.
void InitPluginLibrary(HINSTANCE module);

#endif
