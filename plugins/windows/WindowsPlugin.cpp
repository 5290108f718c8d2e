#include "WindowsPlugin.h"

#include <string.h>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"

const WindowsPlugin::Row WindowsPlugin::kRows[11] = {
    {"unknown", "Unknown"},           {"logoff", "Log off"},
    {"restart", "Restart"},           {"shutdown", "Shut down"},
    {"standby", "Stand by"},          {"hibernate", "Hibernate"},
    {"lock", "Lock"},                 {"screensaver", "Start screen saver"},
    {"monitor on", "Monitor on"},     {"monitor low", "Monitor low power mode"},
    {"monitor off", "Monitor off"},
};

namespace {

class WindowsPage : public SettingsPage {
 public:
  WindowsPage() : SettingsPage(IDD_WINDOWS_PAGE, PLUGIN_ACTIONTYPE, kLayout) {}

 protected:
  void OnInit() override {
    // In table order, so that the list position is the row index.
    for (const WindowsPlugin::Row& row : WindowsPlugin::kRows)
      SendDlgItemMessageA(Window(), IDC_WINDOWS_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.label));
  }

 private:
  static constexpr LayoutMapEntry kLayout[] = {{IDC_WINDOWS_LIST, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT}};
};
constexpr LayoutMapEntry WindowsPage::kLayout[];

SettingsPage& Page() {
  static WindowsPage page;
  return page;
}

class SystemCalls : public SystemOperations {
 public:
  void ExitSession(UINT flags, DWORD reason) override { ExitWindowsEx(flags, reason); }
  void SetPowerState(bool suspend, bool force) override { SetSystemPowerState(suspend, force); }
  void LockWorkstation() override { LockWorkStation(); }
};

// Log off, restart and shut down need the shutdown privilege enabled in the process token.
// Without it those operations fail quietly, as they would for a user who lacks the right.
void EnableShutdownPrivilege() {
  static bool s_done = false;  // one token, one adjustment, however many plugin objects
  if (s_done) return;
  s_done = true;
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  CloseHandle(token);  // the privilege stays enabled on the token itself
}

// Planned, major reason "application".
const DWORD kShutdownReason = 0x80040000;

// Every top-level window is sent the command; one that does not answer is given up on
// rather than holding up the caller.
const UINT kBroadcastTimeoutMs = 1000;

void BroadcastSysCommand(WPARAM command, LPARAM parameter) {
  DWORD_PTR result;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SYSCOMMAND, command, parameter, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs,
                      &result);
}

}  // namespace

SystemOperations& RealSystemOperations() {
  static SystemCalls s_calls;
  return s_calls;
}

WindowsPlugin::WindowsPlugin()
    : ActionPlugin("Windows Action Plugin", WINDOWS_PLUGIN_GUID, IDI_WINDOWS, "Windows Action", Page()),
      m_system(&RealSystemOperations()) {
  EnableShutdownPrivilege();
}

void WindowsPlugin::Load(int actionId, xmlNode* firstChild) {
  std::string key = NodeText(firstChild);
  int index = 0;
  for (int i = 0; i < 11; ++i)
    if (key == kRows[i].key) {  // case-sensitive: "Monitor off" is no key
      index = i;
      break;
    }
  m_data[actionId] = index;
}

void WindowsPlugin::Save(int actionId, xmlNode* element) {
  if (const int* index = Find(actionId)) AddContent(element, kRows[*index].key);
}

void WindowsPlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (forAction) {
    if (const int* index = Find(actionId)) text += std::string("\t\t") + kRows[*index].label + "\n";
    return;
  }
  text += "\t\tKnown actions:\n";
  for (const Row& row : kRows) text += std::string("\t\t\t") + row.label + " (" + row.key + ")\n";
}

int WindowsPlugin::ReadPage() {
  LRESULT selection = SendDlgItemMessageA(m_page.Window(), IDC_WINDOWS_LIST, CB_GETCURSEL, 0, 0);
  return selection < 0 || selection > 10 ? 0 : static_cast<int>(selection);
}

void WindowsPlugin::WritePage(const int& index) {
  SendDlgItemMessageA(m_page.Window(), IDC_WINDOWS_LIST, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int WindowsPlugin::Run(const int& index) {
  // What the calls return is not looked at: the session ends, or nothing happens.
  switch (index) {
    case 1: m_system->ExitSession(EWX_LOGOFF | EWX_FORCEIFHUNG, kShutdownReason); break;
    case 2: m_system->ExitSession(EWX_REBOOT | EWX_FORCEIFHUNG, kShutdownReason); break;
    case 3: m_system->ExitSession(EWX_SHUTDOWN | EWX_POWEROFF | EWX_FORCEIFHUNG, kShutdownReason); break;
    case 4: m_system->SetPowerState(true, true); break;
    case 5: m_system->SetPowerState(false, true); break;
    case 6:
      // Off first: the toggle state must not outlast the lock.
      if (m_engine != nullptr) m_engine->SetToggled(false);
      m_system->LockWorkstation();
      break;
    case 7: BroadcastSysCommand(SC_SCREENSAVE, 0); break;
    case 8: BroadcastSysCommand(SC_MONITORPOWER, -1); break;
    case 9: BroadcastSysCommand(SC_MONITORPOWER, 1); break;
    case 10: BroadcastSysCommand(SC_MONITORPOWER, 2); break;
    default: break;  // "unknown"
  }
  return 0;
}
