// The binding table and its editing, with a main dialog of the test's own.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "MainDialog.h"
#include "TestPluginsLib.h"

namespace {

const char kShortcutGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";
const char kActionGuid[] = "{7E570000-0000-0000-0000-00000000AC71}";

// Records what the engine asks of the dialog; its page parent is a real hidden window.
class FakeMainDialog : public MainDialog {
 public:
  FakeMainDialog() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FakeMainDialog";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(0, "FakeMainDialog", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               wc.hInstance, nullptr);
  }
  ~FakeMainDialog() { DestroyWindow(m_window); }
  HWND MainWindow() override { return m_window; }
  HWND AboutWindow() override { return nullptr; }
  HWND SettingsWindow() override { return nullptr; }
  HWND PageParent() override { return m_window; }
  RECT GetPageRect() override { return RECT{1, 2, 3, 4}; }
  void SetTab(int tab, const char* text, int image) override {
    tabs[tab] = std::string(text) + "/" + std::to_string(image);
  }
  void ShowBindingTypes(int shortcut, int action) override {
    types = std::to_string(shortcut) + "," + std::to_string(action);
  }
  void ShowToggled(bool) override {}
  void RefreshSettings(bool) override {}
  void ConfigurationReplaced() override { ++replaced; }
  int replaced = 0;
  std::string tabs[2], types;

 private:
  HWND m_window;
};

std::string Config(int bindings) {
  std::string actions;
  for (int i = 1; i <= bindings; ++i)
    actions += std::string("<action><shortcut plugin=\"") + kShortcutGuid + "\">S" + std::to_string(i) +
               "</shortcut><actiontype plugin=\"" + kActionGuid + "\">A" + std::to_string(i) + "</actiontype></action>";
  return "<tambrel version=\"2.01\"><options/><plugins/><actions>" + actions + "</actions></tambrel>";
}

struct ActionTableTest : ::testing::Test {
  TempWorkDir dir{"testplugins.dll"};
  TestPluginsLib lib{dir};
  CapturedBoxes boxes;
  FakeHooks hooks;
  FakeMainDialog dialog;
  ShortcutType* Shortcut(TambrelEngine& e) { return e.FindPlugin(1)->plugin->GetShortcutType(); }
  ActionType* Action(TambrelEngine& e) { return e.FindPlugin(2)->plugin->GetActionType(); }
};

TEST_F(ActionTableTest, IdsFollowFileOrderAndAreNeverReused) {
  WriteWholeFile(dir.File("conf.xml"), Config(3));
  TambrelEngine engine;
  EXPECT_EQ(4, engine.NextActionId());
  ActionRecord record;
  ASSERT_TRUE(engine.GetAction(0, &record));  // the first binding
  EXPECT_EQ(1, record.shortcutPluginId);
  EXPECT_EQ(2, record.actionPluginId);
  EXPECT_FALSE(engine.GetAction(9, &record));
  EXPECT_EQ(102, engine.ExecuteAction(2));  // the action's own result comes back
  EXPECT_EQ(0, engine.ExecuteAction(9));
  EXPECT_EQ(3u, engine.Actions().size());

  engine.SetMainDialog(&dialog);
  engine.SelectAction(2);
  engine.RemoveAction();
  EXPECT_EQ(2u, engine.Actions().size());
  EXPECT_TRUE(engine.Actions().count(1) && engine.Actions().count(3));
  EXPECT_STREQ("Unknown", Shortcut(engine)->GetShortcutText(2));  // both sides forgot it
  EXPECT_STREQ("Unknown", Action(engine)->GetActionText(2));
  engine.ClearSelection();
  lib.SetPage("NEW", "new");
  engine.SetPages(true, true, 1, 2);
  engine.ApplyAction();
  EXPECT_EQ(1u, engine.Actions().count(4));  // 2 is not given again
  engine.SetMainDialog(nullptr);
}

TEST_F(ActionTableTest, ApplyingANewBindingSelectsItAndApplyingAgainKeepsItsId) {
  TambrelEngine engine;
  engine.SetMainDialog(&dialog);
  engine.ClearSelection();
  EXPECT_EQ("Shortcut/0", dialog.tabs[0]);
  EXPECT_EQ("Action/0", dialog.tabs[1]);
  EXPECT_EQ("0,0", dialog.types);
  engine.ApplyAction();  // no plugins chosen: nothing happens
  EXPECT_TRUE(engine.Actions().empty());

  engine.SetPages(true, false, 1, 0);
  engine.SetPages(false, true, 0, 2);
  EXPECT_EQ("Test Shortcut/1", dialog.tabs[0]);
  EXPECT_EQ("Test Action/2", dialog.tabs[1]);
  lib.SetPage("NP", "notepad");
  engine.ApplyAction();
  EXPECT_EQ(1, engine.SelectedAction());
  EXPECT_EQ("1,2", dialog.types);
  EXPECT_STREQ("NP", Shortcut(engine)->GetShortcutText(1));
  lib.SetPage("NQ", "notepad2");
  engine.ApplyAction();
  EXPECT_EQ(1u, engine.Actions().size());
  EXPECT_EQ(2, engine.NextActionId());
  EXPECT_STREQ("notepad2", Action(engine)->GetActionText(1));
  engine.SetMainDialog(nullptr);
}

TEST_F(ActionTableTest, CopyTakesBothSidesThroughTheBindingsOwnPages) {
  WriteWholeFile(dir.File("conf.xml"), Config(3));
  TambrelEngine engine;
  engine.SetMainDialog(&dialog);
  engine.SelectAction(3);
  // The pages shown are switched away; the copy must still read binding 3's data.
  engine.SetPages(true, true, 0, 0);
  lib.ClearTrace();
  engine.CopyAction();
  EXPECT_EQ(4, engine.SelectedAction());
  EXPECT_STREQ("S3", Shortcut(engine)->GetShortcutText(4));
  EXPECT_STREQ("A3", Action(engine)->GetActionText(4));
  EXPECT_NE(std::string::npos, lib.Trace().find("A Select(3)\nA Apply(4)\nS Select(3)\nS Apply(4)\n"));
  engine.SetMainDialog(nullptr);
}

TEST_F(ActionTableTest, WithoutAMainDialogNoPageIsMade) {
  WriteWholeFile(dir.File("conf.xml"), Config(1));
  TambrelEngine engine;
  lib.ClearTrace();
  engine.SelectAction(1);
  engine.ShowPages(true, true);
  EXPECT_EQ(1, engine.PageShortcutPlugin());
  EXPECT_EQ(2, engine.PageActionPlugin());
  EXPECT_EQ(std::string::npos, lib.Trace().find("CreatePage"));
  EXPECT_NE(std::string::npos, lib.Trace().find("S Select(1)\nA Select(1)\n"));
  engine.CopyAction();  // no page: the plugins change nothing, the pairing is copied
  EXPECT_EQ(2u, engine.Actions().size());
  EXPECT_STREQ("Unknown", Shortcut(engine)->GetShortcutText(2));
}

// Binding 1 lacks its action plugin, binding 2 both of its plugins.
TEST_F(ActionTableTest, KeptDataGoesOnlyWithTheSideMovedToAnotherPlugin) {
  const std::string missingOpen = "<actiontype plugin=\"{00000000-0000-0000-0000-0000000000AA}\">";
  const std::string missingAction = missingOpen + "<command>kept</command></actiontype>";
  WriteWholeFile(dir.File("conf.xml"),
                 std::string("<tambrel version=\"2.01\"><options/><plugins/><actions><action><shortcut plugin=\"") +
                     kShortcutGuid + "\">NP</shortcut>" + missingAction + "</action><action><shortcut plugin=\""
                     "{00000000-0000-0000-0000-0000000000BB}\"><key>77</key></shortcut>" + missingAction +
                     "</action></actions></tambrel>");
  {
    TambrelEngine engine;
    engine.SetMainDialog(&dialog);
    engine.SelectAction(1);  // only the shortcut changes
    lib.SetPage("NQ", "unused");
    engine.ApplyAction();
    engine.SelectAction(2);  // the action moves to a plugin that is there
    engine.SetPages(false, true, 0, 2);
    lib.SetPage("unused", "mine");
    engine.ApplyAction();
    engine.SetMainDialog(nullptr);
  }
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("NQ</shortcut>\n      " + missingOpen + "\n        <command>kept</command>"));
  EXPECT_NE(std::string::npos, written.find("<key>77</key>\n      </shortcut>\n      <actiontype plugin=\"" + std::string(kActionGuid) + "\">mine</actiontype>"));
  EXPECT_EQ(written.find("<command>kept</command>"), written.rfind("<command>kept</command>"));
}

}  // namespace
