// The keyboard macro action: the events a macro makes, its record in conf.xml, and a macro
// sent for real into a window of the test's own.
#include <gtest/gtest.h>

#include "XmlFragments.h"

#include "NullEngine.h"
#include <libxml/tree.h>

#include <string.h>

#include <string>
#include <vector>

#include "Library.h"
#include "macro/MacroPlugin.h"

namespace {

// Key names from a small table of its own; single letters and digits are their own keys.
class KeyTableEngine : public NullEngine {
 public:
  KeyInfo* GetKeyByCode(KeyInfo* out, int vk) override {
    *out = KeyInfo{};
    out->vk = vk;
    return out;
  }
  KeyInfo* GetKeyByName(KeyInfo* out, const char* name) override {
    static const struct {
      const char* name;
      int vk;
    } kKeys[] = {
        {"ENTER", VK_RETURN},
        {"F1", VK_F1},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE", VK_F2},   // 31 characters: the longest name
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF", VK_F3},  // 32: too long for any key table
    };
    int vk = 0;
    if (name[0] == '#') vk = atoi(name + 1);
    for (const auto& key : kKeys)
      if (_stricmp(key.name, name) == 0) vk = key.vk;
    if (name[0] != 0 && name[1] == 0 && isalnum(static_cast<unsigned char>(name[0])))
      vk = toupper(static_cast<unsigned char>(name[0]));
    return GetKeyByCode(out, vk);
  }
};

// "+Shift +A -A -Shift": presses and releases in order.
std::string Describe(const std::vector<INPUT>& events) {
  std::string text;
  for (const INPUT& input : events) {
    EXPECT_EQ(static_cast<DWORD>(INPUT_KEYBOARD), input.type);
    EXPECT_EQ(0, input.ki.wScan);
    EXPECT_EQ(0u, input.ki.time);
    EXPECT_EQ(0u, input.ki.dwExtraInfo);
    EXPECT_TRUE(input.ki.dwFlags == 0 || input.ki.dwFlags == KEYEVENTF_KEYUP);
    if (!text.empty()) text += ' ';
    text += input.ki.dwFlags & KEYEVENTF_KEYUP ? '-' : '+';
    switch (input.ki.wVk) {
      case VK_SHIFT: text += "Shift"; break;
      case VK_CONTROL: text += "Ctrl"; break;
      case VK_MENU: text += "Alt"; break;
      case VK_LWIN: text += "Win"; break;
      case VK_APPS: text += "Apps"; break;
      case VK_RETURN: text += "Enter"; break;
      case VK_F1: text += "F1"; break;
      case VK_F2: text += "F2"; break;
      case VK_F3: text += "F3"; break;
      default: text += static_cast<char>(input.ki.wVk);
    }
  }
  return text;
}

TEST(MacroEvents, MacrosGiveTheirEvents) {
  KeyTableEngine engine;
  const std::string k31 = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE";
  const struct {
    std::string macro;
    const char* events;
  } kCases[] = {
      {"+a", "+Shift +A -A -Shift"},
      {"+(ab)c", "+Shift +A -A +B -B -Shift +C -C"},
      {"^%{ENTER}", "+Ctrl +Alt +Enter -Enter -Ctrl -Alt"},
      {"(+)a", "+Shift -Shift -Shift +A -A"},
      {"(%)a", "+Alt -Alt +A -A -Alt"},
      {"&@x", "+Win +Apps +X -X -Win -Apps"},
      {"+{enter}a", "+Shift +Enter -Enter +A -A -Shift"},  // held over a named key
      {"A", "+A -A"},                                      // capitals add no Shift
      {"", ""},
      // Unknown keys send nothing and release nothing.
      {"+?a", "+Shift +A -A -Shift"},
      {"+{NOPE}a", "+Shift +A -A -Shift"},
      {"{}", ""},
      // Braces that never close: nothing for them or for what follows.
      {"a{", "+A -A"},
      {"a{ENTER", "+A -A"},
      {"{?}c}", "+C -C"},  // "?" is no key; neither is the stray "}"
      // Groups: a ")" too many is ignored, open ones close at the end.
      {")a", "+A -A"},
      {"(+a", "+Shift +A -A -Shift -Shift"},
      {"%(%a)", "+Alt +Alt +A -A -Alt -Alt"},
      // Key names of 31 characters resolve, longer ones are no key.
      {"{" + k31 + "}", "+F2 -F2"},
      {"{" + k31 + "F}", ""},
      // Numbered keys; codes beyond one byte are no key codes.
      {"{#112}", "+F1 -F1"},
      {"{#65648}", ""},
      {"{#-5}", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.events, Describe(BuildMacroEvents(c.macro, engine))) << c.macro;
}


struct MacroPluginTest : ::testing::Test {
  void SetUp() override {
    InitPluginLibrary(GetModuleHandleA(nullptr));
    plugin->SetEngine(&engine);
  }
  void Load(int id, const char* xml) {
    xmlDocPtr doc;
    plugin->Load(id, Parse(&doc, xml)->children);
    xmlFreeDoc(doc);
  }
  KeyTableEngine engine;
  MacroPlugin* plugin = new MacroPlugin;
  ~MacroPluginTest() override { plugin->Release(); }
};

TEST_F(MacroPluginTest, LoadsOwnTextOrCommandChildAndSavesOwnText) {
  Load(1, "<actiontype>^%{ENTER}</actiontype>");
  EXPECT_STREQ("^%{ENTER}", plugin->GetActionText(1));
  EXPECT_EQ("<actiontype>^%{ENTER}</actiontype>", Saved(plugin->GetActionType(), 1));
  EXPECT_STREQ("\t\t^%{ENTER}\n", plugin->GetDebugInfo(false, true, 1));

  // The converter's form: a "command" child, after an empty one that is passed over.
  Load(1, "<action><command/><command>+a &amp; b</command></action>");
  EXPECT_STREQ("+a & b", plugin->GetActionText(1));
  EXPECT_EQ("<actiontype>+a &amp; b</actiontype>", Saved(plugin->GetActionType(), 1));

  Load(2, "<actiontype/>");  // no text at all
  EXPECT_EQ("<actiontype/>", Saved(plugin->GetActionType(), 2));
  EXPECT_STREQ("Unknown", plugin->GetActionText(3));
  EXPECT_EQ("<actiontype/>", Saved(plugin->GetActionType(), 3));
  EXPECT_STREQ("\t\tNo additional information\n", plugin->GetDebugInfo(false, false, 0));
}

// Collects what reaches the focused window.
struct KeyWindow {
  static std::string s_log;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char entry[32] = "";
    switch (message) {
      case WM_KEYDOWN: case WM_SYSKEYDOWN: snprintf(entry, sizeof entry, "+%02X ", static_cast<unsigned>(wParam)); break;
      case WM_KEYUP: case WM_SYSKEYUP: snprintf(entry, sizeof entry, "-%02X ", static_cast<unsigned>(wParam)); break;
      case WM_CHAR: snprintf(entry, sizeof entry, "'%c' ", static_cast<char>(wParam)); break;
      default: return DefWindowProcA(window, message, wParam, lParam);
    }
    s_log += entry;
    return 0;
  }
};
std::string KeyWindow::s_log;

void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

TEST_F(MacroPluginTest, SendsTheMacroIntoTheFocusedWindow) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = KeyWindow::Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "MacroTestWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "MacroTestWindow", "macro", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(nullptr, window);
  SetForegroundWindow(window);
  SetFocus(window);
  Pump(300);
  ASSERT_EQ(window, GetFocus());

  Load(1, "<actiontype>+(ab)c</actiontype>");
  KeyWindow::s_log.clear();
  plugin->Execute(1);  // disabled: nothing
  Pump(200);
  EXPECT_EQ("", KeyWindow::s_log);

  plugin->SetEnabled(true);
  plugin->Execute(1);
  Pump(500);
  EXPECT_EQ("+10 +41 'A' -41 +42 'B' -42 -10 +43 'c' -43 ", KeyWindow::s_log);
  for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_APPS}) {
    EXPECT_EQ(0, GetAsyncKeyState(vk) & 0x8000) << vk;
    EXPECT_EQ(0, GetKeyState(vk) & 0x8000) << vk;
  }
  DestroyWindow(window);
  UnregisterClassA("MacroTestWindow", windowClass.hInstance);
}

}  // namespace
