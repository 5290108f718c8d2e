// What the benchmarks share: the built-in plugin objects registered in a real engine as
// discovery registers them, a hookpad that installs nothing, boxes printed instead of shown,
// and a clock.
#ifndef TAMBREL_BENCHSUPPORT_H
#define TAMBREL_BENCHSUPPORT_H

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <initializer_list>
#include <string>
#include <vector>

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

// The registry record discovery makes for a plugin object of the plugin library. The file
// name matters: a record without one is a missing plugin, whose data the engine keeps aside
// and writes back as read.
inline PluginRecord RecordOf(Plugin* plugin) {
  PluginRecord record = {};
  strncpy(record.file, "tambrelplug.dll", sizeof record.file - 1);
  CopyGuid(record.guid, plugin->GetGuid());
  record.name = plugin->GetName();
  record.types = plugin->GetTypes();
  record.plugin = plugin;
  record.interfaceVersion = plugin->CheckVersion(PLUGIN_INTERFACE_VERSION);
  return record;
}

// conf.xml with that many key sequences, each bound to an execute action, as the benchmarks of
// the file read it: binding i has the shortcut K and i in five digits; the one numbered
// changed (if any) has R and round instead, so that rounds differ in one binding.
inline std::string ExecuteBindings(int bindings, int changed = -1, int round = 0) {
  std::string xml = "<?xml version=\"1.0\"?>\n<tambrel version=\"2.01\">\n  <options>\n  </options>\n"
                    "  <plugins>\n  </plugins>\n  <actions>\n";
  char line[512];
  for (int i = 0; i < bindings; ++i) {
    snprintf(line, sizeof line,
             "    <action>\n      <shortcut plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\">%s%05d</shortcut>\n"
             "      <actiontype plugin=\"{CC0F56FA-93FA-49E0-B66F-167B15808C3E}\">\n"
             "        <command>C:\\Program Files\\Tool %d\\tool.exe</command>\n"
             "        <parameter>--open \"file %d.txt\"</parameter>\n        <dir>C:\\Work\\%d</dir>\n"
             "      </actiontype>\n    </action>\n",
             i == changed ? "R" : "K", i == changed ? round : i, i, i, i);
    xml += line;
  }
  return xml + "  </actions>\n</tambrel>\n";
}

// A fresh working folder under %TEMP%, made current; the given files in it and the folder go
// again, and the previous folder is current again, when it goes.
class BenchFolder {
 public:
  BenchFolder(const char* name, std::initializer_list<const char*> files) : m_files(files) {
    char temp[MAX_PATH], previous[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    m_path = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_path.c_str(), nullptr);
    GetCurrentDirectoryA(sizeof previous, previous);
    m_previous = previous;
    SetCurrentDirectoryA(m_path.c_str());
  }
  ~BenchFolder() {
    SetCurrentDirectoryA(m_previous.c_str());
    for (const char* file : m_files) DeleteFileA(File(file).c_str());
    RemoveDirectoryA(m_path.c_str());
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const char* name) const { return m_path + "\\" + name; }

 private:
  std::vector<const char*> m_files;  // the list given to the constructor ends with its call
  std::string m_path, m_previous;
};

#endif
