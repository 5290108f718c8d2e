// A plugin that does nothing, for test plugin libraries to build on: each overrides only
// what its test looks at. It needs nothing but the contract header.
#ifndef TAMBREL_NULLPLUGIN_H
#define TAMBREL_NULLPLUGIN_H

#include "TambrelPlugin.h"

class NullPlugin : public Plugin {
 public:
  void Release() override {}
  const char* GetDebugInfo(bool, bool, int) override { return "\t\tNo additional information\n"; }
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
  bool Configure() override { return false; }
  bool IsEnabled() override { return m_enabled; }
  void SetEnabled(bool enabled) override { m_enabled = enabled; }
  void SetEngine(Engine*) override {}
  bool WantsKeyEvents() override { return false; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT*, UINT) override { return false; }
  ActionType* GetActionType() override { return nullptr; }
  ShortcutType* GetShortcutType() override { return nullptr; }
  NotifyHandler* GetNotifyHandler() override { return nullptr; }
  void* GetToggleHandler() override { return nullptr; }

 protected:
  bool m_enabled = false;
};

#endif
