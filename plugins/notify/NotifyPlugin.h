// "Window Tambrel Notify Plugin": a notice on the screen while Tambrel is toggled.
#ifndef TAMBRELPLUG_NOTIFYPLUGIN_H
#define TAMBRELPLUG_NOTIFYPLUGIN_H

#include "BuiltInPlugin.h"

class NotifyPlugin : public BuiltInPlugin, public NotifyHandler {
 public:
  NotifyPlugin();
  ~NotifyPlugin() override;
  // A constant line; a release call frees nothing.
  const char* GetDebugInfo(bool, bool, int) override { return "\t\tNo additional information\n"; }
  void SetEngine(Engine*) override {}
  NotifyHandler* GetNotifyHandler() override { return this; }
  void SetEnabled(bool enabled) override {
    m_enabled = enabled;
    OnToggle(m_toggled);
  }
  void OnToggle(bool toggled) override;

  // For the tests.
  HWND NoticeWindow() const { return m_window; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  bool m_toggled = false;
  HWND m_window = nullptr;
};

#endif
