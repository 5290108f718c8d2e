// keyprobe.dll: a plugin library built against the contract header alone. Its one plugin
// records every key event the engine hands it and asks to swallow the key-down of Q (only
// the key-down: the engine is to keep the key-up with it). KeyProbeTrace() returns the
// events seen so far, one "message vk" line each, in hexadecimal.
#include <stdio.h>
#include <string.h>

#include "NullPlugin.h"

namespace {

char gTrace[8192];

void Record(UINT message, DWORD vk) {
  size_t used = strlen(gTrace);
  snprintf(gTrace + used, sizeof gTrace - used, "%X %02lX\n", message,
           static_cast<unsigned long>(vk));
}

class KeyProbe : public NullPlugin {
 public:
  const char* GetName() override { return "Key Probe"; }
  const char* GetGuid() override { return "{4B455950-0000-0000-0000-50524F424521}"; }
  bool Configure() override { return true; }
  bool WantsKeyEvents() override { return m_enabled; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override {
    Record(message, key->vkCode);
    return key->vkCode == 'Q' && message == WM_KEYDOWN;
  }
};

KeyProbe gProbe;
Plugin* gPlugins[] = {&gProbe};

}  // namespace

extern "C" __declspec(dllexport) unsigned __stdcall GetPluginsInfo(Plugin*** plugins) {
  *plugins = gPlugins;
  return 1;
}

extern "C" __declspec(dllexport) const char* KeyProbeTrace() { return gTrace; }
