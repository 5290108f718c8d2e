// The key combination trigger, driven directly: a fake engine, a fake modifier state and
// synthetic key events; and the input that types with the user's modifiers released.
#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <string>
#include <vector>

#include "HeldModifiers.h"
#include "PluginResources.h"
#include "TriggerEngine.h"
#include "combo/ComboPlugin.h"
#include "togglekey/ToggleKeyPlugin.h"
#include "tray/TrayPlugin.h"

namespace {

int gModifiers = 0;
int FakeModifiers() { return gModifiers; }

class Combo : public ::testing::Test {
 protected:
  Combo() {
    doc = xmlNewDoc(BAD_CAST "1.0");
    plugin->SetEngine(&engine);
    plugin->SetEnabled(true);
    plugin->SetModifierReader(FakeModifiers);
    gModifiers = 0;
    plugin->SetProgram("other.exe");
  }
  ~Combo() override {
    plugin->Release();
    xmlFreeDoc(doc);
  }
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
  auto fires = [&](const char* program) {
    plugin->SetProgram(program);
    std::string fired = Key('P', kComboAlt);
    Key('P', 0, false);
    return fired;
  };
  EXPECT_EQ("execute 6+", fires("Alpha.exe"));
  EXPECT_EQ("execute 7+", fires("beta.exe"));
  EXPECT_EQ("execute 5+", fires("other.exe"));
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
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
  ShortcutType* type = plugin->GetShortcutType();
  type->Select(1);
  type->CreatePage(parent, RECT{0, 0, 300, 150});
  HWND box = GetDlgItem(GetWindow(parent, GW_CHILD), IDC_COMBO_KEYS);
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
  SetFocus(parent);
  EXPECT_EQ("execute 2+", Key('Q', kComboShift | kComboWin));
  Key('Q', 0, false);
  type->DestroyPage();
  DestroyWindow(parent);
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
