// A dialog window object: one static dialog procedure takes the object from WM_INITDIALOG's
// lParam, keeps it in the window, and hands every later message to OnMessage. Modeless and
// modal dialogs differ only in how they are created and ended.
#ifndef DIALOGKIT_DIALOG_H
#define DIALOGKIT_DIALOG_H

#include <windows.h>

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND Window() const { return m_hWnd; }

  // A modeless dialog from a template of module; null when it could not be made.
  HWND CreateModeless(HINSTANCE module, int templateId, HWND parent);
  INT_PTR RunModal(HINSTANCE module, int templateId, HWND parent);
  void Destroy();

 protected:
  // True when handled; *result is what the dialog procedure reports for the message (for
  // most messages through DWLP_MSGRESULT, see Proc). WM_INITDIALOG's result is its own: TRUE
  // lets the system set the focus.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
  virtual void OnDestroyed() {}

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

#endif
