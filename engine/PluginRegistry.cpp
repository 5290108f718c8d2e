#include "PluginRegistry.h"

#include <string.h>

void CopyGuid(char (&out)[40], const char* text) {
  static const char kTemplate[] = "{00000000-0000-0000-0000-000000000000}";
  memset(out, 0, sizeof out);
  memcpy(out, kTemplate, PLUGIN_GUID_LENGTH);
  if (text == nullptr || strnlen(text, PLUGIN_GUID_LENGTH) < PLUGIN_GUID_LENGTH) return;
  static const int kGroups[][2] = {{1, 8}, {10, 13}, {15, 18}, {20, 23}, {25, 36}};
  for (const auto& group : kGroups) {
    for (int i = group[0]; i <= group[1]; ++i) out[i] = text[i];
  }
}

int PluginRegistry::Add(const PluginRecord& record) {
  m_records.push_back(record);
  return static_cast<int>(m_records.size());
}

PluginRecord* PluginRegistry::Find(int pluginId) {
  if (pluginId < 1 || pluginId > Count()) return nullptr;
  return &m_records[pluginId - 1];
}

int PluginRegistry::FindByGuid(const char* guid) const {
  for (size_t i = 0; i < m_records.size(); ++i) {
    if (strncmp(m_records[i].guid, guid, PLUGIN_GUID_LENGTH) == 0) return static_cast<int>(i) + 1;
  }
  return 0;
}
