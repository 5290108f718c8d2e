#include "MainDlg.h"

#include <commctrl.h>

#include "Centre.h"
#include "ConfigFile.h"
#include "Engine.h"
#include "resource.h"

static const LayoutMapEntry kMainLayout[] = {
    {IDC_MAIN_TOGGLED, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_MAIN_SETTINGS, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_ABOUT, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_DEBUGDUMP, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_BINDINGS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_NEW, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_COPY, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_SAVE, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_DELETE, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_TABS, LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM},
};

MainDlg::MainDlg() : m_layout(IDD_MAIN, kMainLayout) {}

HWND MainDlg::Create() { return Dialog::Create(IDD_MAIN, nullptr); }

HWND MainDlg::PageParent() { return Window() != nullptr ? GetDlgItem(Window(), IDC_MAIN_TABS) : nullptr; }

RECT MainDlg::GetPageRect() {
  RECT page = {0, 0, 0, 0};
  HWND tabs = PageParent();
  if (tabs == nullptr) return page;
  RECT t;
  GetWindowRect(tabs, &t);
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&t), 2);
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
  if (Window() != nullptr) CheckDlgButton(Window(), IDC_MAIN_TOGGLED, toggled ? BST_CHECKED : BST_UNCHECKED);
}

bool MainDlg::PreTranslateMessage(MSG* msg) {
  // Double-clicks on the binding list and the settings' plugin list reach neither.
  if (msg->message == WM_LBUTTONDBLCLK &&
      ((Window() != nullptr && msg->hwnd == GetDlgItem(Window(), IDC_MAIN_BINDINGS)) ||
       (m_settings.Window() != nullptr && msg->hwnd == GetDlgItem(m_settings.Window(), IDC_SETTINGS_PLUGINS))))
    return true;
  if (TambrelEngine* engine = TambrelEngine::Instance()) {
    for (PluginRecord& record : engine->Registry())
      if (record.plugin->PreTranslateMessage(msg) != 0) return true;
  }
  return Window() != nullptr && IsDialogMessageA(Window(), msg);
}

bool MainDlg::OnInitDialog() {
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->SetMainDialog(this);
  SetWindowPos(Window(), nullptr, 0, 0, 360, 450, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOnWorkArea(Window());
  SetProgramIcons(Window());
  if (MessageLoop* loop = MessageLoop::Current()) loop->AddFilter(this);

  m_about.Create(IDD_ABOUT, nullptr);
  m_settings.Create(IDD_SETTINGS, nullptr);
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

// The combo boxes sit over the tab headers and the plugin pages fill the tab's display area;
// neither is in the layout map, so they follow each layout pass.
void MainDlg::PlaceCombosAndPages() {
  HWND tabs = PageParent();
  HWND shortcutCombo = GetDlgItem(Window(), IDC_MAIN_SHORTCUTCOMBO);
  HWND actionCombo = GetDlgItem(Window(), IDC_MAIN_ACTIONCOMBO);
  if (tabs == nullptr || shortcutCombo == nullptr || actionCombo == nullptr) return;
  RECT t, c;
  GetWindowRect(tabs, &t);
  GetWindowRect(shortcutCombo, &c);
  int h = c.bottom - c.top;
  SendMessageA(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM((t.right - t.left - 4) >> 1, h + 2));
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&t), 2);
  HDWP batch = BeginDeferWindowPos(2);
  RECT r;
  TabCtrl_GetItemRect(tabs, 1, &r);
  if (batch != nullptr)
    batch = DeferWindowPos(batch, actionCombo, nullptr, t.left + r.left + 1, t.top + r.top + 2,
                           r.right - r.left - 4, h, SWP_NOZORDER | SWP_NOOWNERZORDER);
  TabCtrl_GetItemRect(tabs, 0, &r);
  if (batch != nullptr)
    batch = DeferWindowPos(batch, shortcutCombo, nullptr, t.left + r.left + 1, t.top + r.top + 2,
                           r.right - r.left - 3, h, SWP_NOZORDER | SWP_NOOWNERZORDER);
  if (batch != nullptr) EndDeferWindowPos(batch);
  RECT page = GetPageRect();
  for (HWND child = GetWindow(tabs, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SetWindowPos(child, nullptr, page.left, page.top, page.right - page.left, page.bottom - page.top,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
}

bool MainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_SIZE) {
    m_layout.OnMessage(Window(), message, wParam, lParam);
    PlaceCombosAndPages();
    return false;
  }
  switch (message) {
    case WM_INITDIALOG:
      *result = OnInitDialog();
      m_layout.OnMessage(Window(), message, wParam, lParam);
      PlaceCombosAndPages();
      return true;
    case WM_GETMINMAXINFO: {
      MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 360;
      info->ptMinTrackSize.y = 450;
      return true;
    }
    case WM_CLOSE:
      ShowWindow(Window(), SW_HIDE);
      return true;
    case WM_DESTROY:
      OnDestroy();
      m_layout.OnMessage(Window(), message, wParam, lParam);
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
            engine->SetToggled(IsDlgButtonChecked(Window(), IDC_MAIN_TOGGLED) != BST_CHECKED);
          return true;
      }
      return false;
  }
  return false;
}
