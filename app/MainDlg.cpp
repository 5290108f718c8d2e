#include "MainDlg.h"

#include <commctrl.h>

#include "Centre.h"
#include "ConfigFile.h"
#include "Engine.h"
#include "resource.h"

HWND MainDlg::Create() { return CreateModeless(GetModuleHandleA(nullptr), IDD_MAIN, nullptr); }

HWND MainDlg::PageParent() { return m_hWnd != nullptr ? GetDlgItem(m_hWnd, IDC_MAIN_TABS) : nullptr; }

RECT MainDlg::GetPageRect() {
  RECT page = {0, 0, 0, 0};
  HWND tabs = PageParent();
  if (tabs == nullptr) return page;
  RECT t;
  GetWindowRect(tabs, &t);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&t), 2);
  RECT a = t;
  TabCtrl_AdjustRect(tabs, FALSE, &a);
  page.left = a.left - t.left;
  page.top = a.top - t.top;
  page.right = page.left + (a.right - a.left);
  page.bottom = page.top + (a.bottom - a.top);
  return page;
}

void MainDlg::SetTab(int tab, const char* text, int image) {
  HWND tabs = PageParent();
  if (tabs == nullptr) return;
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<char*>(text);
  item.iImage = image;
  SendMessageA(tabs, TCM_SETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
}

void MainDlg::ShowBindingTypes(int, int) {}

void MainDlg::ShowToggled(bool toggled) {
  if (m_hWnd != nullptr) CheckDlgButton(m_hWnd, IDC_MAIN_TOGGLED, toggled ? BST_CHECKED : BST_UNCHECKED);
}

bool MainDlg::PreTranslateMessage(MSG* msg) {
  // Double-clicks on the binding list and the settings' plugin list reach neither.
  if (msg->message == WM_LBUTTONDBLCLK &&
      ((m_hWnd != nullptr && msg->hwnd == GetDlgItem(m_hWnd, IDC_MAIN_BINDINGS)) ||
       (m_settings.Window() != nullptr && msg->hwnd == GetDlgItem(m_settings.Window(), IDC_SETTINGS_PLUGINS))))
    return true;
  if (TambrelEngine* engine = TambrelEngine::Instance()) {
    for (PluginRecord& record : engine->Registry())
      if (record.plugin->PreTranslateMessage(msg) != 0) return true;
  }
  return m_hWnd != nullptr && IsDialogMessageA(m_hWnd, msg);
}

bool MainDlg::OnInitDialog() {
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->SetMainDialog(this);
  SetWindowPos(m_hWnd, nullptr, 0, 0, 360, 450, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOnWorkArea(m_hWnd);
  SetProgramIcons(m_hWnd);
  if (MessageLoop* loop = MessageLoop::Current()) loop->AddFilter(this);
  HINSTANCE module = GetModuleHandleA(nullptr);
  m_about.CreateModeless(module, IDD_ABOUT, nullptr);
  m_settings.CreateModeless(module, IDD_SETTINGS, nullptr);
  HWND tabs = PageParent();
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.iImage = 0;
  item.pszText = const_cast<char*>("Shortcut");
  SendMessageA(tabs, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  item.pszText = const_cast<char*>("Action");
  SendMessageA(tabs, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
  TabCtrl_SetCurSel(tabs, 0);
  return true;
}

void MainDlg::OnDestroy() {
  m_about.Destroy();
  m_settings.Destroy();
  if (MessageLoop* loop = MessageLoop::Current()) loop->RemoveFilter(this);
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->SetMainDialog(nullptr);
  PostQuitMessage(0);
}

bool MainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      *result = OnInitDialog();
      return true;
    case WM_GETMINMAXINFO: {
      MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 360;
      info->ptMinTrackSize.y = 450;
      return true;
    }
    case WM_CLOSE:
      ShowWindow(m_hWnd, SW_HIDE);
      return true;
    case WM_DESTROY:
      OnDestroy();
      return false;
    case WM_ENDSESSION:
      // Windows is ending the session: the process will not see its normal shut-down, so
      // the hook goes and the configuration is written now.
      if (wParam) {
        if (TambrelEngine* engine = TambrelEngine::Instance()) {
          bool hook = engine->Options().hookActive;  // what is stored is the user's choice
          engine->SetHookActive(false);
          engine->Options().hookActive = hook;
          engine->Config().Save();
        }
      }
      return true;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_MAIN_ABOUT:
          ShowWindow(m_about.Window(), SW_RESTORE);
          return true;
        case IDC_MAIN_SETTINGS:
          ShowWindow(m_settings.Window(), SW_RESTORE);
          return true;
        case IDC_MAIN_TOGGLED:
          if (TambrelEngine* engine = TambrelEngine::Instance())
            engine->SetToggled(IsDlgButtonChecked(m_hWnd, IDC_MAIN_TOGGLED) != BST_CHECKED);
          return true;
      }
      return false;
  }
  return false;
}
