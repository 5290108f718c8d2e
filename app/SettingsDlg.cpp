#include "SettingsDlg.h"

#include "Centre.h"
#include "Engine.h"
#include "resource.h"

void SettingsDlg::RefreshOptions(bool /*withPlugin*/) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (m_hWnd == nullptr || engine == nullptr) return;
  const EngineOptions& options = engine->Options();
  CheckDlgButton(m_hWnd, IDC_SETTINGS_AUTOSHOW, options.autoShow ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_SETTINGS_HOOKACTIVE, options.hookActive ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_SETTINGS_ENGINEACTIVE, engine->IsActive() ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_SETTINGS_LOG, options.log ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(m_hWnd, IDC_SETTINGS_LOGFILE, options.logFile.c_str());
}

bool SettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowPos(m_hWnd, nullptr, 0, 0, 350, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      CentreOnWorkArea(m_hWnd);
      SetProgramIcons(m_hWnd);
      *result = TRUE;
      return true;
    case WM_CLOSE:
      ShowWindow(m_hWnd, SW_HIDE);
      return true;
    case WM_SHOWWINDOW:
      RefreshOptions(false);
      return false;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ShowWindow(m_hWnd, SW_HIDE);
        return true;
      }
      return false;
  }
  return false;
}
