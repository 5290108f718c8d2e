// What the built-in plugins share: their constant texts and icon, the version answer,
// the enabled flag, the engine pointer and the debug text. Each plugin overrides the rest.
#ifndef TAMBRELPLUG_BUILTINPLUGIN_H
#define TAMBRELPLUG_BUILTINPLUGIN_H

#include <string>
#include <vector>

#include "TambrelPlugin.h"

// The library's own module: icons, menus and page templates come from it.
HINSTANCE PluginModule();
void SetPluginModule(HINSTANCE module);

class BuiltInPlugin : public Plugin {
 public:
  BuiltInPlugin(const char* name, const char* guid, int types, int icon);
  virtual ~BuiltInPlugin();

  // The binding that always fires before actionId can, when this plugin holds actionId's
  // shortcut; 0 otherwise. Asked through the library's GetShadowingAction.
  virtual int ShadowOf(int) { return 0; }
  // What the user should know of actionId's shortcut, when this plugin holds it: Windows
  // keeps it, or acts on it too; null otherwise. Asked through GetShortcutWarning.
  virtual const char* ShortcutWarning(int) { return nullptr; }
  // Every built-in plugin object that exists, for the library's exports.
  static const std::vector<BuiltInPlugin*>& Existing();

  void Release() override { delete this; }
  // The text stays valid until the next call; a release call frees it.
  const char* GetDebugInfo(bool release, bool forAction, int actionId) override;
  const char* GetName() override { return m_name; }
  const char* GetGuid() override { return m_guid; }
  int CheckVersion(int) override { return 1; }
  HICON GetIcon() override;  // loaded on every call; the plugin keeps no reference
  void LoadSettings(xmlNode*) override {}
  void SaveSettings(xmlNode*) override {}
  bool HasSettingsPage() override { return false; }
  void CreateSettingsPage(HWND, RECT) override {}
  void DestroySettingsPage() override {}
  void ShowSettingsPage(bool) override {}
  LRESULT PreTranslateMessage(MSG*) override { return 0; }
  int GetTypes() override { return m_types; }
  bool NeedsConfiguration() override { return false; }
  bool Configure() override { return false; }
  bool IsEnabled() override { return m_enabled; }
  void SetEnabled(bool enabled) override { m_enabled = enabled; }
  void SetEngine(Engine* engine) override { m_engine = engine; }
  bool WantsKeyEvents() override { return false; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT*, UINT) override { return false; }
  ActionType* GetActionType() override { return nullptr; }
  ShortcutType* GetShortcutType() override { return nullptr; }
  NotifyHandler* GetNotifyHandler() override { return nullptr; }
  void* GetToggleHandler() override { return nullptr; }

 protected:
  // The plugin's lines for the debug report; "\t\tNo additional information\n" by default.
  virtual void AppendDebugInfo(std::string& text, bool forAction, int actionId);
  // A debug report is being written: from the first debug text asked until its release,
  // every text the plugin gives goes into debug.txt.
  bool DebugReportOpen() const { return m_debugText != nullptr; }

  bool m_enabled = false;
  Engine* m_engine = nullptr;

 private:
  const char* m_name;
  const char* m_guid;
  int m_types;
  int m_icon;
  std::string* m_debugText = nullptr;
};

// The toggle-handler role has no operations: GetToggleHandler points here.
struct ToggleHandlerMarker {
  char unused;
};

#endif
