// The toggle key plugin driven the way the engine's hook drives it, with a stand-in engine,
// and its settings page as a real window.
#include <gtest/gtest.h>

#include "NullEngine.h"
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "PluginResources.h"
#include "TestSupport.h"
#include "togglekey/ToggleKeyPlugin.h"
#include "tray/TrayPlugin.h"

namespace {

// The Tambrel key takes its key whatever the modifiers: Pause, the default, takes Win+Pause
// from Windows, scan code 19 (R) Win+R. Keys are named as ToggleEngine names them.
const char kPauseWarning[] = "Win+Pause no longer shows the System properties while K19 is the Tambrel key";
const char kScanRWarning[] = "Win+R no longer opens the Run dialog box while K82 is the Tambrel key";

class ToggleEngine : public NullEngine {
 public:
  void SetToggled(bool on) override { toggles.push_back(on); }
  bool ParseBool(const char* text) override {
    return lstrcmpiA(text, "yes") == 0 || lstrcmpiA(text, "true") == 0 || lstrcmpiA(text, "on") == 0 ||
           lstrcmpiA(text, "1") == 0;
  }
  KeyInfo* GetKeyByCode(KeyInfo* out, int vk) override {
    out->nameLength = snprintf(out->name, sizeof out->name, "K%d", vk);
    snprintf(out->text, sizeof out->text, "Key number %d", vk);
    out->vk = vk;
    return out;
  }

  std::vector<bool> toggles;
};

bool Send(Plugin& plugin, DWORD vk, DWORD scan, UINT message) {
  KBDLLHOOKSTRUCT key = {};
  key.vkCode = vk;
  key.scanCode = scan;
  key.flags = message == WM_KEYUP || message == WM_SYSKEYUP ? LLKHF_UP : 0;
  key.time = GetTickCount();
  return plugin.OnKeyEvent(&key, message);
}

std::string DebugLine(Plugin& plugin) { return plugin.GetDebugInfo(false, false, 0); }

// Loads the children of a <plugin> element given as text.
void Load(Plugin& plugin, const char* pluginElement) {
  std::string text(pluginElement);
  xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "conf.xml", nullptr, XML_PARSE_NONET);
  ASSERT_NE(nullptr, doc);
  plugin.LoadSettings(xmlDocGetRootElement(doc)->children);
  xmlFreeDoc(doc);
}

class ToggleKey : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin.SetEngine(&engine);
    plugin.SetEnabled(true);
  }
  ToggleEngine engine;
  ToggleKeyPlugin plugin;
};

void PumpFor(DWORD ms) {
  DWORD began = GetTickCount();
  while (GetTickCount() - began < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

// A toggle left alone ends by itself after the seconds of <timeout>; every key while it is
// on starts the count again. Without the element nothing ends it, and nothing is written.
TEST_F(ToggleKey, AToggleWithoutKeysEndsAfterItsTimeout) {
  plugin.OnToggle(true);
  PumpFor(300);
  Load(plugin, "<plugin><key>19</key><timeout>1</timeout></plugin>");
  EXPECT_TRUE(engine.toggles.empty());
  plugin.OnToggle(true);
  PumpFor(600);
  Send(plugin, 'A', 0x1E, WM_KEYDOWN);
  PumpFor(600);
  EXPECT_TRUE(engine.toggles.empty());
  PumpFor(700);
  EXPECT_EQ(std::vector<bool>{false}, engine.toggles);
}

TEST_F(ToggleKey, OnlyTheReleaseOfTheMatchingKeyToggles) {
  const DWORD kPause = VK_PAUSE, kPauseScan = 0x45, kA = 'A', kAScan = 0x1E;
  struct Case {
    const char* what;
    bool scanCodes;
    DWORD vk, scan;
    UINT message;
    bool swallowed;
    bool toggles;
  } cases[] = {
      {"press", false, kPause, kPauseScan, WM_KEYDOWN, true, false},
      {"release", false, kPause, kPauseScan, WM_KEYUP, true, true},
      {"press with Alt", false, kPause, kPauseScan, WM_SYSKEYDOWN, true, false},
      {"release with Alt", false, kPause, kPauseScan, WM_SYSKEYUP, true, false},
      {"other key", false, kA, kAScan, WM_KEYUP, false, false},
      {"other key whose scan code is the key code", false, kA, 19, WM_KEYUP, false, false},
      {"scan code release", true, kA, 19, WM_KEYUP, true, true},
      {"scan code press", true, kA, 19, WM_KEYDOWN, true, false},
      {"virtual key in scan code mode", true, kPause, kPauseScan, WM_KEYUP, false, false},
      {"typed character whose unit is the scan code", true, VK_PACKET, 19, WM_KEYUP, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ToggleKeyPlugin fresh;
    ToggleEngine own;
    fresh.SetEngine(&own);
    fresh.SetEnabled(true);
    if (c.scanCodes) Load(fresh, "<plugin><scancode>yes</scancode></plugin>");
    EXPECT_EQ(c.swallowed, Send(fresh, c.vk, c.scan, c.message));
    EXPECT_EQ(c.toggles ? std::vector<bool>{true} : std::vector<bool>{}, own.toggles);
  }
}

TEST_F(ToggleKey, FlipsTheStateTheEngineLastReported) {
  Send(plugin, VK_PAUSE, 0x45, WM_KEYUP);
  plugin.GetNotifyHandler()->OnToggle(true);
  Send(plugin, VK_PAUSE, 0x45, WM_KEYUP);
  Send(plugin, VK_PAUSE, 0x45, WM_KEYUP);  // the engine did not report the last change
  EXPECT_EQ((std::vector<bool>{true, false, false}), engine.toggles);
}

TEST_F(ToggleKey, DisabledItNeitherWantsNorTakesKeys) {
  plugin.SetEnabled(false);
  EXPECT_FALSE(plugin.WantsKeyEvents());
  EXPECT_FALSE(Send(plugin, VK_PAUSE, 0x45, WM_KEYDOWN));
  EXPECT_FALSE(Send(plugin, VK_PAUSE, 0x45, WM_KEYUP));
  EXPECT_TRUE(engine.toggles.empty());
  plugin.SetEnabled(true);
  EXPECT_TRUE(plugin.WantsKeyEvents());
}

TEST_F(ToggleKey, ReadsItsSettings) {
  struct Case {
    const char* xml;
    const char* line;
  } cases[] = {
      {"<plugin/>", "\t\tKey 19 (virtual key code)\n\t\tWin+Pause no longer shows the System properties while K19 is the Tambrel key\n"},
      {"<plugin><key>145</key><scancode>no</scancode></plugin>", "\t\tKey 145 (virtual key code)\n"},
      {"<plugin><key>70</key><scancode>ON</scancode></plugin>", "\t\tKey 70 (scancode)\n"},
      {"<plugin><scancode>1</scancode></plugin>",
       "\t\tKey 19 (scancode)\n\t\tWin+R no longer opens the Run dialog box while K82 is the Tambrel key\n"},
      {"<plugin><key>12abc</key></plugin>", "\t\tKey 12 (virtual key code)\n"},
      {"<plugin><key>abc</key></plugin>", "\t\tKey 0 (virtual key code)\n"},
      {"<plugin><key/><scancode/></plugin>",
       "\t\tKey 19 (virtual key code)\n\t\tWin+Pause no longer shows the System properties while K19 is the Tambrel key\n"},
      {"<plugin><key>99999999999</key></plugin>", "\t\tKey 2147483647 (virtual key code)\n"},
      {"<plugin><!-- 5 --><other>7</other><key>33</key><key>34</key></plugin>", "\t\tKey 34 (virtual key code)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    ToggleKeyPlugin fresh;
    fresh.SetEngine(&engine);
    Load(fresh, c.xml);
    EXPECT_EQ(c.line, DebugLine(fresh));
  }
  EXPECT_STREQ("", plugin.GetDebugInfo(false, true, 1));
}

// The plugin's element as SaveSettings writes it.
std::string Saved(Plugin& plugin) {
  xmlDoc* doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  xmlNode* element = xmlNewNode(nullptr, reinterpret_cast<const xmlChar*>("plugin"));
  xmlDocSetRootElement(doc, element);
  plugin.SaveSettings(element);
  xmlBuffer* buffer = xmlBufferCreate();
  xmlNodeDump(buffer, doc, element, 0, 0);
  std::string text = reinterpret_cast<const char*>(xmlBufferContent(buffer));
  xmlBufferFree(buffer);
  xmlFreeDoc(doc);
  return text;
}

TEST_F(ToggleKey, WritesKeyThenScanCodeAndReadsThemBack) {
  Load(plugin, "<plugin><key>70</key><scancode>yes</scancode></plugin>");
  std::string saved = Saved(plugin);
  EXPECT_EQ("<plugin><key>70</key><scancode>yes</scancode></plugin>", saved);
  ToggleKeyPlugin copy;
  copy.SetEngine(&engine);
  Load(copy, saved.c_str());
  EXPECT_EQ(DebugLine(plugin), DebugLine(copy));
}

// "Escape cancels the toggle", off unless <escapecancels> says so: then Escape ends a toggle
// on its press and is kept from the program; untoggled it is the program's. Escape as the
// Tambrel key stays the Tambrel key. The element is written only when on.
TEST_F(ToggleKey, EscapeCancelsTheToggleOnlyWhenTheUserWantsIt) {
  plugin.OnToggle(true);
  EXPECT_FALSE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYDOWN));
  EXPECT_FALSE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYUP));
  EXPECT_TRUE(engine.toggles.empty());
  EXPECT_EQ(std::string::npos, Saved(plugin).find("escapecancels"));

  Load(plugin, "<plugin><escapecancels>yes</escapecancels></plugin>");
  EXPECT_TRUE(plugin.EscapeCancels());
  EXPECT_TRUE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYDOWN));
  EXPECT_EQ(std::vector<bool>{false}, engine.toggles);
  plugin.OnToggle(false);
  EXPECT_FALSE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYUP));  // the engine keeps it with its press
  EXPECT_FALSE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYDOWN));
  EXPECT_EQ(1u, engine.toggles.size());
  EXPECT_EQ("<plugin><key>19</key><scancode>no</scancode><escapecancels>yes</escapecancels></plugin>", Saved(plugin));
  EXPECT_EQ(std::string("\t\tKey 19 (virtual key code)\n\t\tEscape cancels the toggle\n\t\t") + kPauseWarning + "\n",
            DebugLine(plugin));

  Load(plugin, "<plugin><key>27</key></plugin>");
  plugin.OnToggle(true);
  engine.toggles.clear();
  EXPECT_TRUE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYDOWN));
  EXPECT_TRUE(engine.toggles.empty());
  EXPECT_TRUE(Send(plugin, VK_ESCAPE, 0x01, WM_KEYUP));
  EXPECT_EQ(std::vector<bool>{false}, engine.toggles);
}

// Both plugins, as the engine's hook hands every key to each, with the tray's quit key on
// Escape (its default): a canceling Escape ends the toggle and Tambrel keeps running,
// whichever plugin the engine asks first.
TEST(ToggleKeyAndTray, AnEscapeThatCancelsDoesNotQuit) {
  class BothEngine : public ToggleEngine {
   public:
    void SetToggled(bool on) override {
      ToggleEngine::SetToggled(on);
      for (NotifyHandler* handler : handlers) handler->OnToggle(on);
    }
    void Quit() override { ++quits; }
    std::vector<NotifyHandler*> handlers;
    int quits = 0;
  };
  for (bool trayFirst : {false, true}) {
    SCOPED_TRACE(trayFirst);
    BothEngine engine;
    ToggleKeyPlugin toggle;
    TrayPlugin* tray = new TrayPlugin;
    std::vector<Plugin*> order = {&toggle, tray};
    if (trayFirst) std::swap(order[0], order[1]);
    for (Plugin* plugin : order) {
      plugin->SetEngine(&engine);
      plugin->SetEnabled(true);
      engine.handlers.push_back(plugin->GetNotifyHandler());
    }
    Load(toggle, "<plugin><escapecancels>yes</escapecancels></plugin>");
    engine.SetToggled(true);
    for (UINT message : {WM_KEYDOWN, WM_KEYUP})
      for (Plugin* plugin : order) Send(*plugin, VK_ESCAPE, 0x01, message);
    PumpFor(100);  // the tray acts through its window's messages
    EXPECT_EQ(0, engine.quits);
    EXPECT_EQ((std::vector<bool>{true, false}), engine.toggles);
    tray->SetEngine(nullptr);
    tray->Release();
  }
}

// The page in a top-level window of its own.
class ToggleKeyPageWindow : public ToggleKey {
 protected:
  void SetUp() override {
    ToggleKey::SetUp();
    parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
  }
  void TearDown() override {
    plugin.DestroySettingsPage();
    DestroyWindow(parent);
  }
  void Open() {
    plugin.CreateSettingsPage(parent, RECT{10, 20, 410, 220});
    page = FindWindowExA(parent, nullptr, "#32770", nullptr);
    ASSERT_NE(nullptr, page);
  }
  std::string Text(int id) {
    char text[512] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
  }
  void Click(int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  }
  void SetScanCodeBox(bool checked) {
    SendDlgItemMessageA(page, IDC_TOGGLEKEY_SCANCODE, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click(IDC_TOGGLEKEY_SCANCODE);
  }
  bool ScanDisabled() {
    return (GetWindowLongPtrA(GetDlgItem(page, IDC_TOGGLEKEY_SCAN), GWL_STYLE) & WS_DISABLED) != 0;
  }
  HWND parent = nullptr;
  HWND page = nullptr;
};

TEST_F(ToggleKeyPageWindow, OpensOnceAtItsPlaceShowingTheKey) {
  Open();
  RECT rect;
  GetWindowRect(page, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(10, rect.left);
  EXPECT_EQ(20, rect.top);
  EXPECT_EQ(400, rect.right - rect.left);
  EXPECT_EQ(200, rect.bottom - rect.top);
  EXPECT_EQ("K19", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_EQ(std::string("Key number 19\r\n") + kPauseWarning, Text(IDC_TOGGLEKEY_TEXT));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_TOGGLEKEY_SCANCODE));

  plugin.CreateSettingsPage(parent, RECT{0, 0, 100, 100});
  EXPECT_EQ(page, FindWindowExA(parent, nullptr, "#32770", nullptr));
  EXPECT_EQ(nullptr, FindWindowExA(parent, page, "#32770", nullptr));
  plugin.DestroySettingsPage();
  EXPECT_FALSE(IsWindow(page));
}

TEST_F(ToggleKeyPageWindow, ShowsTheStoredScanCodeChoice) {
  Load(plugin, "<plugin><key>70</key><scancode>yes</scancode></plugin>");
  Open();
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_TOGGLEKEY_SCANCODE));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_TOGGLEKEY_ESCAPE));
  // "Escape cancels the toggle" sets the option at once.
  SendDlgItemMessageA(page, IDC_TOGGLEKEY_ESCAPE, BM_SETCHECK, BST_CHECKED, 0);
  Click(IDC_TOGGLEKEY_ESCAPE);
  EXPECT_TRUE(plugin.EscapeCancels());
  EXPECT_EQ("Escape cancels the toggle", Text(IDC_TOGGLEKEY_ESCAPE));
  EXPECT_EQ("Scan #70", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_EQ("Scan code", Text(IDC_TOGGLEKEY_TEXT));
}

TEST_F(ToggleKeyPageWindow, ScanCodeBoxReadsTheSameNumberAsTheOtherKind) {
  Open();
  SetScanCodeBox(true);
  EXPECT_EQ("Scan #19", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_EQ(std::string("Scan code\r\n") + kScanRWarning, Text(IDC_TOGGLEKEY_TEXT));
  EXPECT_EQ(std::string("\t\tKey 19 (scancode)\n\t\t") + kScanRWarning + "\n", DebugLine(plugin));
  EXPECT_FALSE(Send(plugin, VK_PAUSE, 0x45, WM_KEYUP));
  EXPECT_TRUE(Send(plugin, 'A', 19, WM_KEYUP));
  SetScanCodeBox(false);
  EXPECT_EQ("K19", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_EQ(std::string("\t\tKey 19 (virtual key code)\n\t\t") + kPauseWarning + "\n", DebugLine(plugin));
}

TEST_F(ToggleKeyPageWindow, CaptureTakesTheFirstReleasedKeyAndSwallowsTheRest) {
  plugin.SetEnabled(false);  // a capture does not need the plugin enabled
  Open();
  Click(IDC_TOGGLEKEY_SCAN);
  EXPECT_EQ("Scanning...", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_TRUE(ScanDisabled());
  EXPECT_TRUE(Send(plugin, VK_SHIFT, 0x2A, WM_KEYDOWN));
  EXPECT_TRUE(Send(plugin, VK_MENU, 0x38, WM_SYSKEYDOWN));
  EXPECT_TRUE(Send(plugin, 'Q', 0x10, WM_SYSKEYUP));
  EXPECT_EQ("Scanning...", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_TRUE(ScanDisabled());

  EXPECT_TRUE(Send(plugin, 'Q', 0x10, WM_KEYUP));
  EXPECT_EQ("K81", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_EQ("Key number 81", Text(IDC_TOGGLEKEY_TEXT));
  EXPECT_FALSE(ScanDisabled());
  EXPECT_EQ("\t\tKey 81 (virtual key code)\n", DebugLine(plugin));
  EXPECT_TRUE(engine.toggles.empty());

  // Over: keys are matched again, and Q is now the Tambrel key.
  EXPECT_FALSE(Send(plugin, 'W', 0x11, WM_KEYUP));
  plugin.SetEnabled(true);
  EXPECT_FALSE(Send(plugin, VK_PAUSE, 0x45, WM_KEYUP));
  EXPECT_TRUE(Send(plugin, 'Q', 0x10, WM_KEYUP));
  EXPECT_EQ(std::vector<bool>{true}, engine.toggles);
}

TEST_F(ToggleKeyPageWindow, CaptureOfTheTambrelKeyItselfDoesNotToggle) {
  Open();
  SetScanCodeBox(true);
  Click(IDC_TOGGLEKEY_SCAN);
  SetScanCodeBox(false);  // changing the kind meanwhile leaves the capture running
  EXPECT_EQ("Scanning...", Text(IDC_TOGGLEKEY_NAME));
  SetScanCodeBox(true);
  EXPECT_TRUE(Send(plugin, VK_PAUSE, 0x45, WM_KEYDOWN));
  EXPECT_TRUE(Send(plugin, VK_PAUSE, 0x45, WM_KEYUP));
  EXPECT_EQ("Scan #69", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_EQ("\t\tKey 69 (scancode)\n\t\tAlt+Shift+Num Lock no longer turns Mouse Keys on or off while K144 is the "
            "Tambrel key\n",
            DebugLine(plugin));
  EXPECT_TRUE(engine.toggles.empty());
}

TEST_F(ToggleKeyPageWindow, ANewPageEndsAnUnfinishedCapture) {
  Open();
  Click(IDC_TOGGLEKEY_SCAN);
  plugin.DestroySettingsPage();
  EXPECT_TRUE(Send(plugin, VK_PAUSE, 0x45, WM_KEYUP));  // the key again, not a capture
  EXPECT_EQ(std::vector<bool>{true}, engine.toggles);
  Open();
  EXPECT_EQ("K19", Text(IDC_TOGGLEKEY_NAME));
  EXPECT_FALSE(Send(plugin, 'A', 0x1E, WM_KEYUP));
}

// On L the Tambrel key toggles and Windows locks the computer as well; on the Delete key
// it leaves Windows its Ctrl+Alt+Del, which no hook sees, and says nothing.
TEST_F(ToggleKeyPageWindow, SaysWhatWindowsDoesWithTheTambrelKeysCombinations) {
  Load(plugin, "<plugin><key>76</key></plugin>");
  Open();
  EXPECT_EQ("Key number 76\r\nWin+L also locks the computer", Text(IDC_TOGGLEKEY_TEXT));
  plugin.DestroySettingsPage();
  Load(plugin, "<plugin><key>46</key></plugin>");
  EXPECT_EQ("\t\tKey 46 (virtual key code)\n", DebugLine(plugin));
  Open();
  EXPECT_EQ("Key number 46", Text(IDC_TOGGLEKEY_TEXT));
  Click(IDC_TOGGLEKEY_SCAN);  // a key taken on the page: the line follows it
  EXPECT_TRUE(Send(plugin, VK_UP, 0x48, WM_KEYUP));
  EXPECT_EQ("Key number 38\r\nWin+Up no longer maximizes the active window while K38 is the Tambrel key; "
            "Shift+Win+Up no longer stretches the active window from the top to the bottom of the screen while K38 is "
            "the Tambrel key",
            Text(IDC_TOGGLEKEY_TEXT));
}

TEST(ToggleKeyReport, NamesBothItsTypesAndItsKeyInTheEnginesDebugReport) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options><option name=\"hookactive\">no</option></options>"
                 "<plugins/><actions/></tambrel>");
  {
    TambrelEngine engine;
    ToggleKeyPlugin* plugin = new ToggleKeyPlugin;  // released by the engine
    PluginRecord record = {};
    CopyGuid(record.guid, plugin->GetGuid());
    record.name = plugin->GetName();
    record.types = plugin->GetTypes();
    record.plugin = plugin;
    engine.Registry().Add(record);
    engine.WriteDebugReport();
  }
  EXPECT_NE(std::string::npos,
            ReadWholeFile(dir.File("debug.txt"))
                .find("\t\tPlugin types: Tambrel notify handler, Tambrel toggle handler\r\n"
                      "\tPlugin debug info:\r\n\t\tKey 19 (virtual key code)\r\n"
                      "\t\tWin+Pause no longer shows the System properties while #19 is the Tambrel key\r\n\r\n"));
}

}  // namespace
