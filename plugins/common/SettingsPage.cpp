#include "SettingsPage.h"

#include <string>

#include "HostDrawing.h"

bool SettingsPage::Open(HWND parent, const RECT& rect) {
  if (IsOpen()) return false;
  if (Create(m_templateId, parent) == nullptr) return false;
  SetWindowPos(Window(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

std::string SettingsPage::ItemText(int id) const {
  HWND item = Item(id);
  int length = GetWindowTextLengthA(item);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(item, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

std::wstring SettingsPage::ItemWideText(int id) const {
  HWND item = Item(id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, &text[0], static_cast<int>(text.size()))));
  return text;
}

void SettingsPage::SetItemWideText(int id, const std::wstring& text) { SetWindowTextW(Item(id), text.c_str()); }

void SettingsPage::MakeUnicodeEdit(int id) {
  HWND ansi = Item(id);
  RECT rect;
  GetWindowRect(ansi, &rect);
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
  HWND edit = CreateWindowExW(
      static_cast<DWORD>(GetWindowLongW(ansi, GWL_EXSTYLE)), L"EDIT", L"", static_cast<DWORD>(GetWindowLongW(ansi, GWL_STYLE)),
      rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Window(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Window(), GWLP_HINSTANCE)),
      nullptr);
  if (edit == nullptr) return;
  SendMessageW(edit, WM_SETFONT, SendMessageW(ansi, WM_GETFONT, 0, 0), FALSE);
  SetWindowPos(edit, ansi, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // its tab position
  DestroyWindow(ansi);
}

bool SettingsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  bool handled = false;
  switch (message) {
    case WM_INITDIALOG:
      m_layout.SetGripper(false);  // pages get no size grip
      OnInit();
      *result = TRUE;
      handled = true;
      break;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(Window(), &client);
      DrawDialogBackground(Window(), reinterpret_cast<HDC>(wParam), &client, m_kind);
      *result = 1;
      return true;
    }
    case WM_DRAWITEM:
      DrawDialogItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam), 6);
      *result = 1;
      return true;
    default:
      handled = OnPageMessage(message, wParam, lParam, result);
  }
  m_layout.OnMessage(Window(), message, wParam, lParam);
  return handled;
}
