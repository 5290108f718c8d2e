// "Tambrel Tray Plugin": the notification-area icon and menu, and the window and quit keys.
#ifndef TAMBRELPLUG_TRAYPLUGIN_H
#define TAMBRELPLUG_TRAYPLUGIN_H

#include "BuiltInPlugin.h"

#include <shellapi.h>

class TrayPlugin : public BuiltInPlugin, public NotifyHandler {
 public:
  // Rows of the hot keys, as the page lists them.
  enum Key { KEY_MAIN, KEY_SETTINGS, KEY_ABOUT, KEY_QUIT, KEY_COUNT };
  // The icon's callback message.
  static const UINT kCallbackMessage = WM_USER + 1;

  TrayPlugin();
  ~TrayPlugin() override;

  void LoadSettings(xmlNode* firstChild) override;
  void SaveSettings(xmlNode* pluginElement) override;
  bool HasSettingsPage() override { return true; }
  void CreateSettingsPage(HWND parent, RECT rect) override;
  void DestroySettingsPage() override;
  void SetEnabled(bool enabled) override;
  bool WantsKeyEvents() override;
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override;
  NotifyHandler* GetNotifyHandler() override { return this; }
  void* GetToggleHandler() override { return &m_toggleHandler; }
  void OnToggle(bool toggled) override { m_toggled = toggled; }

  int KeyCode(int row) const { return m_keys[row]; }
  // Stores the key of row and shows its name on the page, if the page is open.
  void SetKey(int row, int vk);
  Engine* GetEngine() const { return m_engine; }

  // For the tests: the message window and the menu.
  HWND MessageWindow() const { return m_window; }
  HMENU Menu() const { return m_menu; }

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id);
  void OnIconMessage(UINT mouseMessage);
  void ShowMenu();
  void RunHotKey(int row);
  void SetIcon(int resource, DWORD operation);

  int m_keys[KEY_COUNT] = {122, 121, 112, 27};  // main, settings, about, quit: F11, F10, F1, Escape
  bool m_toggled = false;
  NOTIFYICONDATAA m_icon = {};
  HWND m_window = nullptr;
  HMENU m_menu = nullptr;
  UINT m_taskbarCreated = 0;  // what a starting taskbar broadcasts
  ToggleHandlerMarker m_toggleHandler;
};

#endif
