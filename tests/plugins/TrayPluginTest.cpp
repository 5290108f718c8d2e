// The tray plugin: its icon and menu, the icon's mouse messages, the hot keys, the settings
// and the page that captures keys.
#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "FakeEngine.h"
#include "Library.h"
#include "PluginResources.h"
#include "Taskbar.h"
#include "XmlFragments.h"
#include "tray/TrayPlugin.h"

namespace {

using Calls = std::vector<std::string>;

KBDLLHOOKSTRUCT KeyRecord(DWORD vk) {
  KBDLLHOOKSTRUCT key = {};
  key.vkCode = vk;
  key.scanCode = MapVirtualKeyA(vk, 0);
  return key;
}

// An icon of the plugin library at the notification area's size.
HICON SmallIcon(int id) {
  int size = GetSystemMetrics(SM_CXSMICON);
  return static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_SHARED));
}

bool Shows(const TaskbarStandIn& taskbar, TrayPlugin* plugin, int icon) {
  return taskbar.Shows(plugin->MessageWindow(), SmallIcon(icon), "Tambrel");
}

struct TrayPluginTest : ::testing::Test {
  void SetUp() override {
    InitPluginLibrary(GetModuleHandleA(nullptr));
    plugin = new TrayPlugin;
    plugin->SetEngine(&engine);
  }
  void TearDown() override { plugin->Release(); }

  bool Key(DWORD vk, UINT message) {
    KBDLLHOOKSTRUCT key = KeyRecord(vk);
    return plugin->OnKeyEvent(&key, message);
  }
  void SendIcon(UINT mouseMessage) {
    SendMessageA(plugin->MessageWindow(), TrayPlugin::kCallbackMessage, 0, mouseMessage);
  }

  TaskbarStandIn taskbar;  // there before the plugin
  FakeEngine engine;
  TrayPlugin* plugin = nullptr;
};

TEST_F(TrayPluginTest, IconShowsTheEnabledStateWithoutCallingBackTwice) {
  ASSERT_TRUE(taskbar.InFront());
  EXPECT_TRUE(Shows(taskbar, plugin, IDI_TRAY_DISABLED));  // added at construction
  EXPECT_FALSE(Shows(taskbar, plugin, IDI_TRAY_ENABLED));
  EXPECT_EQ(0x0E, plugin->GetTypes());
  EXPECT_NE(nullptr, plugin->GetToggleHandler());
  EXPECT_EQ(static_cast<NotifyHandler*>(plugin), plugin->GetNotifyHandler());
  EXPECT_EQ(static_cast<UINT>(IDM_TRAY_OPEN), GetMenuDefaultItem(GetSubMenu(plugin->Menu(), 0), FALSE, 0));

  engine.enabledBySetActive = plugin;  // the engine's SetActive enables every plugin again
  plugin->SetEnabled(true);
  EXPECT_TRUE(Shows(taskbar, plugin, IDI_TRAY_ENABLED));
  EXPECT_TRUE(plugin->IsEnabled());
  EXPECT_EQ(Calls{"SetActive(1)"}, engine.Take());
  EXPECT_EQ(&engine, plugin->GetEngine());  // restored after the call
  plugin->SetEnabled(false);
  EXPECT_TRUE(Shows(taskbar, plugin, IDI_TRAY_DISABLED));
  EXPECT_EQ(Calls{"SetActive(0)"}, engine.Take());
  EXPECT_FALSE(plugin->IsEnabled());

  plugin->SetEngine(nullptr);
  plugin->SetEnabled(true);  // no engine: the icon only
  EXPECT_TRUE(Shows(taskbar, plugin, IDI_TRAY_ENABLED));
  EXPECT_EQ(1u, taskbar.Count());
}

TEST(TrayPluginTaskbar, IconComesBackAsItIsWheneverATaskbarStartsAndGoesWithThePlugin) {
  TaskbarStandIn taskbar(false);  // Tambrel starts before the taskbar
  ASSERT_TRUE(taskbar.InFront());
  TrayPlugin* plugin = new TrayPlugin;
  HWND window = plugin->MessageWindow();
  plugin->SetEnabled(true);
  EXPECT_EQ(0u, taskbar.Count());
  taskbar.Start();
  PumpMessages();
  EXPECT_TRUE(Shows(taskbar, plugin, IDI_TRAY_ENABLED));

  plugin->SetEnabled(false);
  taskbar.Start();  // Explorer restarted: its icons are gone
  EXPECT_EQ(0u, taskbar.Count());
  PumpMessages();
  EXPECT_TRUE(Shows(taskbar, plugin, IDI_TRAY_DISABLED));
  EXPECT_EQ(1u, taskbar.Count());

  plugin->Release();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(0u, taskbar.Count());
}

TEST_F(TrayPluginTest, IconMessagesAndMenuCommandsReachTheEngine) {
  struct Case {
    UINT message;
    WPARAM command;  // for WM_COMMAND
    UINT mouse;      // for the callback message
    bool mainVisible, toggled;
    Calls expected;
  };
  const Case cases[] = {
      {0, 0, WM_LBUTTONUP, false, false, {"ShowDialog(0,1)"}},
      {0, 0, WM_LBUTTONUP, true, false, {"ShowDialog(0,0)"}},
      {0, 0, WM_MBUTTONUP, false, false, {"SetToggled(1)"}},
      {0, 0, WM_MBUTTONUP, false, true, {"SetToggled(0)"}},
      {0, 0, WM_LBUTTONDOWN, false, false, {}},
      {0, 0, WM_MOUSEMOVE, false, false, {}},
      {WM_COMMAND, IDM_TRAY_ABOUT, 0, false, false, {"ShowDialog(1,1)"}},
      {WM_COMMAND, IDM_TRAY_QUIT, 0, false, false, {"Quit"}},
      {WM_COMMAND, IDM_TRAY_OPEN, 0, true, false, {"ShowDialog(0,1)"}},
      {WM_COMMAND, 1234, 0, false, false, {}},
  };
  for (const Case& c : cases) {
    engine.visible[0] = c.mainVisible;
    plugin->OnToggle(c.toggled);
    if (c.message == WM_COMMAND)
      EXPECT_EQ(0, SendMessageA(plugin->MessageWindow(), WM_COMMAND, c.command, 0));
    else
      SendIcon(c.mouse);
    EXPECT_EQ(c.expected, engine.Take()) << "command " << c.command << ", mouse " << c.mouse;
  }
}

HMENU g_shownMenu;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (menu == nullptr || !IsWindowVisible(menu)) return;
  g_shownMenu = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
  EndMenu();
}

TEST_F(TrayPluginTest, RightButtonShowsThePopUp) {
  g_shownMenu = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenu);
  SendIcon(WM_RBUTTONUP);  // returns once the menu is closed
  KillTimer(nullptr, timer);
  PumpMessages();
  EXPECT_EQ(GetSubMenu(plugin->Menu(), 0), g_shownMenu);
  EXPECT_TRUE(engine.Take().empty());  // closed without a choice
}

TEST_F(TrayPluginTest, HotKeysActOnReleaseWhileToggledAndEnabled) {
  struct Case {
    DWORD vk;
    Calls posted;  // after SetToggled(0), once the messages are pumped
  };
  const Case cases[] = {
      {VK_F11, {"ShowDialog(0,1)"}},
      {VK_F1, {"ShowDialog(1,0)"}},  // the about window is open: it is hidden
      {VK_F10, {"ShowDialog(2,1)"}},
      {VK_ESCAPE, {"Quit"}},
  };
  engine.visible[1] = true;
  plugin->SetEnabled(true);
  plugin->OnToggle(true);
  engine.Take();
  for (const Case& c : cases) {
    EXPECT_FALSE(Key(c.vk, WM_KEYDOWN)) << c.vk;  // the press is not this plugin's to swallow
    EXPECT_TRUE(engine.Take().empty());
    EXPECT_TRUE(Key(c.vk, WM_KEYUP)) << c.vk;
    // Inside the hook only the toggle goes off; the window or quit comes afterwards.
    EXPECT_EQ(Calls{"SetToggled(0)"}, engine.Take()) << c.vk;
    PumpMessages();
    EXPECT_EQ(c.posted, engine.Take()) << c.vk;
  }
  EXPECT_FALSE(Key('A', WM_KEYUP));
  // F10 on its own is a system key, as is any key with Alt held.
  EXPECT_TRUE(Key(VK_F10, WM_SYSKEYUP));
  PumpMessages();
  EXPECT_EQ((Calls{"SetToggled(0)", "ShowDialog(2,1)"}), engine.Take());

  plugin->OnToggle(false);
  EXPECT_FALSE(Key(VK_F11, WM_KEYUP));
  plugin->OnToggle(true);
  plugin->SetEnabled(false);
  engine.Take();
  EXPECT_FALSE(Key(VK_F11, WM_KEYUP));
  PumpMessages();
  EXPECT_TRUE(engine.Take().empty());
}

// Tambrel's own Escape and a sandboxed program's quit nothing; another program's does.
TEST_F(TrayPluginTest, OwnAndLowIntegrityKeysAreNoHotKeys) {
  plugin->SetEnabled(true);
  plugin->OnToggle(true);
  engine.Take();
  KBDLLHOOKSTRUCT key = KeyRecord(VK_ESCAPE);
  for (DWORD flags : {DWORD{LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED}, DWORD{LLKHF_INJECTED}}) {
    key.flags = flags | LLKHF_UP;
    key.dwExtraInfo = flags & LLKHF_LOWER_IL_INJECTED ? 0 : TAMBREL_OWN_INPUT;
    EXPECT_FALSE(plugin->OnKeyEvent(&key, WM_KEYUP));
  }
  key.dwExtraInfo = 0;
  EXPECT_TRUE(plugin->OnKeyEvent(&key, WM_KEYUP));
  PumpMessages();
  EXPECT_EQ((Calls{"SetToggled(0)", "Quit"}), engine.Take());
}

TEST_F(TrayPluginTest, SettingsLoadSaveAndDebugText) {
  EXPECT_EQ("<plugin><key type=\"main\">122</key><key type=\"about\">112</key><key type=\"settings\">121</key>"
            "<key type=\"quit\">27</key></plugin>",
            SavedSettings(plugin));
  xmlDocPtr doc;
  xmlNode* root = Parse(&doc,
                        "<plugin><key type=\"quit\">81x</key><key type=\"about\">junk</key>"
                        "<key type=\"other\">5</key><key>6</key><key type=\"settings\"/>"
                        "<name type=\"main\">7</name><key type=\"main\">72</key></plugin>");
  plugin->LoadSettings(root->children);
  xmlFreeDoc(doc);
  EXPECT_EQ(72, plugin->KeyCode(TrayPlugin::KEY_MAIN));
  EXPECT_EQ(0, plugin->KeyCode(TrayPlugin::KEY_ABOUT));       // no digits
  EXPECT_EQ(121, plugin->KeyCode(TrayPlugin::KEY_SETTINGS));  // an empty element changes nothing
  EXPECT_EQ(81, plugin->KeyCode(TrayPlugin::KEY_QUIT));       // the leading number
  EXPECT_STREQ("\t\tMain window key: 72\n\t\tAbout window key: 0\n\t\tSettings window key: 121\n\t\tQuit key: 81\n",
               plugin->GetDebugInfo(false, false, 0));
  EXPECT_STREQ("", plugin->GetDebugInfo(false, true, 1));
  EXPECT_EQ(nullptr, plugin->GetDebugInfo(true, false, 0));
  plugin->LoadSettings(nullptr);
  EXPECT_EQ(72, plugin->KeyCode(TrayPlugin::KEY_MAIN));
}

TEST_F(TrayPluginTest, SharedHotKeyCodeGoesToTheFirstInOrder) {
  plugin->SetKey(TrayPlugin::KEY_QUIT, VK_F1);  // about and quit share F1: about comes first
  plugin->SetKey(TrayPlugin::KEY_SETTINGS, VK_F11);  // main and settings share F11: main wins
  plugin->SetEnabled(true);
  plugin->OnToggle(true);
  engine.Take();
  EXPECT_TRUE(Key(VK_F1, WM_KEYUP));
  EXPECT_TRUE(Key(VK_F11, WM_KEYUP));
  PumpMessages();
  EXPECT_EQ((Calls{"SetToggled(0)", "SetToggled(0)", "ShowDialog(1,1)", "ShowDialog(0,1)"}), engine.Take());
}

std::string Text(HWND window) {
  char text[128] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST_F(TrayPluginTest, PageCapturesTheNextKeyAndNamesKeysUnderTheMouse) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, parent);
  plugin->CreateSettingsPage(parent, RECT{0, 0, 360, 160});
  HWND page = GetWindow(parent, GW_CHILD);
  ASSERT_NE(nullptr, page);
  const int edits[] = {IDC_TRAY_MAIN, IDC_TRAY_SETTINGS, IDC_TRAY_ABOUT, IDC_TRAY_QUIT};
  const int buttons[] = {IDC_TRAY_SCANMAIN, IDC_TRAY_SCANSETTINGS, IDC_TRAY_SCANABOUT, IDC_TRAY_SCANQUIT};
  EXPECT_EQ("K122", Text(GetDlgItem(page, IDC_TRAY_MAIN)));
  EXPECT_EQ("K121", Text(GetDlgItem(page, IDC_TRAY_SETTINGS)));
  EXPECT_EQ("K112", Text(GetDlgItem(page, IDC_TRAY_ABOUT)));
  EXPECT_EQ("K27", Text(GetDlgItem(page, IDC_TRAY_QUIT)));
  EXPECT_FALSE(plugin->WantsKeyEvents());

  // Each row captures the first key event after its Scan, even while the plugin is
  // disabled; and while enabled but not toggled.
  for (int row = 0; row < 4; ++row) {
    if (row == 2) plugin->SetEnabled(true);
    HWND button = GetDlgItem(page, buttons[row]);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(buttons[row], BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ("Scanning...", Text(GetDlgItem(page, edits[row])));
    for (int id : buttons) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << row;
    EXPECT_TRUE(plugin->WantsKeyEvents());
    EXPECT_TRUE(Key('A' + row, WM_KEYDOWN));  // swallowed
    EXPECT_EQ('A' + row, plugin->KeyCode(row));
    EXPECT_EQ("K" + std::to_string('A' + row), Text(GetDlgItem(page, edits[row])));
    for (int id : buttons) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id))) << row;
    EXPECT_FALSE(Key('Z', WM_KEYUP));  // the capture is over
    EXPECT_EQ('A' + row, plugin->KeyCode(row));
  }
  EXPECT_STREQ("\t\tMain window key: 65\n\t\tAbout window key: 67\n\t\tSettings window key: 66\n\t\tQuit key: 68\n",
               plugin->GetDebugInfo(false, false, 0));

  // While toggled a key release is a hot key or nothing, never a capture.
  plugin->OnToggle(true);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TRAY_SCANMAIN, BN_CLICKED), 0);
  EXPECT_FALSE(Key('Q', WM_KEYUP));
  EXPECT_EQ('A', plugin->KeyCode(TrayPlugin::KEY_MAIN));
  EXPECT_TRUE(Key('Q', WM_KEYDOWN));
  EXPECT_EQ('Q', plugin->KeyCode(TrayPlugin::KEY_MAIN));

  SendMessageA(GetDlgItem(page, IDC_TRAY_ABOUT), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ("Key number 67", Text(GetDlgItem(page, IDC_TRAY_STATUS)));
  SendMessageA(GetDlgItem(page, IDC_TRAY_QUIT), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ("Key number 68", Text(GetDlgItem(page, IDC_TRAY_STATUS)));

  // Closing the page ends a capture.
  plugin->OnToggle(false);
  plugin->SetEnabled(false);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TRAY_SCANQUIT, BN_CLICKED), 0);
  plugin->DestroySettingsPage();
  EXPECT_FALSE(IsWindow(page));
  EXPECT_FALSE(plugin->WantsKeyEvents());
  EXPECT_FALSE(Key('W', WM_KEYDOWN));
  EXPECT_EQ('D', plugin->KeyCode(TrayPlugin::KEY_QUIT));
  DestroyWindow(parent);
}

}  // namespace
