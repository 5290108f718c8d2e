// The key combination trigger, driven directly: a fake engine, a fake modifier state and
// synthetic key events; and the input that types with the user's modifiers released.
#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "HeldModifiers.h"
#include "PluginResources.h"
#include "TriggerEngine.h"
#include "combo/ComboPlugin.h"
#include "combo/WindowsShortcuts.h"
#include "togglekey/ToggleKeyPlugin.h"
#include "tray/TrayPlugin.h"

namespace {

int gModifiers = 0;
int FakeModifiers() { return gModifiers; }

// The keys the plugin sends, as "vk d" and "vk u".
std::vector<std::string> gSent;
UINT WINAPI RecordInput(UINT count, LPINPUT input, int) {
  for (UINT i = 0; i < count; ++i)
    gSent.push_back(std::to_string(input[i].ki.wVk) + ((input[i].ki.dwFlags & KEYEVENTF_KEYUP) ? " u" : " d"));
  return count;
}

// Letters by their names, as the engine's key table has them.
class NamingEngine : public TriggerEngine {
 public:
  KeyInfo* GetKeyByCode(KeyInfo* out, int vk) override {
    *out = KeyInfo();
    if (vk >= 'A' && vk <= 'Z') out->name[0] = static_cast<char>(vk);
    return out;
  }
};

// A layout table of the test's own: Wine's layouts are not Windows'. German types @ and the
// euro sign with AltGr (so with Ctrl+Alt), Polish types an e with ogonek, and Testish a
// snowman, which no ANSI code page holds.
class TestLayouts : public KeyboardLayouts {
 public:
  size_t Count() const override { return 4; }
  std::string Name(size_t layout) const override {
    static const char* const kNames[] = {"English", "German", "Polish", "Testish"};
    return kNames[layout];
  }
  wchar_t CtrlAltCharacter(size_t layout, UINT vk, bool shift) const override {
    asked.push_back(Name(layout) + (shift ? " shift " : " ") + std::string(1, static_cast<char>(vk)));
    if (layout == 1 && vk == 'Q' && !shift) return L'@';
    if (layout == 1 && vk == 'E' && !shift) return 0x20AC;
    if (layout == 2 && vk == 'E' && !shift) return 0x0119;
    if (layout == 3 && vk == 'S' && shift) return 0x2603;
    return 0;
  }
  mutable std::vector<std::string> asked;
};

class Combo : public ::testing::Test {
 protected:
  Combo() {
    doc = xmlNewDoc(BAD_CAST "1.0");
    plugin->SetEngine(&engine);
    plugin->SetEnabled(true);
    plugin->SetModifierReader(FakeModifiers);
    gModifiers = 0;
    plugin->SetProgram(L"other.exe");
  }
  ~Combo() override {
    if (m_pageParent != nullptr) {
      plugin->GetShortcutType()->DestroyPage();
      DestroyWindow(m_pageParent);
    }
    plugin->Release();
    xmlFreeDoc(doc);
  }
  // The page showing binding actionId (0: none), in a window of its own until the test ends.
  HWND OpenPage(int actionId) {
    m_pageParent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                   nullptr, nullptr, nullptr);
    ShortcutType* type = plugin->GetShortcutType();
    type->Select(actionId);
    type->CreatePage(m_pageParent, RECT{0, 0, 300, 150});
    return GetWindow(m_pageParent, GW_CHILD);
  }
  HWND m_pageParent = nullptr;
  void Load(int actionId, int vk, int modifiers, const char* programs = nullptr) {
    xmlNode* element = xmlNewDocNode(doc, nullptr, BAD_CAST "shortcut", nullptr);
    xmlNewTextChild(element, nullptr, BAD_CAST "key", BAD_CAST std::to_string(vk).c_str());
    xmlNewTextChild(element, nullptr, BAD_CAST "modifiers", BAD_CAST std::to_string(modifiers).c_str());
    if (programs != nullptr) xmlSetProp(element, BAD_CAST "programs", BAD_CAST programs);
    plugin->GetShortcutType()->Load(actionId, element->children);
    xmlFreeNode(element);
  }
  std::string Saved(int actionId) {
    xmlNode* element = xmlNewDocNode(doc, nullptr, BAD_CAST "shortcut", nullptr);
    plugin->GetShortcutType()->Save(actionId, element);
    xmlBuffer* buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc, element, 0, 0);
    std::string text = reinterpret_cast<const char*>(buffer->content);
    xmlBufferFree(buffer);
    xmlFreeNode(element);
    return text;
  }
  // One key event with these modifiers held: what fired ("nothing" or "execute N"), and "+"
  // when the key was swallowed.
  std::string Key(int vk, int modifiers, bool down = true, ULONG_PTR extraInfo = 0) {
    // The modifiers go down and up through the hook as well: they are tracked from it.
    const int kKeys[4] = {VK_LCONTROL, VK_LMENU, VK_LSHIFT, VK_LWIN};
    for (int m = 0; m < 4; ++m) {
      if (((gModifiers ^ modifiers) & (1 << m)) == 0) continue;
      KBDLLHOOKSTRUCT key = {};
      key.vkCode = static_cast<DWORD>(kKeys[m]);
      plugin->OnKeyEvent(&key, (modifiers & (1 << m)) ? WM_KEYDOWN : WM_KEYUP);
    }
    gModifiers = modifiers;
    KBDLLHOOKSTRUCT key = {};
    key.vkCode = static_cast<DWORD>(vk);
    key.dwExtraInfo = extraInfo;
    engine.calls.clear();
    bool swallowed = plugin->OnKeyEvent(&key, down ? WM_KEYDOWN : WM_KEYUP);
    std::string fired = engine.calls.empty() ? "nothing" : engine.calls.back();
    return fired + (swallowed ? "+" : "");
  }

  // One key event as Windows hands it to a hook: what fired, "+" when swallowed.
  std::string Raw(DWORD vk, DWORD scanCode, bool down, DWORD flags = 0) {
    KBDLLHOOKSTRUCT key = {};
    key.vkCode = vk;
    key.scanCode = scanCode;
    key.flags = flags | (down ? 0 : LLKHF_UP);
    key.time = 4242;
    engine.calls.clear();
    bool swallowed = plugin->OnKeyEvent(&key, down ? WM_KEYDOWN : WM_KEYUP);
    return (engine.calls.empty() ? "nothing" : engine.calls.back()) + (swallowed ? "+" : "");
  }

  xmlDocPtr doc;
  TriggerEngine engine;
  ComboPlugin* plugin = new ComboPlugin;
};

TEST_F(Combo, FiresOnceOnItsKeyWithExactlyItsModifiers) {
  Load(1, 'T', kComboCtrl);
  Load(2, 'T', kComboCtrl | kComboShift);
  EXPECT_EQ("nothing", Key('T', 0));
  EXPECT_EQ("nothing", Key('T', kComboCtrl | kComboAlt));
  EXPECT_EQ("execute 2+", Key('T', kComboCtrl | kComboShift));
  EXPECT_EQ("nothing", Key('T', kComboCtrl | kComboShift, false));
  EXPECT_EQ("execute 1+", Key('T', kComboCtrl));
  EXPECT_EQ("nothing+", Key('T', kComboCtrl));  // auto-repeat: kept away, not run again
  EXPECT_EQ("nothing", Key('T', kComboCtrl, false));
  EXPECT_EQ("execute 1+", Key('T', kComboCtrl));
  Key('T', 0, false);
  EXPECT_EQ("nothing", Key('T', kComboCtrl, true, kOwnInputMark));  // a macro's own keys
  EXPECT_EQ("nothing", Key(VK_CONTROL, kComboCtrl));

  // While toggled only when the user wants it; then it ends the toggle.
  plugin->OnToggle(true);
  EXPECT_EQ("nothing", Key('T', kComboCtrl));
  plugin->SetWhileToggled(true);
  EXPECT_EQ("execute 1+", Key('T', kComboCtrl));
  EXPECT_EQ((std::vector<std::string>{"toggle off", "execute 1"}), engine.calls);
  Key('T', 0, false);

  plugin->GetShortcutType()->Remove(1);
  plugin->OnToggle(false);
  EXPECT_EQ("nothing", Key('T', kComboCtrl));
}

// One with a filter that admits the program beats one without; then the lowest action id.
TEST_F(Combo, ProgramFiltersChooseWhatFiresAndShadowsFollow) {
  Load(5, 'P', kComboAlt);
  Load(6, 'P', kComboAlt, "alpha.exe");
  Load(7, 'P', kComboAlt, "BETA.EXE;alpha.exe");
  Load(8, 'P', kComboAlt);
  Load(9, 'P', kComboAlt, "alpha.exe");
  auto fires = [&](const wchar_t* program) {
    plugin->SetProgram(program);
    std::string fired = Key('P', kComboAlt);
    Key('P', 0, false);
    return fired;
  };
  EXPECT_EQ("execute 6+", fires(L"Alpha.exe"));
  EXPECT_EQ("execute 7+", fires(L"beta.exe"));
  EXPECT_EQ("execute 5+", fires(L"other.exe"));
  EXPECT_STREQ("Alt+#80 [BETA.EXE; alpha.exe]", plugin->GetShortcutText(7));

  EXPECT_EQ(0, plugin->ShadowOf(5));
  EXPECT_EQ(0, plugin->ShadowOf(6));
  EXPECT_EQ(0, plugin->ShadowOf(7));  // wins in beta.exe
  EXPECT_EQ(5, plugin->ShadowOf(8));
  EXPECT_EQ(6, plugin->ShadowOf(9));
  plugin->GetShortcutType()->Remove(6);
  EXPECT_EQ(7, plugin->ShadowOf(9));
}

TEST_F(Combo, TheTambrelKeyAndTrayKeysShadowCombinations) {
  ToggleKeyPlugin* toggle = new ToggleKeyPlugin;  // Pause
  TrayPlugin* tray = new TrayPlugin;              // F11, F10, F1, Escape
  toggle->SetEnabled(true);
  tray->SetEnabled(true);
  Load(1, VK_PAUSE, kComboCtrl);
  Load(2, VK_F11, 0);
  Load(3, VK_F11, kComboShift);
  EXPECT_EQ(-1, plugin->ShadowOf(1));
  EXPECT_EQ("nothing", Key(VK_PAUSE, kComboCtrl));  // the toggle key's
  EXPECT_EQ(0, plugin->ShadowOf(2));
  plugin->SetWhileToggled(true);
  EXPECT_EQ(-2, plugin->ShadowOf(2));
  EXPECT_EQ(0, plugin->ShadowOf(3));
  toggle->SetEnabled(false);
  EXPECT_EQ(0, plugin->ShadowOf(1));
  tray->SetEnabled(false);
  tray->Release();
  toggle->Release();
}

// The notice shows while toggled: it lists a combination only where it fires then, which is
// only when combinations also work while toggled, and only the one that wins in the program
// at hand, never one on the Tambrel key.
TEST_F(Combo, TheNoticeListsOnlyCombinationsThatCanFireWhileToggled) {
  ToggleKeyPlugin* toggle = new ToggleKeyPlugin;  // Pause
  toggle->SetEnabled(true);
  Load(1, 'T', kComboCtrl);
  Load(2, 'T', kComboCtrl);  // 1 fires instead
  Load(3, 'P', kComboAlt, "alpha.exe");
  Load(4, 'Q', kComboCtrl);
  Load(5, VK_PAUSE, kComboCtrl);
  auto listed = [&](const wchar_t* program) {
    plugin->SetProgram(program);
    plugin->OnToggle(true);  // the program is looked up once per toggle
    SheetRow rows[8];
    size_t count = plugin->SheetRows(rows, 8);
    std::vector<int> ids;
    for (size_t i = 0; i < count && i < 8; ++i) ids.push_back(rows[i].actionId);
    return ids;
  };
  EXPECT_EQ(std::vector<int>{}, listed(L"other.exe"));
  plugin->SetWhileToggled(true);
  EXPECT_EQ((std::vector<int>{4, 1}), listed(L"other.exe"));  // in text order: Ctrl+#81, Ctrl+#84
  EXPECT_EQ((std::vector<int>{3, 4, 1}), listed(L"alpha.exe"));
  toggle->Release();
}

// Every entry of the three tables: named by its modifiers in the list's order and, for a
// letter or digit, by its key; no combination in two places; found under its own kind, with
// the warning its kind gives.
TEST(WindowsShortcuts, EveryEntryIsNamedAsItIsPressedAndWarnedOfByItsKind) {
  std::set<std::pair<int, int>> seen;
  size_t entries = 0;
  for (WindowsShortcutKind kind : {kWindowsKeeps, kWindowsActsToo, kWindowsDefault}) {
    size_t count = 0;
    const WindowsShortcut* table = WindowsShortcuts(kind, &count);
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i, ++entries) {
      const WindowsShortcut& entry = table[i];
      SCOPED_TRACE(entry.name);
      EXPECT_TRUE(seen.insert(std::make_pair(entry.vk, entry.modifiers)).second);
      std::string prefix;
      if (entry.modifiers & kComboCtrl) prefix += "Ctrl+";
      if (entry.modifiers & kComboAlt) prefix += "Alt+";
      if (entry.modifiers & kComboShift) prefix += "Shift+";
      if (entry.modifiers & kComboWin) prefix += "Win+";
      std::string name = entry.name, key = name.substr(std::min(prefix.size(), name.size()));
      EXPECT_EQ(prefix, name.substr(0, prefix.size()));
      ASSERT_FALSE(key.empty());
      EXPECT_EQ(std::string::npos, key.find('+'));
      if (key.size() == 1) {
        EXPECT_EQ(static_cast<int>(key[0]), entry.vk);
      }
      EXPECT_TRUE(entry.what[0] >= 'a' && entry.what[0] <= 'z');
      WindowsShortcutKind found = kWindowsDefault;
      EXPECT_EQ(&entry, FindWindowsShortcut(entry.vk, entry.modifiers, &found));
      EXPECT_EQ(kind, found);
      std::string expected = kind == kWindowsKeeps     ? "Windows keeps " + name + "; this binding never fires"
                             : kind == kWindowsActsToo ? name + " also " + entry.what
                                                       : name + " no longer " + entry.what + " while this binding exists";
      EXPECT_EQ(expected, WindowsShortcutWarning(entry.vk, entry.modifiers));
    }
  }
  EXPECT_GE(entries, 30u);
  EXPECT_EQ("Windows keeps Ctrl+Alt+Del; this binding never fires", WindowsShortcutWarning(VK_DELETE, kComboCtrl | kComboAlt));
  EXPECT_EQ("Win+L also locks the computer", WindowsShortcutWarning('L', kComboWin));
  EXPECT_EQ("Win+E no longer opens File Explorer while this binding exists", WindowsShortcutWarning('E', kComboWin));
  for (int vk : {int{'D'}, int{'R'}, int{'V'}, VK_TAB, VK_OEM_PERIOD}) EXPECT_NE("", WindowsShortcutWarning(vk, kComboWin)) << vk;
  EXPECT_EQ("", WindowsShortcutWarning('E', kComboWin | kComboShift));  // exactly its modifiers
  EXPECT_EQ("", WindowsShortcutWarning(VK_DELETE, kComboCtrl | kComboAlt | kComboShift));
  EXPECT_EQ("", WindowsShortcutWarning('T', kComboCtrl | kComboAlt));

  // A key taken in any modifier state: every combination on it that a hook sees.
  EXPECT_EQ("Win+L also locks the computer", WindowsShortcutsOfKey('L', "L"));
  EXPECT_EQ("Win+E no longer opens File Explorer while E is the Tambrel key", WindowsShortcutsOfKey('E', "E"));
  EXPECT_EQ("Ctrl+Esc no longer opens the Start menu while ESC is the Tambrel key; Win+Esc no longer closes "
            "Magnifier while ESC is the Tambrel key",
            WindowsShortcutsOfKey(VK_ESCAPE, "ESC"));
  EXPECT_EQ("", WindowsShortcutsOfKey(VK_DELETE, "DEL"));  // Ctrl+Alt+Del stays Windows'
  EXPECT_EQ("", WindowsShortcutsOfKey(VK_F11, "F11"));
}

// A binding on Ctrl+Alt+Del never fires (no hook sees it) and is listed with the unreachable
// ones, before the Tambrel key's claim; the notice leaves it out. One on Win+L fires, and the
// computer locks too; one on Win+E takes Windows' default away. Either way the plugin says so.
TEST_F(Combo, WindowsKeepsCtrlAltDelAndActsOnWinLAndLosesWinE) {
  ToggleKeyPlugin* toggle = new ToggleKeyPlugin;
  toggle->SetEnabled(true);
  Load(1, VK_DELETE, kComboCtrl | kComboAlt);
  Load(2, 'L', kComboWin);
  Load(3, 'E', kComboWin);
  Load(4, 'T', kComboCtrl | kComboAlt);
  EXPECT_EQ(kShadowedByWindows, plugin->ShadowOf(1));
  EXPECT_STREQ("Windows keeps Ctrl+Alt+Del; this binding never fires", plugin->ShortcutWarning(1));
  EXPECT_EQ(0, plugin->ShadowOf(2));
  EXPECT_STREQ("Win+L also locks the computer", plugin->ShortcutWarning(2));
  EXPECT_EQ("execute 2+", Key('L', kComboWin));
  Key('L', kComboWin, false);
  EXPECT_STREQ("Win+E no longer opens File Explorer while this binding exists", plugin->ShortcutWarning(3));
  EXPECT_EQ(nullptr, plugin->ShortcutWarning(4));
  EXPECT_EQ(nullptr, plugin->ShortcutWarning(9));

  plugin->SetWhileToggled(true);
  plugin->OnToggle(true);
  SheetRow rows[8];
  size_t count = plugin->SheetRows(rows, 8);
  std::vector<int> listed;
  for (size_t i = 0; i < count; ++i) listed.push_back(rows[i].actionId);
  EXPECT_EQ((std::vector<int>{4, 3, 2}), listed);  // Ctrl+Alt+T, Win+E, Win+L
  toggle->Release();
}

TEST_F(Combo, KeyAndModifiersAreWrittenAndReadBack) {
  Load(1, 'T', kComboCtrl | kComboAlt, "notepad.exe; C:\\x\\calc.exe");
  EXPECT_EQ("<shortcut programs=\"notepad.exe;calc.exe\"><key>84</key><modifiers>3</modifiers></shortcut>", Saved(1));
  Load(2, 300, 99);  // no key code: no combination
  EXPECT_EQ("<shortcut><key>0</key><modifiers>0</modifiers></shortcut>", Saved(2));
  EXPECT_EQ("nothing", Key(300 & 0xFF, 99 & 15));
  plugin->GetShortcutType()->Load(3, nullptr);  // <shortcut/>
  EXPECT_EQ("<shortcut><key>0</key><modifiers>0</modifiers></shortcut>", Saved(3));
  EXPECT_STREQ("", plugin->GetShortcutText(3));

  xmlNode* settings = xmlNewDocNode(doc, nullptr, BAD_CAST "plugin", nullptr);
  plugin->SaveSettings(settings);
  EXPECT_EQ(settings->children, settings->last);
  EXPECT_STREQ("whiletoggled", reinterpret_cast<const char*>(settings->children->name));
  xmlFreeNode(settings);
}

// While its box has the focus the page takes the combination pressed, instead of it firing;
// Backspace alone clears it.
TEST_F(Combo, ThePageTakesTheCombinationPressedWhileItsBoxHasTheFocus) {
  Load(1, 'T', kComboCtrl | kComboAlt);
  ShortcutType* type = plugin->GetShortcutType();
  HWND box = GetDlgItem(OpenPage(1), IDC_COMBO_KEYS);
  ASSERT_NE(nullptr, box);
  auto shown = [&] {
    MSG msg;  // the page shows a captured combination once the hook has returned
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    char text[64] = "";
    GetWindowTextA(box, text, sizeof text);
    return std::string(text);
  };
  EXPECT_EQ("Ctrl+Alt+#84", shown());
  SetFocus(box);
  EXPECT_EQ("nothing+", Key('Q', kComboShift | kComboWin));
  Key('Q', 0, false);
  EXPECT_EQ("Shift+Win+#81", shown());
  type->Apply(2);
  EXPECT_STREQ("Shift+Win+#81", type->GetShortcutText(2));
  EXPECT_EQ("nothing+", Key('T', kComboCtrl | kComboAlt));  // captured, not fired
  Key('T', 0, false);
  EXPECT_EQ("nothing+", Key(VK_BACK, 0));
  EXPECT_EQ("", shown());
  EXPECT_EQ("nothing", Key(VK_TAB, 0));  // moves on
  type->Apply(1);
  EXPECT_EQ("<shortcut><key>0</key><modifiers>0</modifiers></shortcut>", Saved(1));
  SetFocus(m_pageParent);
  EXPECT_EQ("execute 2+", Key('Q', kComboShift | kComboWin));
  Key('Q', 0, false);
}

// What Windows sends for AltGr+E: a left Ctrl of scan code 0x21D and the right Alt, with one
// time stamp, the E, then the releases. Nothing fires, nothing is kept from the program, and
// the capture box takes nothing; a real Ctrl+Alt+E still fires.
TEST_F(Combo, AltGrNeverCompletesACtrlAltCombinationAndPassesThroughWhole) {
  Load(1, 'E', kComboCtrl | kComboAlt);
  auto altGr = [&](bool down) {
    std::string events = Raw(VK_LCONTROL, 0x21D, down);
    gModifiers = down ? kComboCtrl : 0;  // the system now holds Ctrl, then Alt too
    events += " " + Raw(VK_RMENU, 0x38, down, LLKHF_EXTENDED);
    gModifiers = down ? kComboCtrl | kComboAlt : 0;
    return events;
  };
  EXPECT_EQ("nothing nothing", altGr(true));
  EXPECT_EQ("nothing", Raw('E', 0x12, true));  // the euro sign is typed
  EXPECT_EQ("nothing", Raw('E', 0x12, false));
  EXPECT_EQ("nothing nothing", altGr(false));
  EXPECT_EQ("execute 1+", Key('E', kComboCtrl | kComboAlt));
  Key('E', 0, false);

  // AltGr's Ctrl release missed (a hook ahead of ours took it): its right Alt's release ends
  // AltGr all the same, and Ctrl+Alt+E is Ctrl+Alt+E again.
  altGr(true);
  Raw(VK_RMENU, 0x38, false, LLKHF_EXTENDED);
  gModifiers = kComboCtrl;
  EXPECT_EQ("execute 1+", Key('E', kComboCtrl | kComboAlt));
  Key('E', 0, false);

  Load(2, 'Z', kComboCtrl);
  SetFocus(GetDlgItem(OpenPage(2), IDC_COMBO_KEYS));
  altGr(true);
  EXPECT_EQ("nothing", Raw('E', 0x12, true));  // not taken
  Raw('E', 0x12, false);
  altGr(false);
  int vk = 0, modifiers = 0;
  plugin->GetShortcutType()->Apply(2);
  ASSERT_TRUE(plugin->Find(2, &vk, &modifiers));
  EXPECT_EQ('Z', vk);
  EXPECT_EQ(kComboCtrl, modifiers);
}

// A Ctrl+Alt combination (Shift too) that types a character on a layout the user has gets a
// warning naming them; other modifiers type nothing there, and nothing is asked.
TEST_F(Combo, ACtrlAltCombinationThatTypesACharacterOnALayoutIsWarnedAbout) {
  NamingEngine naming;
  plugin->SetEngine(&naming);
  TestLayouts layouts;
  plugin->SetLayouts(&layouts);
  EXPECT_EQ("On German, Ctrl+Alt+Q types @", plugin->LayoutWarning('Q', kComboCtrl | kComboAlt));
  // The euro sign is in the ANSI code page of Western Windows (and of this test's Wine).
  std::string euro = GetACP() == 1252 ? "\x80" : "U+20AC";
  std::string ogonek = GetACP() == 1250 ? "\xEA" : "U+0119";
  EXPECT_EQ("On German, Ctrl+Alt+E types " + euro + "; on Polish, Ctrl+Alt+E types " + ogonek,
            plugin->LayoutWarning('E', kComboCtrl | kComboAlt));
  EXPECT_EQ("On Testish, Ctrl+Alt+Shift+S types U+2603", plugin->LayoutWarning('S', kComboCtrl | kComboAlt | kComboShift));
  EXPECT_EQ("", plugin->LayoutWarning('S', kComboCtrl | kComboAlt));
  layouts.asked.clear();
  for (int modifiers : {int{kComboCtrl}, int{kComboAlt}, kComboCtrl | kComboAlt | kComboWin, kComboCtrl | kComboShift})
    EXPECT_EQ("", plugin->LayoutWarning('Q', modifiers)) << modifiers;
  EXPECT_TRUE(layouts.asked.empty());

  // The page says so under the box, for the binding shown and for a combination just taken.
  Load(1, 'Q', kComboCtrl | kComboAlt);
  HWND page = OpenPage(1);
  char text[128] = "";
  GetDlgItemTextA(page, IDC_COMBO_WARNING, text, sizeof text);
  EXPECT_STREQ("On German, Ctrl+Alt+Q types @", text);
  SetFocus(GetDlgItem(page, IDC_COMBO_KEYS));
  EXPECT_EQ("nothing+", Key('T', kComboCtrl));
  Key('T', 0, false);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  GetDlgItemTextA(page, IDC_COMBO_WARNING, text, sizeof text);
  EXPECT_STREQ("", text);
  plugin->GetShortcutType()->DestroyPage();
  plugin->SetEngine(&engine);
}

// Alt or Win let go after a combination's key was kept from the program opens the menu bar or
// the Start menu: the unassigned key 0xE8 comes right before the release, whether the
// combination fired or the capture box took it.
TEST_F(Combo, AMaskKeyComesBeforeAltOrWinIsReleasedAfterAFireAndAfterACapture) {
  plugin->SetInputSender(RecordInput);
  gSent.clear();
  Load(1, 'P', kComboAlt);
  EXPECT_EQ("execute 1+", Key('P', kComboAlt));
  EXPECT_TRUE(gSent.empty());
  Key('P', 0, false);  // Alt goes up first
  EXPECT_EQ((std::vector<std::string>{"232 d", "232 u"}), gSent);

  SetFocus(GetDlgItem(OpenPage(0), IDC_COMBO_KEYS));
  gSent.clear();
  EXPECT_EQ("nothing+", Key('N', kComboWin));  // taken by the box
  EXPECT_TRUE(gSent.empty());
  Key('N', 0, false);
  EXPECT_EQ((std::vector<std::string>{"232 d", "232 u"}), gSent);
  gSent.clear();
  EXPECT_EQ("nothing+", Key('N', kComboShift));  // no Alt, no Win: no mask
  Key('N', 0, false);
  EXPECT_TRUE(gSent.empty());
}

std::string Describe(const std::vector<INPUT>& input) {
  std::string text;
  for (const INPUT& key : input)
    text += (text.empty() ? "" : " ") + std::to_string(key.ki.wVk) + ((key.ki.dwFlags & KEYEVENTF_KEYUP) ? "u" : "d");
  return text;
}

// The held keys released before the input, after a mask key when Alt or Win is among them,
// and pressed again after it.
TEST(HeldModifiers, TypedInputIsWrappedInTheirReleaseAndPressAgain) {
  std::vector<INPUT> typed = {KeyInput('H', false), KeyInput('H', true)};
  EXPECT_EQ("72d 72u", Describe(WithModifiersReleased(typed, 0)));
  EXPECT_EQ("160u 72d 72u 160d", Describe(WithModifiersReleased(typed, 1u << 4)));  // left Shift: no mask
  EXPECT_EQ("232d 232u 162u 165u 72d 72u 162d 165d", Describe(WithModifiersReleased(typed, 1u << 0 | 1u << 3)));
  EXPECT_EQ("232d 232u 91u 72d 72u 91d", Describe(WithModifiersReleased(typed, 1u << 6)));
  EXPECT_EQ("", Describe(WithModifiersReleased({}, 1u << 6)));
}

}  // namespace
