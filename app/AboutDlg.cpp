#include "AboutDlg.h"

#include <stdio.h>

#include "Centre.h"
#include "Engine.h"
#include "resource.h"

bool AboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreOnWorkArea(Window());
      char version[16];
      snprintf(version, sizeof version, "v%1.2f", kProgramVersion);
      SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, version);
      *result = TRUE;
      return true;
    }
    case WM_COMMAND:
      // OK, Enter, Esc and the close box all arrive as IDOK or IDCANCEL.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ShowWindow(Window(), SW_HIDE);
        return true;
      }
      return false;
  }
  return false;
}
