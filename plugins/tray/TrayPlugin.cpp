#include "TrayPlugin.h"

#include <stdio.h>

#include "PluginGuids.h"
#include "PluginResources.h"

TrayPlugin::TrayPlugin()
    : BuiltInPlugin("Tambrel Tray Plugin", TRAY_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_TOGGLEHANDLER | PLUGIN_GENERAL, IDI_TRAY_ENABLED) {}

void TrayPlugin::AppendDebugInfo(std::string& text, bool forAction, int) {
  if (forAction) return;
  char line[160];
  snprintf(line, sizeof line,
           "\t\tMain window key: %d\n\t\tAbout window key: %d\n\t\tSettings window key: %d\n\t\tQuit key: %d\n",
           m_keys[0], m_keys[2], m_keys[1], m_keys[3]);
  text += line;
}
