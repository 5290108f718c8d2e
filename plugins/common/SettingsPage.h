// A plugin's page: a modeless child dialog from the library's own template, painted with
// the main program's drawing services so that it blends into the dialog that hosts it. One
// object per plugin class; its window exists only while the page is open.
#ifndef TAMBRELPLUG_SETTINGSPAGE_H
#define TAMBRELPLUG_SETTINGSPAGE_H

#include <string>

#include "Dialog.h"
#include "DialogLayout.h"

class SettingsPage : public Dialog {
 public:
  // kind: what DrawDialogBackground is told the page is (1 action type, 8 general, 16
  // shortcut type: the plugin type flags).
  template <size_t N>
  SettingsPage(UINT templateId, int kind, const LayoutMapEntry (&layout)[N])
      : m_templateId(templateId), m_kind(kind), m_layout(templateId, layout) {}

  // Creates the window in parent at rect; false when it exists already or cannot be made.
  bool Open(HWND parent, const RECT& rect);
  void Close() { Destroy(); }
  bool IsOpen() const { return Window() != nullptr; }
  void Show(bool show) {
    if (IsOpen()) ShowWindow(Window(), show ? SW_SHOW : SW_HIDE);
  }
  void Redraw() { RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }
  std::string ItemText(int id) const;
  // The text of an edit that MakeUnicodeEdit made, whole; and the same into it.
  std::wstring ItemWideText(int id) const;
  void SetItemWideText(int id, const std::wstring& text);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) final;
  // The page's own messages; WM_INITDIALOG, WM_ERASEBKGND, WM_DRAWITEM and the layout are
  // taken care of.
  virtual bool OnPageMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
  virtual void OnInit() {}
  // The dialog manager makes a template's edits with the A functions, and such an edit keeps
  // its text in the system code page. For text that must keep every character (names, paths,
  // text typed for the user) a Unicode edit takes the template's place: its id, style, font
  // and tab position. The template's edit stays where one cannot be made.
  void MakeUnicodeEdit(int id);

 private:
  UINT m_templateId;
  int m_kind;
  DialogLayout m_layout;
};

#endif
