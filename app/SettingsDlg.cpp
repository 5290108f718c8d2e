#include "SettingsDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include "Centre.h"
#include "Engine.h"
#include "Messages.h"
#include "PluginImageList.h"
#include "StartupShortcut.h"
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
    {IDC_SETTINGS_OK, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_SETTINGS_STARTUP, LAYOUT_LEFT | LAYOUT_BOTTOM},
};

// The mark of the type columns: MULTIPLICATION SIGN in the ANSI code page.
static const char kMark[] = "\xD7";

// Pixel values at 96 DPI; the window scales them to its own.
static const int kWidth = 350, kHeight = 480;        // initial size
static const int kMinWidth = 450, kMinHeight = 520;  // smallest size

static void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
static bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

SettingsDlg::SettingsDlg() : m_layout(IDD_SETTINGS, kSettingsLayout), m_overlay(this, kOverlayMap) {}

int SettingsDlg::PluginIdOfRow(int row) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (m_list == nullptr || !SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return static_cast<int>(item.lParam);
}

int SettingsDlg::SelectedPluginId() const {
  if (m_list == nullptr) return 0;
  int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
  return row >= 0 ? PluginIdOfRow(row) : 0;
}

RECT SettingsDlg::PageRect() const {
  RECT rect = {0, 0, 0, 0};
  if (m_overlay.Window() != nullptr) GetClientRect(m_overlay.Window(), &rect);
  return rect;
}

void SettingsDlg::ShowPlugin(Plugin* plugin) {
  Check(Window(), IDC_SETTINGS_PLUGINACTIVE, plugin->IsEnabled());
  if (plugin->HasSettingsPage()) plugin->CreateSettingsPage(m_overlay.Window(), PageRect());
  SetDlgItemTextA(Window(), IDC_SETTINGS_PLUGINGROUP, plugin->GetName());
}

void SettingsDlg::RefreshOptions(bool withPlugin) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (Window() == nullptr || engine == nullptr) return;
  const EngineOptions& options = engine->Options();
  Check(Window(), IDC_SETTINGS_AUTOSHOW, options.autoShow);
  Check(Window(), IDC_SETTINGS_HOOKACTIVE, options.hookActive);
  Check(Window(), IDC_SETTINGS_ENGINEACTIVE, engine->IsActive());
  Check(Window(), IDC_SETTINGS_LOG, options.log);
  SetDlgItemTextW(Window(), IDC_SETTINGS_LOGFILE, options.logFile.c_str());
  // The Startup folder is the user's to change as well: it is looked at every time.
  Check(Window(), IDC_SETTINGS_STARTUP, !FindStartupShortcuts(ThisProgram()).empty());
  if (!withPlugin) return;
  if (PluginRecord* record = engine->FindPlugin(SelectedPluginId())) ShowPlugin(record->plugin);
}

void SettingsDlg::OnInitDialog() {
  UINT dpi = WindowDpi(Window());  // the layout learns it after this handler
  SetWindowPos(Window(), nullptr, 0, 0, ScaleForDpi(kWidth, dpi), ScaleForDpi(kHeight, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOnWorkArea(Window());
  m_icons.Set(Window(), dpi);
  MakeBoldNote(reinterpret_cast<HFONT>(SendMessageA(Item(IDC_SETTINGS_NOTE), WM_GETFONT, 0, 0)));

  m_overlay.Subclass(Item(IDC_SETTINGS_OVERLAY));

  m_list = Item(IDC_SETTINGS_PLUGINS);
  static const struct {
    const char* heading;
    int width;
    int format;
  } kColumns[] = {{"Plugin", 150, LVCFMT_LEFT}, {"AT", 30, LVCFMT_CENTER}, {"ST", 30, LVCFMT_CENTER},
                  {"TB", 30, LVCFMT_CENTER},    {"GP", 30, LVCFMT_CENTER}, {"Module", 150, LVCFMT_LEFT}};
  for (int i = 0; i < 6; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = kColumns[i].format;
    column.cx = ScaleForDpi(kColumns[i].width, dpi);
    column.pszText = const_cast<char*>(kColumns[i].heading);
    SendMessageA(m_list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  SetPluginImages(dpi);
  FillPluginList();
}

// The note in bold: the dialog's font, heavier.
void SettingsDlg::MakeBoldNote(HFONT dialogFont) {
  LOGFONTA font = {};
  if (dialogFont == nullptr || GetObjectA(dialogFont, sizeof font, &font) != sizeof font) return;
  font.lfWeight = FW_BOLD;
  UniqueFont bold(CreateFontIndirectA(&font));
  if (!bold) return;
  SendMessageA(Item(IDC_SETTINGS_NOTE), WM_SETFONT, reinterpret_cast<WPARAM>(bold.Get()), TRUE);
  m_boldFont = std::move(bold);  // the note has let go of the old one
}

// The plugins' icons at a DPI. Without LVS_SHAREIMAGELISTS the list owns its image list and
// destroys it with itself; a list it gives back is the caller's.
void SettingsDlg::SetPluginImages(UINT dpi) {
  HIMAGELIST images = CreatePluginImageList(dpi);
  if (TambrelEngine* engine = TambrelEngine::Instance())
    for (PluginRecord& record : engine->Registry())
      SetPluginImage(images, engine->Registry().IdOf(record), record.plugin->GetIcon());
  UniqueImageList previous(ListView_SetImageList(m_list, images, LVSIL_SMALL));
}

void SettingsDlg::OnDpiChanged(UINT dpi, LPARAM suggested) {
  UINT from = m_layout.GetDpi();
  if (!m_layout.Rescale(dpi)) return;
  MakeBoldNote(m_layout.GetFont());
  for (int column = 0; column < 6; ++column)
    ListView_SetColumnWidth(m_list, column, MulDiv(ListView_GetColumnWidth(m_list, column), dpi, from));
  SetPluginImages(dpi);
  m_icons.Set(Window(), dpi);
  MoveToSuggestedRect(Window(), suggested);
}

void SettingsDlg::FillPluginList() {
  TambrelEngine* engine = TambrelEngine::Instance();
  ListView_DeleteAllItems(m_list);
  if (engine == nullptr) return;
  for (PluginRecord& record : engine->Registry()) {
    int id = engine->Registry().IdOf(record);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(m_list);
    item.pszText = const_cast<char*>(record.name);
    item.iImage = id;
    item.lParam = id;
    // The list sorts by name: the row lands where the name belongs.
    int row = static_cast<int>(SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) continue;
    const char* texts[5] = {
        (record.types & PLUGIN_ACTIONTYPE) ? kMark : "",
        (record.types & PLUGIN_SHORTCUTTYPE) ? kMark : "",
        (record.types & (PLUGIN_TOGGLEHANDLER | PLUGIN_NOTIFIER)) ? kMark : "",
        (record.types & PLUGIN_GENERAL) ? kMark : "",
        record.file,
    };
    for (int column = 1; column <= 5; ++column) {
      LVITEMA sub = {};
      sub.iSubItem = column;
      sub.pszText = const_cast<char*>(texts[column - 1]);
      SendMessageA(m_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    }
  }
  if (ListView_GetItemCount(m_list) > 0) ListView_SetItemState(m_list, 0, LVIS_SELECTED, LVIS_SELECTED);
}

void SettingsDlg::OnShowWindow(bool shown) {
  RefreshOptions(false);
  TambrelEngine* engine = TambrelEngine::Instance();
  PluginRecord* record = engine != nullptr ? engine->FindPlugin(SelectedPluginId()) : nullptr;
  if (record == nullptr) return;
  if (shown)
    ShowPlugin(record->plugin);
  else if (record->plugin->HasSettingsPage())
    record->plugin->DestroySettingsPage();
}

void SettingsDlg::OnItemChanged(const NMLISTVIEW* change) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (change->iItem != -1 && (change->uChanged & LVIF_STATE) && engine != nullptr) {
    bool was = (change->uOldState & LVIS_SELECTED) != 0;
    bool is = (change->uNewState & LVIS_SELECTED) != 0;
    // The list reports the old row's deselection before the new row's selection, so one
    // plugin's page is gone before the next one's is made.
    if (PluginRecord* record = engine->FindPlugin(PluginIdOfRow(change->iItem))) {
      if (was && !is && record->plugin->HasSettingsPage()) record->plugin->DestroySettingsPage();
      if (!was && is) ShowPlugin(record->plugin);
    }
  }
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void SettingsDlg::OnCheckBox(int id) {
  TambrelEngine* engine = TambrelEngine::Instance();
  if (engine == nullptr) return;
  bool checked = IsChecked(Window(), id);
  switch (id) {
    case IDC_SETTINGS_PLUGINACTIVE: {
      PluginRecord* record = engine->FindPlugin(SelectedPluginId());
      if (record == nullptr) {
        // No plugin is chosen: the box has nothing to switch, so it does not seem to.
        Check(Window(), id, !checked);
        return;
      }
      // The registry's flag first: the hook and conf.xml follow it, and a plugin that
      // switches the engine from SetEnabled (the tray) meets the new flag there.
      record->active = checked;
      record->plugin->SetEnabled(checked);
      return;
    }
    case IDC_SETTINGS_LOG:
      engine->Options().log = checked;
      return;
    case IDC_SETTINGS_ENGINEACTIVE:
      engine->SetActive(checked);  // refreshes this dialog
      return;
    case IDC_SETTINGS_HOOKACTIVE:
      engine->SetHookActive(checked);
      return;
    case IDC_SETTINGS_AUTOSHOW:
      engine->Options().autoShow = checked;
      return;
    case IDC_SETTINGS_STARTUP:
      StartAtSignIn(checked, *engine);
      return;
  }
}

void SettingsDlg::StartAtSignIn(bool start, const TambrelEngine& engine) {
  std::wstring program = ThisProgram();
  if (start) {
    // Started from the shortcut, the program finds its conf.xml and plugins in the folder
    // it runs in now.
    const std::wstring& config = engine.ConfigPath();
    if (!CreateStartupShortcut(program, config.substr(0, config.find_last_of(L'\\'))))
      ReportError("Couldn't create the shortcut in the Startup folder!");
  } else if (!RemoveStartupShortcuts(program)) {
    ReportError("Couldn't remove the shortcut from the Startup folder!");
  }
  // The box shows what the folder holds now, also after a failure.
  Check(Window(), IDC_SETTINGS_STARTUP, !FindStartupShortcuts(program).empty());
}

// The log controls stay disabled, so only the configuration file sets the log file; the
// chooser is kept with them.
void SettingsDlg::ChooseLogFile() {
  wchar_t path[MAX_PATH] = L"";
  GetDlgItemTextW(Window(), IDC_SETTINGS_LOGFILE, path, MAX_PATH);
  OPENFILENAMEW chooser = {};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = Window();
  chooser.lpstrFilter = L"Log Files\0*.log\0";
  chooser.lpstrFile = path;
  chooser.nMaxFile = MAX_PATH;
  chooser.lpstrDefExt = L"log";
  chooser.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_DONTADDTORECENT;
  if (GetSaveFileNameW(&chooser)) SetDlgItemTextW(Window(), IDC_SETTINGS_LOGFILE, path);
}

bool SettingsDlg::OnContainedMessage(int mapId, HWND hwnd, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (mapId != kOverlayMap || message != WM_SIZE) return false;
  // The plugin page fills the overlay whatever size the layout gives it.
  int width = LOWORD(lParam), height = HIWORD(lParam);
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SetWindowPos(child, nullptr, 0, 0, width, height, SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
  *result = 0;
  return true;
}

bool SettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  bool handled = Handle(message, wParam, lParam, result);
  m_layout.OnMessage(Window(), message, wParam, lParam);
  return handled;
}

bool SettingsDlg::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      *result = TRUE;
      return true;
    case WM_CLOSE:
      ShowWindow(Window(), SW_HIDE);
      return true;
    case WM_GETMINMAXINFO:
      SetMinimumTrackSize(Window(), reinterpret_cast<MINMAXINFO*>(lParam), kMinWidth, kMinHeight,
                          m_layout.GetRoot() != nullptr ? m_layout.GetDpi() : WindowDpi(Window()));
      return true;
    case WM_DPICHANGED:
      OnDpiChanged(DpiOfChange(wParam), lParam);
      return true;
    case WM_SHOWWINDOW:
      OnShowWindow(wParam != FALSE);
      return false;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED) return false;
      // The button, which Enter presses as the default and Esc as IDCANCEL; IDOK is what
      // Enter sends where no default button is found.
      if (id == IDC_SETTINGS_OK || id == IDOK) {
        ShowWindow(Window(), SW_HIDE);
        return true;
      }
      if (id == IDC_SETTINGS_BROWSELOG) {
        ChooseLogFile();
        return true;
      }
      if ((id >= IDC_SETTINGS_PLUGINACTIVE && id <= IDC_SETTINGS_AUTOSHOW) || id == IDC_SETTINGS_STARTUP) {
        OnCheckBox(id);
        return true;
      }
      return false;
    }
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_SETTINGS_PLUGINS || header->code != LVN_ITEMCHANGED) return false;
      OnItemChanged(reinterpret_cast<const NMLISTVIEW*>(lParam));
      *result = 0;
      return true;
    }
    case WM_DESTROY:
      // The page would go with its parent anyway; closed through its plugin, the plugin
      // knows it is gone.
      if (TambrelEngine* engine = TambrelEngine::Instance())
        if (PluginRecord* record = engine->FindPlugin(SelectedPluginId()))
          if (record->plugin->HasSettingsPage()) record->plugin->DestroySettingsPage();
      m_list = nullptr;
      return false;
  }
  return false;
}
