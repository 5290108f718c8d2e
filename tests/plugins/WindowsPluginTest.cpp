// The Windows action: its rows in conf.xml, its page, what each row does (through a fake for
// the operations that would end the session, for real for the broadcasts), and the privilege.
#include <gtest/gtest.h>

#include "NullEngine.h"
#include <libxml/tree.h>

#include <string.h>

#include <string>

#include "Library.h"
#include "PluginResources.h"
#include "windows/WindowsPlugin.h"

namespace {

// Notes what the plugin asks of the system and of the engine, in one log.
class Recorder : public NullEngine, public SystemOperations {
 public:
  std::string log;

  void ExitSession(UINT flags, DWORD reason) override { Note("exit %#x %#lx", flags, static_cast<unsigned long>(reason)); }
  void SetPowerState(bool suspend, bool force) override { Note("power %d %d", suspend, force); }
  void LockWorkstation() override { Note("lock"); }

  void SetToggled(bool on) override { Note("toggled %d", on); }

 private:
  template <typename... Args>
  void Note(const char* format, Args... args) {
    char line[64];
    snprintf(line, sizeof line, format, args...);
    if (!log.empty()) log += "; ";
    log += line;
  }
};

std::string Saved(WindowsPlugin& plugin, int id) {
  xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
  xmlNode* element = xmlNewNode(nullptr, BAD_CAST "actiontype");
  xmlDocSetRootElement(doc, element);
  plugin.Save(id, element);
  xmlChar* content = xmlNodeGetContent(element);
  std::string text = element->children != nullptr ? reinterpret_cast<const char*>(content) : "(none)";
  xmlFree(content);
  xmlFreeDoc(doc);
  return text;
}

struct WindowsPluginTest : ::testing::Test {
  void SetUp() override {
    InitPluginLibrary(GetModuleHandleA(nullptr));
    plugin->SetEngine(&recorder);
    plugin->SetSystemOperations(&recorder);
  }
  void Load(int id, const std::string& key) {
    std::string xml = "<actiontype>" + key + "</actiontype>";
    xmlDocPtr doc = xmlReadMemory(xml.c_str(), static_cast<int>(xml.size()), "t.xml", nullptr, 0);
    plugin->Load(id, xmlDocGetRootElement(doc)->children);
    xmlFreeDoc(doc);
  }
  ~WindowsPluginTest() override { plugin->Release(); }
  Recorder recorder;
  WindowsPlugin* plugin = new WindowsPlugin;
};

TEST_F(WindowsPluginTest, KeysLoadCaseSensitivelyAndSaveBack) {
  for (int i = 1; i <= 10; ++i) {
    Load(i, WindowsPlugin::kRows[i].key);
    EXPECT_EQ(WindowsPlugin::kRows[i].key, Saved(*plugin, i));
    EXPECT_STREQ(WindowsPlugin::kRows[i].label, plugin->GetActionText(i));
  }
  EXPECT_STREQ("Monitor low power mode", plugin->GetActionText(9));
  EXPECT_STREQ("\t\tMonitor low power mode\n", plugin->GetDebugInfo(false, true, 9));

  for (const char* key : {"Monitor off", "LOCK", "lock ", "nonsense", ""}) {
    Load(20, key);
    EXPECT_EQ("unknown", Saved(*plugin, 20)) << key;
    EXPECT_STREQ("Unknown", plugin->GetActionText(20));
  }
  EXPECT_EQ("(none)", Saved(*plugin, 21));
  plugin->GetActionType()->Remove(9);
  EXPECT_EQ("(none)", Saved(*plugin, 9));

  EXPECT_STREQ(
      "\t\tKnown actions:\n"
      "\t\t\tUnknown (unknown)\n\t\t\tLog off (logoff)\n\t\t\tRestart (restart)\n"
      "\t\t\tShut down (shutdown)\n\t\t\tStand by (standby)\n\t\t\tHibernate (hibernate)\n"
      "\t\t\tLock (lock)\n\t\t\tStart screen saver (screensaver)\n\t\t\tMonitor on (monitor on)\n"
      "\t\t\tMonitor low power mode (monitor low)\n\t\t\tMonitor off (monitor off)\n",
      plugin->GetDebugInfo(false, false, 0));
}

TEST_F(WindowsPluginTest, EachRowCallsItsOperationOnlyWhileEnabled) {
  const struct {
    const char* key;
    const char* calls;
  } kCases[] = {
      {"unknown", ""},
      {"logoff", "exit 0x10 0x80040000"},
      {"restart", "exit 0x12 0x80040000"},
      {"shutdown", "exit 0x19 0x80040000"},
      {"standby", "power 1 1"},
      {"hibernate", "power 0 1"},
      {"lock", "toggled 0; lock"},
  };
  for (const auto& c : kCases) {
    Load(1, c.key);
    plugin->SetEnabled(false);
    plugin->Execute(1);
    EXPECT_EQ("", recorder.log) << c.key;
    plugin->SetEnabled(true);
    plugin->Execute(1);
    EXPECT_EQ(c.calls, recorder.log) << c.key;
    recorder.log.clear();
  }
  plugin->Execute(2);  // no data
  EXPECT_EQ("", recorder.log);
}

// A top-level window that takes the system commands itself, so that nothing really happens.
struct CommandWindow {
  static std::string s_log;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SYSCOMMAND) return DefWindowProcA(window, message, wParam, lParam);
    char entry[48];
    snprintf(entry, sizeof entry, "%#x %ld ", static_cast<unsigned>(wParam), static_cast<long>(lParam));
    s_log += entry;
    return 0;
  }
};
std::string CommandWindow::s_log;

// Keeps a window of its own without answering its messages for three seconds.
DWORD WINAPI UnresponsiveWindow(void* ready) {
  HWND window = CreateWindowExA(0, "CommandWindow", "busy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  SetEvent(ready);
  Sleep(3000);
  DestroyWindow(window);
  return 0;
}

TEST_F(WindowsPluginTest, BroadcastsReachTopLevelWindowsAndDoNotWaitForBusyOnes) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CommandWindow::Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CommandWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "CommandWindow", "commands", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(nullptr, window);
  plugin->SetEnabled(true);
  const struct {
    const char* key;
    const char* received;
  } kCases[] = {
      {"screensaver", "0xf140 0 "},
      {"monitor on", "0xf170 -1 "},
      {"monitor low", "0xf170 1 "},
      {"monitor off", "0xf170 2 "},
  };
  for (const auto& c : kCases) {
    Load(1, c.key);
    CommandWindow::s_log.clear();
    plugin->Execute(1);
    EXPECT_EQ(c.received, CommandWindow::s_log) << c.key;
  }
  EXPECT_EQ("", recorder.log);  // no session operation, no toggle change

  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, UnresponsiveWindow, ready, 0, nullptr);
  WaitForSingleObject(ready, 5000);
  Load(1, "screensaver");
  CommandWindow::s_log.clear();
  DWORD began = GetTickCount();
  plugin->Execute(1);
  DWORD took = GetTickCount() - began;
  EXPECT_LT(took, 2500u);
  EXPECT_EQ("0xf140 0 ", CommandWindow::s_log);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  CloseHandle(ready);
  DestroyWindow(window);
  UnregisterClassA("CommandWindow", windowClass.hInstance);
}

TEST_F(WindowsPluginTest, PageListsTheRowsAndAppliesTheSelection) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, parent);
  ActionType* type = plugin->GetActionType();
  EXPECT_STREQ("Windows Action", type->GetName());
  type->CreatePage(parent, RECT{0, 0, 300, 150});
  HWND list = GetDlgItem(GetWindow(parent, GW_CHILD), IDC_WINDOWS_LIST);
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(11, SendMessageA(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < 11; ++i) {
    char text[64] = "";
    SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(WindowsPlugin::kRows[i].label, text);
  }
  SendMessageA(list, CB_SETCURSEL, 9, 0);
  type->Apply(4);
  EXPECT_EQ("monitor low", Saved(*plugin, 4));
  type->Select(0);
  EXPECT_EQ(0, SendMessageA(list, CB_GETCURSEL, 0, 0));
  type->Select(4);
  EXPECT_EQ(9, SendMessageA(list, CB_GETCURSEL, 0, 0));
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // nothing selected
  type->Apply(4);
  EXPECT_EQ("unknown", Saved(*plugin, 4));
  EXPECT_EQ(0, SendMessageA(list, CB_GETCURSEL, 0, 0));
  type->DestroyPage();
  DestroyWindow(parent);
}

TEST_F(WindowsPluginTest, ConstructionEnablesTheShutdownPrivilege) {
  LUID shutdown;
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
  HANDLE token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::string buffer(size, '\0');
  ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, &buffer[0], size, &size));
  CloseHandle(token);
  const TOKEN_PRIVILEGES* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  bool enabled = false;
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
    if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
      enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  EXPECT_TRUE(enabled);
}

}  // namespace
