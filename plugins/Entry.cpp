// The library's exports and entry point. Everything else is in the tambrel_plugins library,
// which the tests link as well.
#include "Library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitPluginLibrary(instance);
  return TRUE;
}

extern "C" __declspec(dllexport) unsigned __stdcall GetPluginsInfo(Plugin*** plugins) {
  return GetBuiltInPlugins(plugins);
}

extern "C" __declspec(dllexport) int __stdcall GetShadowingAction(int actionId) {
  return BuiltInShadowingAction(actionId);
}

extern "C" __declspec(dllexport) const char* __stdcall GetShortcutWarning(int actionId) {
  return BuiltInShortcutWarning(actionId);
}
