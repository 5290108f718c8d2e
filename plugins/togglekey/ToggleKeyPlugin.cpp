#include "ToggleKeyPlugin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"
#include "SettingsPage.h"
#include "combo/WindowsShortcuts.h"

// The settings page: shows the Tambrel key and picks a new one by the next key released.
// One window at a time in the process; the plugin that opened it owns it.
class ToggleKeyPage : public SettingsPage {
 public:
  ToggleKeyPage() : SettingsPage(IDD_TOGGLEKEY_PAGE, PLUGIN_GENERAL, kLayout) {}

  bool Open(ToggleKeyPlugin* owner, HWND parent, const RECT& rect) {
    if (IsOpen()) return false;
    m_owner = owner;  // before the window exists: its first messages may need it
    return SettingsPage::Open(parent, rect);
  }
  bool OwnedBy(const ToggleKeyPlugin* plugin) const { return IsOpen() && m_owner == plugin; }
  bool Capturing() const { return m_capturing; }

  void SetScanEnabled(bool enabled) {
    // The style bit alone: the button keeps the focus it got from the click.
    HWND scan = Item(IDC_TOGGLEKEY_SCAN);
    LONG_PTR style = GetWindowLongPtrA(scan, GWL_STYLE);
    SetWindowLongPtrA(scan, GWL_STYLE, enabled ? style & ~WS_DISABLED : style | WS_DISABLED);
    // The button's new look needs the children repainted as well.
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  void EndCapture() {
    m_capturing = false;
    m_owner->RefreshPage();
    SetScanEnabled(true);
  }

 protected:
  void OnInit() override { m_capturing = false; }

  bool OnPageMessage(UINT message, WPARAM wParam, LPARAM, LRESULT*) override {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_TOGGLEKEY_TIMEOUT && HIWORD(wParam) == EN_CHANGE &&
        m_owner != nullptr) {
      BOOL number = FALSE;
      UINT seconds = GetDlgItemInt(Window(), IDC_TOGGLEKEY_TIMEOUT, &number, FALSE);
      m_owner->m_timeout = number && seconds <= 3600 ? static_cast<int>(seconds) : m_owner->m_timeout;
      return true;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || m_owner == nullptr) return false;
    switch (LOWORD(wParam)) {
      case IDC_TOGGLEKEY_SCAN:
        m_capturing = true;
        SetDlgItemTextA(Window(), IDC_TOGGLEKEY_NAME, "Scanning...");
        SetScanEnabled(false);
        return true;
      case IDC_TOGGLEKEY_SCANCODE:
        // The number stays; it is read as the other kind of code from now on.
        m_owner->m_useScanCode = IsDlgButtonChecked(Window(), IDC_TOGGLEKEY_SCANCODE) == BST_CHECKED;
        m_owner->RefreshPage();
        return true;
      case IDC_TOGGLEKEY_ESCAPE:
        m_owner->m_escapeCancels = IsDlgButtonChecked(Window(), IDC_TOGGLEKEY_ESCAPE) == BST_CHECKED;
        return true;
    }
    return false;
  }

 private:
  static constexpr LayoutMapEntry kLayout[] = {
      {IDC_TOGGLEKEY_NAME, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TOGGLEKEY_SCANCODE, LAYOUT_LEFT | LAYOUT_TOP},
      {IDC_TOGGLEKEY_SCAN, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TOGGLEKEY_TEXT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_TOGGLEKEY_TIMEOUT, LAYOUT_LEFT | LAYOUT_TOP},
      {IDC_TOGGLEKEY_ESCAPE, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
  };

  ToggleKeyPlugin* m_owner = nullptr;
  bool m_capturing = false;
};
constexpr LayoutMapEntry ToggleKeyPage::kLayout[];

namespace {

ToggleKeyPage& Page() {
  static ToggleKeyPage page;
  return page;
}

}  // namespace

ToggleKeyPlugin::ToggleKeyPlugin()
    : BuiltInPlugin("Keyboard Tambrel Plugin", TOGGLEKEY_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_TOGGLEHANDLER, IDI_KEYBOARD) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = TimerProc;
  windowClass.hInstance = PluginModule();
  windowClass.lpszClassName = "TambrelToggleKeyTimer";
  RegisterClassA(&windowClass);  // fails harmlessly when it is registered already
  m_timerWindow = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  PluginModule(), nullptr);
  SetWindowLongPtrA(m_timerWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ToggleKeyPlugin::~ToggleKeyPlugin() {
  DestroySettingsPage();
  if (m_timerWindow != nullptr) DestroyWindow(m_timerWindow);
}

// The count starts when the toggle goes on and again at every key event while it is on;
// when it runs out, the toggle goes off as the Tambrel key would switch it.
void ToggleKeyPlugin::OnToggle(bool toggled) {
  m_toggled = toggled;
  if (toggled && m_timeout > 0) {
    m_lastKeyTime = GetTickCount();
    ArmTimer(static_cast<DWORD>(m_timeout) * 1000);
  } else if (m_timerWindow != nullptr) {
    KillTimer(m_timerWindow, 1);
  }
}

void ToggleKeyPlugin::ArmTimer(DWORD ms) {
  if (m_timerWindow != nullptr) SetTimer(m_timerWindow, 1, ms, nullptr);
}

LRESULT CALLBACK ToggleKeyPlugin::TimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TIMER) return DefWindowProcA(window, message, wParam, lParam);
  ToggleKeyPlugin* plugin = reinterpret_cast<ToggleKeyPlugin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  KillTimer(window, 1);
  if (plugin == nullptr || !plugin->m_toggled || plugin->m_timeout <= 0) return 0;
  DWORD limit = static_cast<DWORD>(plugin->m_timeout) * 1000, quiet = GetTickCount() - plugin->m_lastKeyTime;
  if (quiet < limit)
    plugin->ArmTimer(limit - quiet);  // keys came meanwhile: the rest of the count
  else if (plugin->m_engine != nullptr)
    plugin->m_engine->SetToggled(false);
  return 0;
}

void ToggleKeyPlugin::LoadSettings(xmlNode* firstChild) {
  for (xmlNode* node = firstChild; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE || node->children == nullptr) continue;
    if (IsElement(node, "key")) {
      // Leading digits; strtol saturates instead of overflowing.
      m_keyCode = static_cast<int>(strtol(NodeText(node->children).c_str(), nullptr, 10));
    } else if (IsElement(node, "scancode") && m_engine != nullptr) {
      m_useScanCode = m_engine->ParseBool(NodeText(node->children).c_str());
    } else if (IsElement(node, "timeout")) {
      long seconds = strtol(NodeText(node->children).c_str(), nullptr, 10);
      m_timeout = seconds < 0 ? 0 : seconds > 3600 ? 3600 : static_cast<int>(seconds);
    } else if (IsElement(node, "escapecancels") && m_engine != nullptr) {
      m_escapeCancels = m_engine->ParseBool(NodeText(node->children).c_str());
    }
  }
}

void ToggleKeyPlugin::SaveSettings(xmlNode* pluginElement) {
  AddTextChild(pluginElement, "key", std::to_string(m_keyCode));
  const char* flag = m_engine != nullptr ? m_engine->BoolToText(m_useScanCode) : (m_useScanCode ? "yes" : "no");
  AddTextChild(pluginElement, "scancode", flag);
  if (m_timeout > 0) AddTextChild(pluginElement, "timeout", std::to_string(m_timeout));
  // Written only when on: a file without it keeps its bytes.
  if (m_escapeCancels)
    AddTextChild(pluginElement, "escapecancels", m_engine != nullptr ? m_engine->BoolToText(true) : "yes");
}

bool ToggleKeyPlugin::PageOpen() const { return m_page != nullptr && m_page->OwnedBy(this); }

void ToggleKeyPlugin::CreateSettingsPage(HWND parent, RECT rect) {
  if (PageOpen()) return;
  if (!Page().Open(this, parent, rect)) return;
  m_page = &Page();
  RefreshPage();
}

void ToggleKeyPlugin::DestroySettingsPage() {
  if (PageOpen()) m_page->Close();
  m_page = nullptr;
}

void ToggleKeyPlugin::RefreshPage() {
  if (!PageOpen()) return;
  HWND page = m_page->Window();
  // The box shows the stored choice, also when the page opens.
  CheckDlgButton(page, IDC_TOGGLEKEY_SCANCODE, m_useScanCode ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_TOGGLEKEY_ESCAPE, m_escapeCancels ? BST_CHECKED : BST_UNCHECKED);
  char name[48] = "";
  const char* text = "";
  KeyInfo info = {};
  if (m_useScanCode) {
    snprintf(name, sizeof name, "Scan #%d", m_keyCode);
    text = "Scan code";
  } else if (m_engine != nullptr) {
    m_engine->GetKeyByCode(&info, m_keyCode);
    info.name[sizeof info.name - 1] = '\0';
    info.text[sizeof info.text - 1] = '\0';
    snprintf(name, sizeof name, "%s", info.name);
    text = info.text;
  }
  // A capture under way keeps saying so, whatever else changes meanwhile.
  SetDlgItemTextA(page, IDC_TOGGLEKEY_NAME, m_page->Capturing() ? "Scanning..." : name);
  std::string warning = m_page->Capturing() ? std::string() : WindowsWarning();
  SetDlgItemTextA(page, IDC_TOGGLEKEY_TEXT, warning.empty() ? text : (std::string(text) + "\r\n" + warning).c_str());
  if (GetDlgItemInt(page, IDC_TOGGLEKEY_TIMEOUT, nullptr, FALSE) != static_cast<UINT>(m_timeout) ||
      GetWindowTextLengthA(GetDlgItem(page, IDC_TOGGLEKEY_TIMEOUT)) == 0)
    SetDlgItemInt(page, IDC_TOGGLEKEY_TIMEOUT, static_cast<UINT>(m_timeout), FALSE);
}

bool ToggleKeyPlugin::OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) {
  if (IsInertKeyEvent(key)) return false;  // a macro's own Pause, a sandboxed program's keys
  if (m_toggled) m_lastKeyTime = key->time;  // the timer looks at it; nothing else here
  // A capture takes every key, enabled or not; the first release picks the key.
  if (PageOpen() && m_page->Capturing()) {
    if (message != WM_KEYUP) return true;
    m_keyCode = static_cast<int>(m_useScanCode ? key->scanCode : key->vkCode);
    m_page->EndCapture();
    return true;
  }
  // A VK_PACKET event is a character typed as Unicode input (Type Text): its scan code field
  // holds that character, which may well equal the toggle key's scan code.
  if (!m_enabled || key->vkCode == VK_PACKET) return false;
  // Escape backs out of a toggle, as in other tools with a leader key, when the user wants it
  // (unless it is the Tambrel key itself). On its press: its release, which the tray's quit
  // key acts on, then finds the toggle off; the engine keeps the release with the press.
  if (m_escapeCancels && m_toggled && key->vkCode == VK_ESCAPE && !TakesKey(key->vkCode, key->scanCode)) {
    if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && m_engine != nullptr) m_engine->SetToggled(false);
    return true;
  }
  DWORD code = m_useScanCode ? key->scanCode : key->vkCode;
  if (code != static_cast<DWORD>(m_keyCode)) return false;
  // Only the plain release toggles; with Alt held the key is still kept from other programs.
  if (message == WM_KEYUP && m_engine != nullptr) m_engine->SetToggled(!m_toggled);
  return true;
}

std::string ToggleKeyPlugin::WindowsWarning() {
  int vk = m_useScanCode ? static_cast<int>(MapVirtualKeyA(static_cast<UINT>(m_keyCode), MAPVK_VSC_TO_VK)) : m_keyCode;
  if (vk <= 0) return std::string();
  KeyInfo info = {};
  std::string name = "#" + std::to_string(vk);
  if (m_engine != nullptr && m_engine->GetKeyByCode(&info, vk) != nullptr && info.name[0] != '\0')
    name.assign(info.name, strnlen(info.name, sizeof info.name));
  return WindowsShortcutsOfKey(vk, name.c_str());
}

void ToggleKeyPlugin::AppendDebugInfo(std::string& text, bool forAction, int) {
  if (forAction) return;
  char line[64];
  snprintf(line, sizeof line, "\t\tKey %d (%scode)\n", m_keyCode, m_useScanCode ? "scan" : "virtual key ");
  text += line;
  if (m_escapeCancels) text += "\t\tEscape cancels the toggle\n";
  std::string warning = WindowsWarning();
  if (!warning.empty()) text += "\t\t" + warning + "\n";
}
