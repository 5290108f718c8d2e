// keyprobe.dll: a plugin library built against the contract header alone. Its one plugin
// records every key event the engine hands it and asks to swallow the key-down of Q (only
// the key-down: the engine is to keep the key-up with it). KeyProbeTrace() returns the
// events seen so far, one "message vk" line each, in hexadecimal.
#include <stdio.h>
#include <string.h>

#include "TambrelPlugin.h"

namespace {

char gTrace[8192];

void Record(UINT message, DWORD vk) {
  size_t used = strlen(gTrace);
  snprintf(gTrace + used, sizeof gTrace - used, "%X %02lX\n", message,
           static_cast<unsigned long>(vk));
}

class KeyProbe : public Plugin {
 public:
  void Release() override {}
  const char* GetDebugInfo(bool, bool, int) override { return "\t\tNo additional information\n"; }
  const char* GetName() override { return "Key Probe"; }
  const char* GetGuid() override { return "{4B455950-0000-0000-0000-50524F424521}"; }
  int CheckVersion(int) override { return PLUGIN_INTERFACE_VERSION; }
  HICON GetIcon() override { return nullptr; }
  void LoadSettings(xmlNode*) override {}
  void SaveSettings(xmlNode*) override {}
  bool HasSettingsPage() override { return false; }
  void CreateSettingsPage(HWND, RECT) override {}
  void DestroySettingsPage() override {}
  void ShowSettingsPage(bool) override {}
  LRESULT PreTranslateMessage(MSG*) override { return 0; }
  int GetTypes() override { return PLUGIN_GENERAL; }
  bool NeedsConfiguration() override { return false; }
  bool Configure() override { return true; }
  bool IsEnabled() override { return m_enabled; }
  void SetEnabled(bool enabled) override { m_enabled = enabled; }
  void SetEngine(Engine*) override {}
  bool WantsKeyEvents() override { return m_enabled; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override {
    Record(message, key->vkCode);
    return key->vkCode == 'Q' && message == WM_KEYDOWN;
  }
  ActionType* GetActionType() override { return nullptr; }
  ShortcutType* GetShortcutType() override { return nullptr; }
  NotifyHandler* GetNotifyHandler() override { return nullptr; }
  void* GetToggleHandler() override { return nullptr; }

 private:
  bool m_enabled = false;
};

KeyProbe gProbe;
Plugin* gPlugins[] = {&gProbe};

}  // namespace

extern "C" __declspec(dllexport) unsigned __stdcall GetPluginsInfo(Plugin*** plugins) {
  *plugins = gPlugins;
  return 1;
}

extern "C" __declspec(dllexport) const char* KeyProbeTrace() { return gTrace; }
