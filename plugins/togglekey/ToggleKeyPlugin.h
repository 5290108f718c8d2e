// "Keyboard Tambrel Plugin": the Tambrel key, which switches the engine's toggle state.
#ifndef TAMBRELPLUG_TOGGLEKEYPLUGIN_H
#define TAMBRELPLUG_TOGGLEKEYPLUGIN_H

#include "BuiltInPlugin.h"

class ToggleKeyPlugin : public BuiltInPlugin, public NotifyHandler {
 public:
  ToggleKeyPlugin();
  NotifyHandler* GetNotifyHandler() override { return this; }
  void* GetToggleHandler() override { return &m_toggleHandler; }
  void OnToggle(bool toggled) override { m_toggled = toggled; }

 private:
  int m_keyCode = 19;  // Pause
  bool m_useScanCode = false;
  bool m_toggled = false;
  ToggleHandlerMarker m_toggleHandler;
};

#endif
