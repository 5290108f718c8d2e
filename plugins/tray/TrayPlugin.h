// "Tambrel Tray Plugin": the notification-area icon and menu, and the window and quit keys.
#ifndef TAMBRELPLUG_TRAYPLUGIN_H
#define TAMBRELPLUG_TRAYPLUGIN_H

#include "BuiltInPlugin.h"

class TrayPlugin : public BuiltInPlugin, public NotifyHandler {
 public:
  TrayPlugin();
  NotifyHandler* GetNotifyHandler() override { return this; }
  void* GetToggleHandler() override { return &m_toggleHandler; }
  void OnToggle(bool toggled) override { m_toggled = toggled; }

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;

 private:
  int m_keys[4] = {122, 121, 112, 27};  // main, settings, about, quit: F11, F10, F1, Escape
  bool m_toggled = false;
  ToggleHandlerMarker m_toggleHandler;
};

#endif
