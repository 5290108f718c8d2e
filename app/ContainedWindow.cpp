#include "ContainedWindow.h"

#include <commctrl.h>

bool ContainedWindow::Subclass(HWND window) {
  Unsubclass();
  if (window == nullptr ||
      !SetWindowSubclass(window, Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
    return false;
  m_hWnd = window;
  return true;
}

void ContainedWindow::Unsubclass() {
  if (m_hWnd == nullptr) return;
  RemoveWindowSubclass(m_hWnd, Proc, reinterpret_cast<UINT_PTR>(this));
  m_hWnd = nullptr;
}

LRESULT CALLBACK ContainedWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
  ContainedWindow* self = reinterpret_cast<ContainedWindow*>(data);
  if (message == WM_NCDESTROY) {
    // A subclass has to be removed before its window is gone; the control's own procedure
    // still gets the message.
    self->Unsubclass();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (self->m_owner->OnContainedMessage(self->m_mapId, hwnd, message, wParam, lParam, &result)) return result;
  return DefSubclassProc(hwnd, message, wParam, lParam);
}
