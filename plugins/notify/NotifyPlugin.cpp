#include "NotifyPlugin.h"

#include "PluginGuids.h"
#include "PluginResources.h"

NotifyPlugin::NotifyPlugin()
    : BuiltInPlugin("Window Tambrel Notify Plugin", NOTIFY_PLUGIN_GUID, PLUGIN_NOTIFYHANDLER | PLUGIN_NOTIFIER,
                    IDI_NOTIFY) {}
