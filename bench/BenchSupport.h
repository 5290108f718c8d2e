// What the benchmarks share: the built-in plugin objects registered in a real engine as
// discovery registers them, a hookpad that installs nothing, boxes printed instead of shown,
// and a clock.
#ifndef TAMBREL_BENCHSUPPORT_H
#define TAMBREL_BENCHSUPPORT_H

#include <windows.h>

#include <stdio.h>

#include "Engine.h"
#include "HookApi.h"
#include "Messages.h"

inline double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A box would stop the run: its text goes to standard error instead.
inline int WINAPI PrintBox(HWND, LPCSTR text, LPCSTR, UINT) {
  fprintf(stderr, "message: %s\n", text);
  return IDOK;
}

inline HHOOKHEAP __stdcall FakeHeap() { return reinterpret_cast<HHOOKHEAP>(1); }
inline BOOLEAN __stdcall FakeFreeHook(HHOOKHEAP, DWORD) { return TRUE; }
inline void __stdcall FakeFreeHeap(HHOOKHEAP) {}

// The registry record discovery makes for a plugin object.
inline PluginRecord RecordOf(Plugin* plugin) {
  PluginRecord record = {};
  CopyGuid(record.guid, plugin->GetGuid());
  record.name = plugin->GetName();
  record.types = plugin->GetTypes();
  record.plugin = plugin;
  record.interfaceVersion = plugin->CheckVersion(PLUGIN_INTERFACE_VERSION);
  return record;
}

#endif
