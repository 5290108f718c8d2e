// "Keyboard Tambrel Plugin": the Tambrel key, which switches the engine's toggle state, and,
// if the user wants, gives up a toggle after some seconds without a key, or when Escape is
// pressed.
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
  void OnToggle(bool toggled) override;

  int TimeoutSeconds() const { return m_timeout; }
  bool EscapeCancels() const { return m_escapeCancels; }
  // Whether this key event's key is the Tambrel key, which the plugin takes in any modifier
  // state.
  bool TakesKey(unsigned vk, unsigned scanCode) const {
    return (m_useScanCode ? scanCode : vk) == static_cast<unsigned>(m_keyCode);
  }
  // What Windows loses, or does as well, when the Tambrel key is pressed with the modifiers
  // of one of its own shortcuts: "Win+E no longer opens File Explorer while E is the Tambrel
  // key"; empty when nothing.
  std::string WindowsWarning();

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;

 private:
  friend class ToggleKeyPage;
  bool PageOpen() const;
  void RefreshPage();
  void ArmTimer(DWORD ms);
  static LRESULT CALLBACK TimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int m_keyCode = 19;  // Pause
  bool m_useScanCode = false;
  bool m_toggled = false;
  int m_timeout = 0;          // seconds without a key that end a toggle; 0 for never
  bool m_escapeCancels = false;  // Escape ends a toggle
  DWORD m_lastKeyTime = 0;    // the newest key event while toggled
  HWND m_timerWindow = nullptr;
  ToggleKeyPage* m_page = nullptr;  // set while this plugin's page is open
  ToggleHandlerMarker m_toggleHandler;
};

#endif
