// Stands in for every plugin that conf.xml names but no library provides: its bindings keep
// their ids and show as "Unknown Shortcut" / "Unknown Action", and never fire.
//
// What the file held for such a plugin is kept as read and written back, so that a run
// without its library loses nothing: each element's attributes (but the ones Tambrel writes
// itself) and children, for the plugin's settings and for each side of its bindings. The
// reader hands the elements over; the writer gets them back through SaveSettings and Save,
// as from any plugin; and a binding deleted, or a side given to another plugin, takes its
// data along through Remove, as any plugin is told.
#ifndef TAMBREL_PLACEHOLDERPLUGIN_H
#define TAMBREL_PLACEHOLDERPLUGIN_H

#include <libxml/tree.h>

#include <map>
#include <string>
#include <utility>

#include "TambrelPlugin.h"

class PlaceholderPlugin : public Plugin {
 public:
  PlaceholderPlugin();
  ~PlaceholderPlugin();
  PlaceholderPlugin(const PlaceholderPlugin&) = delete;
  PlaceholderPlugin& operator=(const PlaceholderPlugin&) = delete;

  // A plugin element of a missing plugin (its guid and active attributes are Tambrel's).
  void KeepSettings(const char* guid, const xmlNode* pluginElement);
  // A shortcut or actiontype element of a binding whose plugin is missing (plugin is
  // Tambrel's attribute); without attributes, only the children are kept.
  void KeepSide(int actionId, bool shortcut, const xmlNode* element, bool attributes);
  void ForgetAll();

  void Release() override {}  // the engine deletes the placeholder itself
  const char* GetDebugInfo(bool, bool, int) override { return "\t\tUnknown plugin\n"; }
  const char* GetName() override { return "Unknown Plugin"; }
  const char* GetGuid() override { return "{00000000-0000-0000-0000-000000000000}"; }
  int CheckVersion(int) override { return 1; }
  HICON GetIcon() override;
  void LoadSettings(xmlNode*) override {}
  // Finds what was kept by the element's guid attribute, which the writer sets first.
  void SaveSettings(xmlNode* pluginElement) override;
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
  typedef std::pair<int, bool> Side;  // action id, shortcut side

  void WriteSide(int actionId, bool shortcut, xmlNode* element);
  void ForgetSide(int actionId, bool shortcut);

  class Action : public ActionType {
   public:
    explicit Action(PlaceholderPlugin* owner) : m_owner(owner) {}
    void Load(int, xmlNode*) override {}
    void Apply(int) override {}
    void Save(int actionId, xmlNode* element) override { m_owner->WriteSide(actionId, false, element); }
    void Select(int) override {}
    void Remove(int actionId) override { m_owner->ForgetSide(actionId, false); }
    int Execute(int) override { return 0; }
    const char* GetActionText(int) override { return "Unknown Action"; }
    const char* GetName() override { return "Unknown ActionType"; }
    bool HasPage() override { return false; }
    void CreatePage(HWND, RECT) override {}
    void DestroyPage() override {}
    void ShowPage(bool) override {}

   private:
    PlaceholderPlugin* m_owner;
  };
  class Shortcut : public ShortcutType {
   public:
    explicit Shortcut(PlaceholderPlugin* owner) : m_owner(owner) {}
    void Load(int, xmlNode*) override {}
    void Apply(int) override {}
    void Save(int actionId, xmlNode* element) override { m_owner->WriteSide(actionId, true, element); }
    void Select(int) override {}
    void Remove(int actionId) override { m_owner->ForgetSide(actionId, true); }
    const char* GetShortcutText(int) override { return "Unknown Shortcut"; }
    const char* GetName() override { return "Unknown ShortcutType"; }
    bool HasPage() override { return false; }
    void CreatePage(HWND, RECT) override {}
    void DestroyPage() override {}
    void ShowPage(bool) override {}

   private:
    PlaceholderPlugin* m_owner;
  };
  class Notify : public NotifyHandler {
   public:
    void OnToggle(bool) override {}
  };

  Action m_action;
  Shortcut m_shortcut;
  Notify m_notify;
  bool m_enabled = false;
  // Copies of the elements, without Tambrel's own attributes, in a document of their own.
  xmlDocPtr m_kept = nullptr;
  std::map<std::string, xmlNode*> m_settings;  // by GUID
  std::map<Side, xmlNode*> m_sides;
};

#endif
