#include "Dialog.h"

#include "ResourceInstance.h"

Dialog::~Dialog() {
  if (m_hWnd != nullptr) {
    // Detach first: this object is half destroyed, and WM_DESTROY must not reach it.
    SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    DestroyWindow(hwnd);
  }
}

HWND Dialog::Create(UINT templateId, HWND parent) {
  return CreateDialogParamA(GetResourceInstance(), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal(UINT templateId, HWND parent) {
  return DialogBoxParamA(GetResourceInstance(), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool Dialog::EndModal(INT_PTR result) { return m_hWnd != nullptr && EndDialog(m_hWnd, result); }

void Dialog::Destroy() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

void Dialog::SetMessageResult(HWND dialog, LRESULT result) {
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
}

bool Dialog::IsDialogMessageFor(HWND dialog, MSG* msg) {
  if (msg->hwnd != nullptr && IsWindowUnicode(msg->hwnd)) return IsDialogMessageW(dialog, msg) != FALSE;
  return IsDialogMessageA(dialog, msg) != FALSE;
}

// These messages take their answer as the dialog procedure's return value itself, not
// through DWLP_MSGRESULT.
static bool ReturnsAnswerDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON: return true;
  }
  return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* dialog;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<Dialog*>(lParam);
    dialog->m_hWnd = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    // Messages before WM_INITDIALOG (WM_SETFONT and the creation messages) find no object.
    dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (dialog == nullptr) return FALSE;
  }
  LRESULT result = 0;
  bool handled = dialog->OnMessage(message, wParam, lParam, &result);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    dialog->m_hWnd = nullptr;
  }
  if (message == WM_INITDIALOG) return handled ? static_cast<INT_PTR>(result) : TRUE;
  if (!handled) return FALSE;
  if (ReturnsAnswerDirectly(message)) return static_cast<INT_PTR>(result);
  SetMessageResult(hwnd, result);
  return TRUE;
}
