#include "ToggleKeyPlugin.h"

#include "PluginGuids.h"
#include "PluginResources.h"

ToggleKeyPlugin::ToggleKeyPlugin()
    : BuiltInPlugin("Keyboard Tambrel Plugin", TOGGLEKEY_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_TOGGLEHANDLER, IDI_KEYBOARD) {}
