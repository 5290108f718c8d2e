#include "MainDlg.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "Centre.h"
#include "ConfigFile.h"
#include "Engine.h"
#include "Messages.h"
#include "ShareBindings.h"
#include "resource.h"

static const LayoutMapEntry kMainLayout[] = {
    {IDC_MAIN_TOGGLED, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_MAIN_SETTINGS, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_ABOUT, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_DEBUGDUMP, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_SEARCHLABEL, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_MAIN_SEARCH, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_EXPORT, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_IMPORT, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_MAIN_BINDINGS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_WARNING, LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_NEW, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_COPY, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_SAVE, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_DELETE, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_MAIN_TABS, LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM},
};

// Pixel values at 96 DPI; the window scales them to its own.
static const int kWidth = 360, kHeight = 450;  // initial and smallest size
static const int kComboItemHeight = 18;
static const int kComboDroppedWidth = 200;
static const int kComboTextIndent = 23;  // an icon and its margins
static const int kColumnWidth = 150;
static const int kWarningOverlay = 1;
static const UINT kShowWarningMessage = WM_APP + 1;
static const UINT_PTR kWarningSignsTimer = 1;

MainDlg::MainDlg() : m_layout(IDD_MAIN, kMainLayout), m_bindings(kWarningOverlay) {}

HWND MainDlg::Create() { return Dialog::Create(IDD_MAIN, nullptr); }

RECT MainDlg::GetPageRect() {
  RECT page = {0, 0, 0, 0};
  if (m_tabs == nullptr) return page;
  RECT t;
  GetWindowRect(m_tabs, &t);
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&t), 2);
  RECT a = t;
  TabCtrl_AdjustRect(m_tabs, FALSE, &a);
  page.left = a.left - t.left;
  page.top = a.top - t.top;
  page.right = page.left + (a.right - a.left);
  page.bottom = page.top + (a.bottom - a.top);
  return page;
}

void MainDlg::SetTab(int tab, const char* text, int image) {
  if (m_tabs == nullptr) return;
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<char*>(text);
  item.iImage = image;
  SendMessageA(m_tabs, TCM_SETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
}

int MainDlg::CurrentTab() const { return m_tabs != nullptr ? TabCtrl_GetCurSel(m_tabs) : 0; }

// Selects the item whose data is the plugin id; 0 clears the selection. A box already
// showing the plugin is left alone.
static void ShowPluginInCombo(HWND combo, int pluginId) {
  if (combo == nullptr) return;
  if (pluginId == 0) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return;
  }
  LRESULT current = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (current != CB_ERR && SendMessageA(combo, CB_GETITEMDATA, current, 0) == pluginId) return;
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  LRESULT found = -1;
  for (LRESULT i = 0; i < count && found < 0; ++i)
    if (SendMessageA(combo, CB_GETITEMDATA, i, 0) == pluginId) found = i;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void MainDlg::ShowBindingTypes(int shortcutPluginId, int actionPluginId) {
  ShowPluginInCombo(m_shortcutCombo, shortcutPluginId);
  ShowPluginInCombo(m_actionCombo, actionPluginId);
  if (TambrelEngine* engine = TambrelEngine::Instance()) {
    int tab = CurrentTab();
    engine->ShowPages(tab == 0, tab == 1);
    // An edit selects more than once on its way (a copy, then its original): the line
    // follows the binding chosen at its end.
    if (Window() != nullptr && !m_warningPosted)
      m_warningPosted = PostMessageA(Window(), kShowWarningMessage, 0, 0) != 0;
  }
}

void MainDlg::ShowWarning() {
  m_warningPosted = false;
  TambrelEngine* engine = TambrelEngine::Instance();
  if (engine == nullptr || Window() == nullptr) return;
  std::string warning = engine->WarningText(engine->SelectedAction(), false);
  SetDlgItemTextA(Window(), IDC_MAIN_WARNING, warning.c_str());
  ShowWindow(Item(IDC_MAIN_WARNING), warning.empty() ? SW_HIDE : SW_SHOWNA);
  PlaceWarning();
}

// The line below the list that says why the chosen binding never fires. The list gives it
// its last text line while it shows and has its whole height otherwise.
void MainDlg::PlaceWarning() {
  HWND line = Item(IDC_MAIN_WARNING);
  if (m_list == nullptr || line == nullptr) return;
  RECT list, text;
  GetWindowRect(m_list, &list);
  GetWindowRect(line, &text);
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&list), 2);
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&text), 2);
  int bottom = (GetWindowLongA(line, GWL_STYLE) & WS_VISIBLE) ? text.top - m_layout.Scale(2) : text.bottom;
  if (bottom != list.bottom)
    SetWindowPos(m_list, nullptr, 0, 0, list.right - list.left, bottom - list.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDlg::ShowToggled(bool toggled) {
  if (Window() != nullptr) CheckDlgButton(Window(), IDC_MAIN_TOGGLED, toggled ? BST_CHECKED : BST_UNCHECKED);
}

bool MainDlg::PreTranslateMessage(MSG* msg) {
  // Before the plugins: a page's dialog manager would take Ctrl+F as a key like any other.
  if (Window() != nullptr && m_bindings.TakesSearchKey(Window(), msg)) return true;
  // Double-clicks on the binding list and the settings' plugin list reach neither.
  if (msg->message == WM_LBUTTONDBLCLK &&
      ((m_list != nullptr && msg->hwnd == m_list) ||
       (m_settings.Window() != nullptr && msg->hwnd == m_settings.Item(IDC_SETTINGS_PLUGINS))))
    return true;
  if (TambrelEngine* engine = TambrelEngine::Instance()) {
    for (PluginRecord& record : engine->Registry())
      if (record.plugin->PreTranslateMessage(msg) != 0) return true;
  }
  // Keyboard navigation (Tab, Enter, Esc) for each of the three modeless windows; a message
  // of another window is left alone by IsDialogMessage.
  for (HWND window : {Window(), m_about.Window(), m_settings.Window()})
    if (window != nullptr && IsDialogMessageFor(window, msg)) return true;
  return false;
}

bool MainDlg::OnInitDialog() {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (engine != nullptr) engine->SetMainDialog(this);
  UINT dpi = WindowDpi(Window());  // the layout learns it after this handler
  SetWindowPos(Window(), nullptr, 0, 0, ScaleForDpi(kWidth, dpi), ScaleForDpi(kHeight, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOnWorkArea(Window());
  m_icons.Set(Window(), dpi);
  if (MessageLoop* loop = MessageLoop::Current()) loop->AddFilter(this);

  m_about.Create(IDD_ABOUT, nullptr);
  m_settings.Create(IDD_SETTINGS, nullptr);

  m_list = Item(IDC_MAIN_BINDINGS);
  m_bindings.Attach(m_list, Item(IDC_MAIN_SEARCH));
  m_tabs = Item(IDC_MAIN_TABS);
  m_shortcutCombo = Item(IDC_MAIN_SHORTCUTCOMBO);
  m_actionCombo = Item(IDC_MAIN_ACTIONCOMBO);

  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = ScaleForDpi(kColumnWidth, dpi);
  column.pszText = const_cast<char*>("ActionKey");
  SendMessageA(m_list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<char*>("ActionType");
  SendMessageA(m_list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  ListView_SetExtendedListViewStyleEx(m_list, LVS_EX_SUBITEMIMAGES, LVS_EX_SUBITEMIMAGES);
  ListView_SetCallbackMask(m_list, LVIS_OVERLAYMASK);
  SizeCombos(dpi);
  MakeImages(dpi);

  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.iImage = 0;
  item.pszText = const_cast<char*>("Shortcut");
  SendMessageA(m_tabs, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  item.pszText = const_cast<char*>("Action");
  SendMessageA(m_tabs, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
  TabCtrl_SetCurSel(m_tabs, 0);

  if (engine != nullptr) ShowToggled(engine->IsToggled());
  FillTypeCombos();
  RefillBindings();
  return true;
}

// The plugin boxes' items and drop-down at a DPI. The boxes are measured while the template
// is built, before this object sees messages: their heights are set here.
void MainDlg::SizeCombos(UINT dpi) {
  for (HWND combo : {m_shortcutCombo, m_actionCombo}) {
    SendMessageA(combo, CB_SETDROPPEDWIDTH, ScaleForDpi(kComboDroppedWidth, dpi), 0);
    SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ScaleForDpi(kComboItemHeight, dpi));
    SendMessageA(combo, CB_SETITEMHEIGHT, 0, ScaleForDpi(kComboItemHeight, dpi));
  }
}

// A new image list for a DPI, with every plugin's icon; the list and the tabs take it, and
// the old one goes.
void MainDlg::MakeImages(UINT dpi) {
  UniqueImageList images(CreatePluginImageList(dpi));
  if (TambrelEngine* engine = TambrelEngine::Instance())
    for (PluginRecord& record : engine->Registry())
      SetPluginImage(images.Get(), engine->Registry().IdOf(record), record.plugin->GetIcon());
  // Rows that never fire carry a warning sign over their shortcut's icon. It goes after the
  // plugins' images, which are addressed by plugin id.
  int sign = AddSystemImage(images.Get(), IDI_WARNING);
  if (sign >= 0) ImageList_SetOverlayImage(images.Get(), sign, kWarningOverlay);
  TabCtrl_SetImageList(m_tabs, images.Get());
  ListView_SetImageList(m_list, images.Get(), LVSIL_SMALL);
  m_images = std::move(images);
}

// Moved to a monitor of another DPI: the layout has scaled the controls and their font; the
// pixel values of this window's own follow, then the window takes the size Windows suggests.
void MainDlg::OnDpiChanged(UINT dpi, LPARAM suggested) {
  UINT from = m_layout.GetDpi();
  if (!m_layout.Rescale(dpi)) return;
  for (int column = 0; column < 2; ++column)
    ListView_SetColumnWidth(m_list, column, MulDiv(ListView_GetColumnWidth(m_list, column), dpi, from));
  SizeCombos(dpi);
  MakeImages(dpi);
  m_icons.Set(Window(), dpi);
  MoveToSuggestedRect(Window(), suggested);
  PlaceCombosAndPages();
}

// Another file's plugins and bindings: missing plugins may have come with it, and every id
// is new. The row at the selected row's place is selected again.
void MainDlg::ConfigurationReplaced() {
  if (Window() == nullptr) return;
  FillTypeCombos();
  RefillBindings();
  m_settings.RefreshOptions(true);
}

void MainDlg::FillTypeCombos() {
  SendMessageA(m_shortcutCombo, CB_RESETCONTENT, 0, 0);
  SendMessageA(m_actionCombo, CB_RESETCONTENT, 0, 0);
  TambrelEngine* engine = TambrelEngine::Instance();
  if (engine == nullptr) return;
  for (PluginRecord& record : engine->Registry()) {
    int id = engine->Registry().IdOf(record);
    // Inserted at the top, not added: the boxes list the plugins in reverse registry order.
    if (record.types & PLUGIN_SHORTCUTTYPE) {
      if (ShortcutType* type = record.plugin->GetShortcutType()) {
        SendMessageA(m_shortcutCombo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(type->GetName()));
        SendMessageA(m_shortcutCombo, CB_SETITEMDATA, 0, id);
      }
    }
    if (record.types & PLUGIN_ACTIONTYPE) {
      if (ActionType* type = record.plugin->GetActionType()) {
        SendMessageA(m_actionCombo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(type->GetName()));
        SendMessageA(m_actionCombo, CB_SETITEMDATA, 0, id);
      }
    }
  }
}

void MainDlg::RefillBindings() { m_bindings.Refill(TambrelEngine::Instance()); }

void MainDlg::EditBindings(void (TambrelEngine::*edit)()) {
  if (TambrelEngine* engine = TambrelEngine::Instance()) m_bindings.Edit(engine, edit);
}

void MainDlg::OnDestroy() {
  m_about.Destroy();
  m_settings.Destroy();
  if (MessageLoop* loop = MessageLoop::Current()) loop->RemoveFilter(this);
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->SetMainDialog(nullptr);
  m_list = m_tabs = m_shortcutCombo = m_actionCombo = nullptr;
  m_bindings.Attach(nullptr, nullptr);
  PostQuitMessage(0);
}

void MainDlg::OnTypeChosen(bool shortcut) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (engine == nullptr) return;
  HWND combo = shortcut ? m_shortcutCombo : m_actionCombo;
  LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  int id = index != CB_ERR ? static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, index, 0)) : 0;
  if (shortcut)
    engine->SetPages(true, false, id, 0);
  else
    engine->SetPages(false, true, 0, id);
  int tab = CurrentTab();
  engine->ShowPages(tab == 0, tab == 1);
}

void MainDlg::OnTabSwitched() {
  int tab = CurrentTab();
  ShowWindow(tab == 0 ? m_actionCombo : m_shortcutCombo, SW_HIDE);
  ShowWindow(tab == 0 ? m_shortcutCombo : m_actionCombo, SW_SHOW);
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->ShowPages(tab == 0, tab != 0);
}

// The save happens in any case; a binding that it leaves unreachable, or that it makes
// unreachable, is named in a warning.
void MainDlg::OnSave() {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (engine == nullptr) return;
  int edited = engine->SelectedAction();
  std::vector<int> shadowedBefore;
  if (edited != 0)
    for (const auto& binding : engine->Actions())
      if (engine->ShadowOf(binding.first) == edited) shadowedBefore.push_back(binding.first);
  int firstNew = engine->NextActionId();
  EditBindings(&TambrelEngine::ApplyAction);
  int saved = engine->NextActionId() != firstNew ? firstNew : edited;
  if (saved == 0 || engine->Actions().count(saved) == 0) return;
  std::string warning = engine->WarningText(saved, false);
  for (auto it = engine->Actions().begin(); warning.empty() && it != engine->Actions().end(); ++it)
    if (engine->ShadowOf(it->first) == saved &&
        std::find(shadowedBefore.begin(), shadowedBefore.end(), it->first) == shadowedBefore.end())
      warning = engine->ShadowText(it->first, false);
  if (!warning.empty()) ReportWarningFormat("The binding is saved, but %s.", warning.c_str());
}

void MainDlg::OnNewBinding() {
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->ClearSelection();
  int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
  if (row >= 0) ListView_SetItemState(m_list, row, 0, LVIS_SELECTED);
}

bool MainDlg::OnCommand(int id, int code) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (code == CBN_SELCHANGE && (id == IDC_MAIN_SHORTCUTCOMBO || id == IDC_MAIN_ACTIONCOMBO)) {
    OnTypeChosen(id == IDC_MAIN_SHORTCUTCOMBO);
    return true;
  }
  if (code == EN_CHANGE && id == IDC_MAIN_SEARCH) {
    m_bindings.OnSearchChanged(engine);
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_MAIN_ABOUT:
      ShowWindow(m_about.Window(), SW_RESTORE);
      return true;
    case IDC_MAIN_SETTINGS:
      ShowWindow(m_settings.Window(), SW_RESTORE);
      return true;
    case IDC_MAIN_NEW:
      OnNewBinding();
      return true;
    case IDC_MAIN_SAVE:
      OnSave();
      return true;
    case IDC_MAIN_COPY:
      EditBindings(&TambrelEngine::CopyAction);
      return true;
    case IDC_MAIN_DELETE:
      EditBindings(&TambrelEngine::RemoveAction);
      return true;
    case IDC_MAIN_EXPORT:
      if (engine != nullptr) ExportFromWindow(Window(), engine);
      return true;
    case IDC_MAIN_IMPORT:
      if (engine != nullptr && ImportIntoWindow(Window(), engine)) ConfigurationReplaced();
      return true;
    case IDC_MAIN_DEBUGDUMP:
      if (engine != nullptr) engine->WriteDebugReport();
      return true;
    case IDC_MAIN_TOGGLED:
      // Not an automatic box: the engine's SetToggled sets it.
      if (engine != nullptr) engine->SetToggled(IsDlgButtonChecked(Window(), IDC_MAIN_TOGGLED) != BST_CHECKED);
      return true;
  }
  return false;
}

bool MainDlg::OnNotify(NMHDR* header, LRESULT* result) {
  if (m_bindings.OnNotify(TambrelEngine::Instance(), header, result)) return true;
  if (header->idFrom == IDC_MAIN_TABS && header->code == TCN_SELCHANGE) {
    OnTabSwitched();
    *result = 0;
    return true;
  }
  return false;
}

// Both plugin boxes draw their items: the plugin's icon, then its type name.
void MainDlg::DrawComboItem(DRAWITEMSTRUCT* draw) {
  int index = static_cast<int>(draw->itemID);
  UINT state = draw->itemState;
  RECT rect = draw->rcItem;
  if (index == -1 || (state & ODS_COMBOBOXEDIT)) {
    index = static_cast<int>(SendMessageA(draw->hwndItem, CB_GETCURSEL, 0, 0));
    state &= ~ODS_SELECTED;
    rect.left += m_layout.Scale(1);
    rect.top -= m_layout.Scale(1);
  }
  bool selected = (state & ODS_SELECTED) != 0;
  int background = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
  SetTextColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkColor(draw->hDC, GetSysColor(background));
  FillRect(draw->hDC, &rect, GetSysColorBrush(background));
  if (index < 0) return;  // nothing chosen: there is no item to draw

  LRESULT length = SendMessageA(draw->hwndItem, CB_GETLBTEXTLEN, index, 0);
  if (length != CB_ERR) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(draw->hwndItem, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    RECT textRect = rect;
    textRect.left += m_layout.Scale(kComboTextIndent);
    DrawTextA(draw->hDC, text.c_str(), -1, &textRect, DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
  }
  LRESULT pluginId = SendMessageA(draw->hwndItem, CB_GETITEMDATA, index, 0);
  if (pluginId != CB_ERR) {
    int size = 0, unused = 0;
    ImageList_GetIconSize(m_images.Get(), &size, &unused);
    // Centred on the item's height, which scales with the DPI as the image does.
    int top = rect.top + std::max(0, static_cast<int>(rect.bottom - rect.top) - size) / 2;
    ImageList_Draw(m_images.Get(), static_cast<int>(pluginId), draw->hDC, rect.left + m_layout.Scale(1), top,
                   ILD_NORMAL);
  }
}

// The combo boxes sit over the tab headers and the plugin pages fill the tab's display area;
// neither is in the layout map, so they follow each layout pass.
void MainDlg::PlaceCombosAndPages() {
  if (m_tabs == nullptr || m_shortcutCombo == nullptr || m_actionCombo == nullptr) return;
  RECT t, c;
  GetWindowRect(m_tabs, &t);
  GetWindowRect(m_shortcutCombo, &c);
  int h = c.bottom - c.top;
  int one = m_layout.Scale(1), two = m_layout.Scale(2);
  SendMessageA(m_tabs, TCM_SETITEMSIZE, 0, MAKELPARAM((t.right - t.left - 2 * two) >> 1, h + two));
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&t), 2);
  HDWP batch = BeginDeferWindowPos(2);
  RECT r;
  TabCtrl_GetItemRect(m_tabs, 1, &r);
  if (batch != nullptr)
    batch = DeferWindowPos(batch, m_actionCombo, nullptr, t.left + r.left + one, t.top + r.top + two,
                           r.right - r.left - 2 * two, h, SWP_NOZORDER | SWP_NOOWNERZORDER);
  TabCtrl_GetItemRect(m_tabs, 0, &r);
  if (batch != nullptr)
    batch = DeferWindowPos(batch, m_shortcutCombo, nullptr, t.left + r.left + one, t.top + r.top + two,
                           r.right - r.left - 3 * one, h, SWP_NOZORDER | SWP_NOOWNERZORDER);
  if (batch != nullptr) EndDeferWindowPos(batch);
  RECT page = GetPageRect();
  for (HWND child = GetWindow(m_tabs, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SetWindowPos(child, nullptr, page.left, page.top, page.right - page.left, page.bottom - page.top,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
}

bool MainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      *result = OnInitDialog();
      m_layout.OnMessage(Window(), message, wParam, lParam);
      PlaceCombosAndPages();
      return true;
    case WM_SIZE:
      m_layout.OnMessage(Window(), message, wParam, lParam);
      PlaceCombosAndPages();
      PlaceWarning();
      return false;
    case WM_GETMINMAXINFO:
      SetMinimumTrackSize(Window(), reinterpret_cast<MINMAXINFO*>(lParam), kWidth, kHeight,
                          m_layout.GetRoot() != nullptr ? m_layout.GetDpi() : WindowDpi(Window()));
      return true;
    case WM_DPICHANGED:
      OnDpiChanged(DpiOfChange(wParam), lParam);
      return true;
    case WM_MEASUREITEM:
      if (wParam == IDC_MAIN_SHORTCUTCOMBO || wParam == IDC_MAIN_ACTIONCOMBO) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = m_layout.Scale(kComboItemHeight);
        *result = TRUE;
        return true;
      }
      break;
    case WM_DRAWITEM:
      if (wParam == IDC_MAIN_SHORTCUTCOMBO || wParam == IDC_MAIN_ACTIONCOMBO) {
        DrawComboItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
      }
      break;
    case WM_CLOSE:
      ShowWindow(Window(), SW_HIDE);
      return true;
    case kShowWarningMessage:
      ShowWarning();
      return true;
    case WM_SHOWWINDOW:
      // The first time the window shows, the warning signs wait until it has been painted:
      // finding the bindings that never fire looks at every shortcut. A timer's message
      // comes only when no other message and no paint is due.
      if (wParam && !m_signsShown && !m_signsWaiting && m_list != nullptr) {
        m_signsWaiting = SetTimer(Window(), kWarningSignsTimer, USER_TIMER_MINIMUM, nullptr) != 0;
        m_bindings.HoldSigns(m_signsWaiting);
      }
      break;
    case WM_TIMER:
      if (wParam != kWarningSignsTimer) break;
      KillTimer(Window(), kWarningSignsTimer);
      m_signsWaiting = false;
      m_signsShown = true;
      m_bindings.HoldSigns(false);
      InvalidateRect(m_list, nullptr, FALSE);
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
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return true;
      break;
    case WM_NOTIFY:
      if (OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return true;
      break;
  }
  return m_layout.OnMessage(Window(), message, wParam, lParam);
}
