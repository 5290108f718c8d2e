#include "AboutDlg.h"

#include <stdio.h>

#include "Centre.h"
#include "Engine.h"
#include "resource.h"

// The picture is drawn at 96 pixels and shown at 48 at 96 DPI, more at higher ones.
static const int kPictureSize = 48;

AboutDlg::AboutDlg() : m_layout(IDD_ABOUT, nullptr, 0) {}

// The picture at the box's DPI, shrunk from its full size rather than stretched.
void AboutDlg::ShowPicture() {
  HWND picture = nullptr;
  for (HWND child = GetWindow(Window(), GW_CHILD); child != nullptr && picture == nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = child;
  if (picture == nullptr) return;
  int size = m_layout.Scale(kPictureSize);
  HBITMAP scaled = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, size, size, LR_CREATEDIBSECTION));
  if (scaled == nullptr) return;
  HBITMAP previous = reinterpret_cast<HBITMAP>(
      SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled)));
  // A static frees no picture it was given: the one of ours it showed before goes here; the
  // template's own belongs to the static.
  if (previous != nullptr && previous == m_picture) DeleteObject(previous);
  m_picture = scaled;
}

bool AboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG: {
      m_layout.SetGripper(false);
      m_layout.OnMessage(Window(), message, wParam, lParam);
      ShowPicture();
      CentreOnWorkArea(Window());
      char version[16];
      snprintf(version, sizeof version, "v%1.2f", kProgramVersion);
      SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, version);
      *result = TRUE;
      return true;
    }
    case WM_DPICHANGED:
      if (m_layout.Rescale(DpiOfChange(wParam))) {
        ShowPicture();
        MoveToSuggestedRect(Window(), lParam);
      }
      return true;
    case WM_COMMAND:
      // OK, Enter, Esc and the close box all arrive as IDOK or IDCANCEL.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ShowWindow(Window(), SW_HIDE);
        return true;
      }
      return false;
    case WM_NCDESTROY:
      m_layout.OnMessage(Window(), message, wParam, lParam);
      if (m_picture != nullptr) DeleteObject(m_picture);
      m_picture = nullptr;
      return false;
  }
  m_layout.OnMessage(Window(), message, wParam, lParam);
  return false;
}
