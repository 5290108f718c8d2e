#include "SettingsDlg.h"

#include "Centre.h"
#include "Engine.h"
#include "resource.h"

static const LayoutMapEntry kSettingsLayout[] = {
    {IDC_SETTINGS_AUTOSHOW, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_SETTINGS_ENGINEACTIVE, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_SETTINGS_HOOKACTIVE, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_SETTINGS_LOG, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_SETTINGS_LOGFILE, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_SETTINGS_BROWSELOG, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_SETTINGS_PLUGINS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_SETTINGS_PLUGINGROUP, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_SETTINGS_OVERLAY, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_SETTINGS_PLUGINACTIVE, LAYOUT_LEFT | LAYOUT_TOP},
    {IDOK, LAYOUT_RIGHT | LAYOUT_BOTTOM},
};

SettingsDlg::SettingsDlg() : m_layout(IDD_SETTINGS, kSettingsLayout) {}

void SettingsDlg::RefreshOptions(bool /*withPlugin*/) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (Window() == nullptr || engine == nullptr) return;
  const EngineOptions& options = engine->Options();
  CheckDlgButton(Window(), IDC_SETTINGS_AUTOSHOW, options.autoShow ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Window(), IDC_SETTINGS_HOOKACTIVE, options.hookActive ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Window(), IDC_SETTINGS_ENGINEACTIVE, engine->IsActive() ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Window(), IDC_SETTINGS_LOG, options.log ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(Window(), IDC_SETTINGS_LOGFILE, options.logFile.c_str());
}

bool SettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  bool handled = Handle(message, wParam, lParam, result);
  m_layout.OnMessage(Window(), message, wParam, lParam);
  return handled;
}

bool SettingsDlg::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 450;
      info->ptMinTrackSize.y = 520;
      return true;
    }
    case WM_INITDIALOG:
      SetWindowPos(Window(), nullptr, 0, 0, 350, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      CentreOnWorkArea(Window());
      SetProgramIcons(Window());
      *result = TRUE;
      return true;
    case WM_CLOSE:
      ShowWindow(Window(), SW_HIDE);
      return true;
    case WM_SHOWWINDOW:
      RefreshOptions(false);
      return false;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ShowWindow(Window(), SW_HIDE);
        return true;
      }
      return false;
  }
  return false;
}
