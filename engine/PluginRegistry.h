// The plugin registry: every plugin object accepted at discovery, under its plugin id.
#ifndef TAMBREL_PLUGINREGISTRY_H
#define TAMBREL_PLUGINREGISTRY_H

#include <vector>

#include "TambrelPlugin.h"

// One registry entry. The PluginInfo head is what Engine::GetPlugin copies out.
struct PluginRecord : PluginInfo {
  int interfaceVersion;
  bool active;  // takes part: key events, toggle notices, enabled while the engine is active
  bool loaded;  // has been through the configuration (listed there, or the new-plugin pass)
  char file[MAX_PATH];  // library file name without folder; empty for a missing plugin
  GetShadowingActionProc shadowingAction;  // the library's, when it exports one
  GetShortcutWarningProc shortcutWarning;  // likewise
};

// Copy a GUID text into the template "{00000000-0000-0000-0000-000000000000}": only the
// hexadecimal groups are taken, so the punctuation is always the template's. A text shorter
// than 38 characters leaves the template all zeros.
void CopyGuid(char (&out)[40], const char* text);

// Ids are given from 1 upward in registration order and never reused; the registry never
// shrinks during a run, so the id of a record is its index plus one.
class PluginRegistry {
 public:
  typedef std::vector<PluginRecord>::iterator iterator;

  int Add(const PluginRecord& record);  // returns the new plugin id
  PluginRecord* Find(int pluginId);
  int FindByGuid(const char* guid) const;  // 0 when no record has it
  int NextId() const { return static_cast<int>(m_records.size()) + 1; }
  int Count() const { return static_cast<int>(m_records.size()); }
  int IdOf(const PluginRecord& record) const {
    return static_cast<int>(&record - m_records.data()) + 1;
  }

  iterator begin() { return m_records.begin(); }
  iterator end() { return m_records.end(); }

 private:
  std::vector<PluginRecord> m_records;
};

#endif
