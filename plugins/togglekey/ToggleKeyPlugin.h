// "Keyboard Tambrel Plugin": the Tambrel key, which switches the engine's toggle state.
#ifndef TAMBRELPLUG_TOGGLEKEYPLUGIN_H
#define TAMBRELPLUG_TOGGLEKEYPLUGIN_H

#include "BuiltInPlugin.h"

class ToggleKeyPage;

class ToggleKeyPlugin : public BuiltInPlugin, public NotifyHandler {
 public:
  ToggleKeyPlugin();
  ~ToggleKeyPlugin() override;

  void LoadSettings(xmlNode* firstChild) override;
  void SaveSettings(xmlNode* pluginElement) override;
  bool HasSettingsPage() override { return true; }
  void CreateSettingsPage(HWND parent, RECT rect) override;
  void DestroySettingsPage() override;
  bool WantsKeyEvents() override { return m_enabled; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override;
  NotifyHandler* GetNotifyHandler() override { return this; }
  void* GetToggleHandler() override { return &m_toggleHandler; }

  // NotifyHandler
  void OnToggle(bool toggled) override { m_toggled = toggled; }

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;

 private:
  friend class ToggleKeyPage;
  bool PageOpen() const;
  void RefreshPage();

  int m_keyCode = 19;  // Pause
  bool m_useScanCode = false;
  bool m_toggled = false;
  ToggleKeyPage* m_page = nullptr;  // set while this plugin's page is open
  ToggleHandlerMarker m_toggleHandler;
};

#endif
