#include "Dialog.h"

Dialog::~Dialog() { Destroy(); }

HWND Dialog::CreateModeless(HINSTANCE module, int templateId, HWND parent) {
  return CreateDialogParamA(module, MAKEINTRESOURCEA(templateId), parent, Proc,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal(HINSTANCE module, int templateId, HWND parent) {
  return DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), parent, Proc,
                         reinterpret_cast<LPARAM>(this));
}

void Dialog::Destroy() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK Dialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->m_hWnd = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT...)
  LRESULT result = 0;
  bool handled = self->OnMessage(message, wParam, lParam, &result);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    self->OnDestroyed();
  }
  if (!handled) return FALSE;
  // The dialog procedure returns the result itself for these; for every other message it
  // returns TRUE and leaves the result in DWLP_MSGRESULT.
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
  }
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}
