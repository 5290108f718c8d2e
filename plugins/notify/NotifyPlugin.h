// "Window Tambrel Notify Plugin": a notice on the screen while Tambrel is toggled, and above
// its line, unless the user turned it off, the bindings that can still be typed. Up and Down
// highlight one of them and Enter runs it, as typing its shortcut would.
#ifndef TAMBRELPLUG_NOTIFYPLUGIN_H
#define TAMBRELPLUG_NOTIFYPLUGIN_H

#include <string>
#include <vector>

#include "BuiltInPlugin.h"
#include "CheatSheet.h"
#include "UniqueHandle.h"

class NotifyPage;

class NotifyPlugin : public BuiltInPlugin, public NotifyHandler, public SheetListener {
 public:
  NotifyPlugin();
  ~NotifyPlugin() override;
  // A constant line; a release call frees nothing.
  const char* GetDebugInfo(bool, bool, int) override { return "\t\tNo additional information\n"; }
  NotifyHandler* GetNotifyHandler() override { return this; }
  void SetEnabled(bool enabled) override {
    m_enabled = enabled;
    OnToggle(m_toggled);
  }
  void LoadSettings(xmlNode* firstChild) override;
  void SaveSettings(xmlNode* pluginElement) override;
  bool HasSettingsPage() override { return true; }
  void CreateSettingsPage(HWND parent, RECT rect) override;
  void DestroySettingsPage() override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  bool WantsKeyEvents() override { return m_enabled && m_showBindings; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override;

  void OnToggle(bool toggled) override;
  // SheetListener: the list is made after the hook returned.
  void SheetChanged() override;

  bool ShowsBindings() const { return m_showBindings; }
  void SetShowBindings(bool show);

  // Makes the list again from the sources, with the window's text, size and place, and shows
  // or hides the window: what the refresh timer does. Public for the tests and the
  // benchmark, as is the list alone.
  void Refresh();
  void MakeRows();

  // For the tests.
  HWND NoticeWindow() const { return m_window; }
  UINT Dpi() const { return m_dpi; }
  int Highlighted() const { return m_highlight; }  // the row, -1 for none

  // At most this many bindings are listed; a last row says how many more there are.
  static const size_t kMaxRows = 12;

 private:
  struct Row {
    int actionId;
    std::string shortcut, action;
    size_t typed;  // characters of the shortcut typed already
  };
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Place();
  void Paint(HDC dc);
  void MakeFonts();
  void OnDpiChanged(UINT dpi);
  int Px(int value) const { return MulDiv(value, static_cast<int>(m_dpi), 96); }  // 96-DPI pixels at the notice's DPI
  std::string ActionText(int actionId);

  void PostRefresh();

  bool m_toggled = false;
  bool m_showBindings = true;
  bool m_refreshPosted = false;  // the refresh timer is set: once, however fast the keys come
  HWND m_window = nullptr;
  UINT m_dpi = 96;
  UniqueFont m_noticeFont, m_rowFont, m_typedFont;
  std::vector<Row> m_rows;  // what the notice shows: Up, Down and Enter act on these
  int m_highlight = -1;     // the row highlighted, -1 for none
  int m_highlightId = 0;    // its binding, which keeps the highlight while the rows change
  std::string m_text;  // the window's text, as last set
  size_t m_moreRows = 0;
  NotifyPage* m_page = nullptr;  // while this plugin's page is open
};

#endif
