#include "ConfigFile.h"

#include <string.h>

#include "../engine/Engine.h"
#include "../engine/KeyNames.h"
#include "../engine/Messages.h"

bool ConfigFile::Load() {
  // Reading conf.xml comes with the configuration reader; until then a file is ignored.
  LoadDefaultKeys();
  DetectNewPlugins();
  return true;
}

bool ConfigFile::Save() { return true; }

void ConfigFile::LoadDefaultKeys() {
  std::vector<KeyInfo>& keys = m_engine->Keys();
  for (size_t i = 0; i < kBuiltInKeyCount; ++i) {
    KeyInfo key;
    memset(&key, 0, sizeof key);
    strncpy(key.name, kBuiltInKeys[i].name, sizeof key.name - 1);
    key.nameLength = static_cast<int>(strlen(key.name));
    strncpy(key.text, kBuiltInKeys[i].text, sizeof key.text - 1);
    key.vk = kBuiltInKeys[i].vk;
    keys.push_back(key);
  }
}

void ConfigFile::DetectNewPlugins() {
  for (PluginRecord& record : m_engine->Registry()) {
    if (!record.loaded) {
      record.active = true;
      if (record.plugin->NeedsConfiguration()) {
        ReportWarningFormat(
            "A new plugin has been detected (%s) and a window will now appear that allows "
            "you to configure it.",
            record.name);
        record.active = record.plugin->Configure();
      }
      record.loaded = true;
    }
    record.plugin->SetEnabled(false);
    record.plugin->SetEngine(m_engine);
  }
}
