// Stands in for every plugin that conf.xml names but no library provides: its bindings keep
// their ids and show as "Unknown Shortcut" / "Unknown Action", and never fire.
#ifndef TAMBREL_PLACEHOLDERPLUGIN_H
#define TAMBREL_PLACEHOLDERPLUGIN_H

#include "TambrelPlugin.h"

class PlaceholderPlugin : public Plugin {
 public:
  void Release() override {}  // the engine deletes the placeholder itself
  const char* GetDebugInfo(bool, bool, int) override { return "\t\tUnknown plugin\n"; }
  const char* GetName() override { return "Unknown Plugin"; }
  const char* GetGuid() override { return "{00000000-0000-0000-0000-000000000000}"; }
  int CheckVersion(int) override { return 1; }
  HICON GetIcon() override;
  void LoadSettings(xmlNode*) override {}
  void SaveSettings(xmlNode*) override {}
  bool HasSettingsPage() override { return false; }
  void CreateSettingsPage(HWND, RECT) override {}
  void DestroySettingsPage() override {}
  void ShowSettingsPage(bool) override {}
  LRESULT PreTranslateMessage(MSG*) override { return 0; }
  int GetTypes() override {
    return PLUGIN_ACTIONTYPE | PLUGIN_NOTIFYHANDLER | PLUGIN_TOGGLEHANDLER | PLUGIN_SHORTCUTTYPE;
  }
  bool NeedsConfiguration() override { return false; }
  bool Configure() override { return false; }
  bool IsEnabled() override { return m_enabled; }
  void SetEnabled(bool enabled) override { m_enabled = enabled; }
  void SetEngine(Engine*) override {}
  bool WantsKeyEvents() override { return false; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT*, UINT) override { return false; }
  ActionType* GetActionType() override { return &m_action; }
  ShortcutType* GetShortcutType() override { return &m_shortcut; }
  NotifyHandler* GetNotifyHandler() override { return &m_notify; }
  void* GetToggleHandler() override { return nullptr; }

 private:
  class Action : public ActionType {
   public:
    void Load(int, xmlNode*) override {}
    void Apply(int) override {}
    void Save(int, xmlNode*) override {}
    void Select(int) override {}
    void Remove(int) override {}
    int Execute(int) override { return 0; }
    const char* GetActionText(int) override { return "Unknown Action"; }
    const char* GetName() override { return "Unknown ActionType"; }
    bool HasPage() override { return false; }
    void CreatePage(HWND, RECT) override {}
    void DestroyPage() override {}
    void ShowPage(bool) override {}
  };
  class Shortcut : public ShortcutType {
   public:
    void Load(int, xmlNode*) override {}
    void Apply(int) override {}
    void Save(int, xmlNode*) override {}
    void Select(int) override {}
    void Remove(int) override {}
    const char* GetShortcutText(int) override { return "Unknown Shortcut"; }
    const char* GetName() override { return "Unknown ShortcutType"; }
    bool HasPage() override { return false; }
    void CreatePage(HWND, RECT) override {}
    void DestroyPage() override {}
    void ShowPage(bool) override {}
  };
  class Notify : public NotifyHandler {
   public:
    void OnToggle(bool) override {}
  };

  Action m_action;
  Shortcut m_shortcut;
  Notify m_notify;
  bool m_enabled = false;
};

#endif
