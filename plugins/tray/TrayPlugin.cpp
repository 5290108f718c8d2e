#include "TrayPlugin.h"

#include <libxml/tree.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"
#include "SettingsPage.h"

namespace {

// A hot key's dialog or quit, posted to the message window: the hot keys are seen inside
// the keyboard hook, which must return quickly. wParam is the key's row.
const UINT kHotKeyMessage = WM_APP + 1;

const int kEditIds[TrayPlugin::KEY_COUNT] = {IDC_TRAY_MAIN, IDC_TRAY_SETTINGS, IDC_TRAY_ABOUT, IDC_TRAY_QUIT};
const int kScanIds[TrayPlugin::KEY_COUNT] = {IDC_TRAY_SCANMAIN, IDC_TRAY_SCANSETTINGS, IDC_TRAY_SCANABOUT,
                                             IDC_TRAY_SCANQUIT};
// The dialog number of each row's window; quit has none.
const int kDialogOfRow[TrayPlugin::KEY_COUNT] = {0, 2, 1, -1};
const char* const kTypeNames[TrayPlugin::KEY_COUNT] = {"main", "settings", "about", "quit"};

std::string KeyName(Engine* engine, int vk, bool displayText) {
  if (engine == nullptr) return std::to_string(vk);
  KeyInfo info = {};
  engine->GetKeyByCode(&info, vk);
  // The record is the engine's to fill: never read past it.
  const char* text = displayText ? info.text : info.name;
  size_t size = displayText ? sizeof info.text : sizeof info.name;
  return std::string(text, strnlen(text, size));
}

class TrayPage : public SettingsPage {
 public:
  TrayPage() : SettingsPage(IDD_TRAY_PAGE, PLUGIN_GENERAL, kLayout) {}

  void SetPlugin(TrayPlugin* plugin) { m_plugin = plugin; }
  TrayPlugin* Owner() const { return m_plugin; }
  int CapturingRow() const { return IsOpen() ? m_capturing : -1; }
  void ShowKey(int row, const std::string& name) { SetWindowTextA(Item(kEditIds[row]), name.c_str()); }

  void StartCapture(int row) {
    m_capturing = row;
    ShowKey(row, "Scanning...");
    EnableButtons(false);
    Redraw();
  }

  void EndCapture(int vk) {
    int row = m_capturing;
    m_capturing = -1;
    m_plugin->SetKey(row, vk);
    EnableButtons(true);
    Redraw();
  }

  void Reset() { m_capturing = -1; }

 protected:
  void OnInit() override {
    m_capturing = -1;
    for (int id : kEditIds) {
      HWND edit = Item(id);
      // The edit's own procedure, for the forwarding one to call.
      SetWindowLongPtrA(edit, GWLP_USERDATA, GetWindowLongPtrA(edit, GWLP_WNDPROC));
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeyEditProc));
    }
  }

  bool OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      int id = LOWORD(wParam);
      if (id < IDC_TRAY_SCANMAIN || id > IDC_TRAY_SCANQUIT) return false;
      StartCapture(id - IDC_TRAY_SCANMAIN);
      *result = 0;
      return true;
    }
    if (message == WM_USER) {
      // WM_USER is also the dialog manager's DM_GETDEFID: only the edits' own are ours.
      for (int row = 0; row < TrayPlugin::KEY_COUNT; ++row) {
        if (Item(kEditIds[row]) != reinterpret_cast<HWND>(lParam)) continue;
        if (m_plugin != nullptr && m_plugin->GetEngine() != nullptr)
          SetDlgItemTextA(Window(), IDC_TRAY_STATUS,
                          KeyName(m_plugin->GetEngine(), m_plugin->KeyCode(row), true).c_str());
        *result = 0;
        return true;
      }
    }
    return false;
  }

 private:
  void EnableButtons(bool enable) {
    for (int id : kScanIds) EnableWindow(Item(id), enable);
  }

  // The key edits tell the page when the mouse is over them, so that it can name the key.
  static LRESULT CALLBACK KeyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_USERDATA));
    if (message == WM_MOUSEMOVE) SendMessageA(GetParent(edit), WM_USER, 0, reinterpret_cast<LPARAM>(edit));
    if (message == WM_NCDESTROY) SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    return CallWindowProcA(original, edit, message, wParam, lParam);
  }

  static constexpr LayoutMapEntry kLayout[] = {
      {IDC_TRAY_MAIN, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_SETTINGS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_ABOUT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_QUIT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_SCANMAIN, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_SCANSETTINGS, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_SCANABOUT, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_SCANQUIT, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TRAY_STATUS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
  };

  TrayPlugin* m_plugin = nullptr;
  int m_capturing = -1;
};
constexpr LayoutMapEntry TrayPage::kLayout[];

TrayPage& Page() {
  static TrayPage page;
  return page;
}

// The page, when it is open for this plugin.
TrayPage* OpenPageOf(const TrayPlugin* plugin) {
  TrayPage& page = Page();
  return page.IsOpen() && page.Owner() == plugin ? &page : nullptr;
}

}  // namespace

TrayPlugin::TrayPlugin()
    : BuiltInPlugin("Tambrel Tray Plugin", TRAY_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_TOGGLEHANDLER | PLUGIN_GENERAL, IDI_TRAY_ENABLED) {
  m_window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, PluginModule(), nullptr);
  if (m_window != nullptr) {
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  }
  // The icon shows the disabled look until the host enables the plugin.
  m_icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  m_icon.hWnd = m_window;
  m_icon.uID = 0;
  m_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_icon.uCallbackMessage = kCallbackMessage;
  strcpy(m_icon.szTip, "Tambrel");
  SetIcon(IDI_TRAY_DISABLED, NIM_ADD);
  m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  // Run elevated, the program would not get Explorer's broadcast without this.
  if (m_window != nullptr && m_taskbarCreated != 0)
    ChangeWindowMessageFilterEx(m_window, m_taskbarCreated, MSGFLT_ALLOW, nullptr);

  m_menu = LoadMenuA(PluginModule(), MAKEINTRESOURCEA(IDM_TRAY));
  if (m_menu != nullptr) SetMenuDefaultItem(GetSubMenu(m_menu, 0), IDM_TRAY_OPEN, FALSE);
}

TrayPlugin::~TrayPlugin() {
  DestroySettingsPage();
  Shell_NotifyIconA(NIM_DELETE, &m_icon);
  if (m_window != nullptr) {
    SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);  // a late message finds no object
    DestroyWindow(m_window);
  }
  if (m_menu != nullptr) DestroyMenu(m_menu);
}

void TrayPlugin::SetIcon(int resource, DWORD operation) {
  int size = GetSystemMetrics(SM_CXSMICON);
  m_icon.hIcon = static_cast<HICON>(
      LoadImageA(PluginModule(), MAKEINTRESOURCEA(resource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
  Shell_NotifyIconA(operation, &m_icon);
}

void TrayPlugin::SetEnabled(bool enabled) {
  m_enabled = enabled;
  SetIcon(enabled ? IDI_TRAY_ENABLED : IDI_TRAY_DISABLED, NIM_MODIFY);
  if (m_engine == nullptr) return;
  // The engine's SetActive enables or disables every plugin, this one too: without its
  // engine pointer for that call, the plugin does not call back a second time.
  Engine* engine = m_engine;
  m_engine = nullptr;
  engine->SetActive(enabled);
  m_engine = engine;
}

void TrayPlugin::LoadSettings(xmlNode* firstChild) {
  for (xmlNode* node = firstChild; node != nullptr; node = node->next) {
    if (!IsElement(node, "key") || node->children == nullptr) continue;
    bool present = false;
    std::string type = AttributeText(node, "type", &present);
    if (!present) continue;
    for (int row = 0; row < KEY_COUNT; ++row) {
      if (type != kTypeNames[row]) continue;
      // Leading digits, as atoi reads them, without its undefined overflow.
      long long value = strtoll(NodeText(node->children).c_str(), nullptr, 10);
      m_keys[row] = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    }
  }
}

void TrayPlugin::SaveSettings(xmlNode* pluginElement) {
  static const int kFileOrder[KEY_COUNT] = {KEY_MAIN, KEY_ABOUT, KEY_SETTINGS, KEY_QUIT};
  for (int row : kFileOrder) {
    xmlNode* key = xmlNewTextChild(pluginElement, nullptr, X("key"), X(std::to_string(m_keys[row]).c_str()));
    xmlNewProp(key, X("type"), X(kTypeNames[row]));
  }
}

void TrayPlugin::CreateSettingsPage(HWND parent, RECT rect) {
  TrayPage& page = Page();
  if (page.IsOpen()) return;
  page.SetPlugin(this);
  if (!page.Open(parent, rect)) return;
  for (int row = 0; row < KEY_COUNT; ++row) SetKey(row, m_keys[row]);
}

void TrayPlugin::DestroySettingsPage() {
  if (TrayPage* page = OpenPageOf(this)) {
    page->Reset();
    page->Close();
  }
}

void TrayPlugin::SetKey(int row, int vk) {
  m_keys[row] = vk;
  if (TrayPage* page = OpenPageOf(this)) page->ShowKey(row, KeyName(m_engine, vk, false));
}

bool TrayPlugin::WantsKeyEvents() {
  if (m_enabled) return true;
  TrayPage* page = OpenPageOf(this);
  return page != nullptr && page->CapturingRow() >= 0;
}

bool TrayPlugin::OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) {
  if (IsInertKeyEvent(key)) return false;  // neither a hot key nor a new one for the page
  // F10 (the default settings key) alone arrives as a system key: its release is WM_SYSKEYUP.
  if (m_enabled && m_toggled && (message == WM_KEYUP || message == WM_SYSKEYUP)) {
    static const int kOrder[KEY_COUNT] = {KEY_MAIN, KEY_ABOUT, KEY_SETTINGS, KEY_QUIT};
    for (int row : kOrder) {
      if (static_cast<int>(key->vkCode) != m_keys[row]) continue;
      if (m_engine != nullptr) m_engine->SetToggled(false);
      PostMessageA(m_window, kHotKeyMessage, static_cast<WPARAM>(row), 0);
      return true;
    }
    return false;
  }
  TrayPage* page = OpenPageOf(this);
  if (page == nullptr || page->CapturingRow() < 0) return false;
  page->EndCapture(static_cast<int>(key->vkCode));
  return true;
}

void TrayPlugin::RunHotKey(int row) {
  if (m_engine == nullptr || row < 0 || row >= KEY_COUNT) return;
  if (row == KEY_QUIT) {
    m_engine->Quit();
    return;
  }
  int which = kDialogOfRow[row];
  m_engine->ShowDialog(which, !m_engine->IsDialogVisible(which));
}

void TrayPlugin::OnCommand(int id) {
  if (m_engine == nullptr) return;
  switch (id) {
    case IDM_TRAY_ABOUT: m_engine->ShowDialog(1, true); break;
    case IDM_TRAY_QUIT: m_engine->Quit(); break;
    case IDM_TRAY_OPEN: m_engine->ShowDialog(0, true); break;
  }
}

void TrayPlugin::OnIconMessage(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      if (m_engine != nullptr) m_engine->ShowDialog(0, !m_engine->IsDialogVisible(0));
      break;
    case WM_RBUTTONUP: ShowMenu(); break;
    case WM_MBUTTONUP:
      if (m_engine != nullptr) m_engine->SetToggled(!m_toggled);
      break;
  }
}

void TrayPlugin::ShowMenu() {
  if (m_menu == nullptr) return;
  POINT cursor;
  GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks elsewhere; the
  // posted message lets it end cleanly when it does.
  SetForegroundWindow(m_window);
  TrackPopupMenu(GetSubMenu(m_menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_window, nullptr);
  PostMessageA(m_window, WM_NULL, 0, 0);
}

LRESULT CALLBACK TrayPlugin::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TrayPlugin* plugin = reinterpret_cast<TrayPlugin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (plugin != nullptr) {
    if (message == WM_COMMAND) {
      plugin->OnCommand(LOWORD(wParam));
      return 0;
    }
    if (message == kCallbackMessage) {
      plugin->OnIconMessage(static_cast<UINT>(lParam));
      return 0;
    }
    if (message == kHotKeyMessage) {
      plugin->RunHotKey(static_cast<int>(wParam));
      return 0;
    }
    if (message == plugin->m_taskbarCreated && message != 0) {
      // A new taskbar (Explorer restarted, or started after us) holds no icons: ours goes
      // in again as it is now. A failed add or modify before is made good here too.
      Shell_NotifyIconA(NIM_ADD, &plugin->m_icon);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TrayPlugin::AppendDebugInfo(std::string& text, bool forAction, int) {
  if (forAction) return;
  char line[160];
  snprintf(line, sizeof line,
           "\t\tMain window key: %d\n\t\tAbout window key: %d\n\t\tSettings window key: %d\n\t\tQuit key: %d\n",
           m_keys[KEY_MAIN], m_keys[KEY_ABOUT], m_keys[KEY_SETTINGS], m_keys[KEY_QUIT]);
  text += line;
}
