// A dialog from a resource template, bound to an object: one static dialog procedure takes
// the object from WM_INITDIALOG's lParam and hands it every later message. Modeless and
// modal dialogs differ only in how they are created and ended.
#ifndef DIALOGKIT_DIALOG_H
#define DIALOGKIT_DIALOG_H

#include <windows.h>

class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  // A window still open is destroyed without reaching this object any more.
  virtual ~Dialog();

  // Modeless, from dialog resource templateId of the resource instance; null on failure.
  HWND Create(UINT templateId, HWND parent);
  // Modal: returns what EndModal was given, or -1 when the dialog could not be created.
  INT_PTR RunModal(UINT templateId, HWND parent);
  // Ends a modal dialog once its current message is handled.
  bool EndModal(INT_PTR result);
  // Ends a modeless dialog.
  void Destroy();

  // Null before WM_INITDIALOG and after WM_NCDESTROY.
  HWND Window() const { return m_hWnd; }
  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }

  // A dialog procedure answers most messages through DWLP_MSGRESULT and returns TRUE for
  // "handled"; Dialog does this with OnMessage's result.
  static void SetMessageResult(HWND dialog, LRESULT result);

  // IsDialogMessage for a message as the message loop took it from the queue: a Unicode
  // window's came through the W functions, its characters as UTF-16, and the A form would
  // convert them once more.
  static bool IsDialogMessageFor(HWND dialog, MSG* msg);

 protected:
  // Every message from WM_INITDIALOG to WM_NCDESTROY. True when handled; *result is then
  // the answer (for WM_INITDIALOG: TRUE to let the system focus the first control). An
  // unhandled WM_INITDIALOG gets TRUE, every other unhandled message the default processing.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;
};

#endif
