#include "SequencePlugin.h"

#include "PluginGuids.h"
#include "PluginResources.h"

SequencePlugin::SequencePlugin()
    : BuiltInPlugin("Keyboard Shortcut Plugin", SEQUENCE_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_SHORTCUTTYPE, IDI_KEYBOARD) {}
