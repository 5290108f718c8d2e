// Start-up and shut-down of the engine, in their fixed orders.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineFixture.h"
#include "PlaceholderPlugin.h"
#include "Shell.h"
#include "WidePath.h"

namespace {

const char kBasicGuid[] = "{C0C0C0C0-1111-2222-3333-444455556666}";

// From a folder that the system code page cannot name, with a plugin library named outside it
// too: the plugins load, and conf.xml, the log and the debug report are written there and
// read back at the next start.
TEST(Lifecycle, RunsInAFolderTheCodePageCannotName) {
  TempWorkDir dir;
  std::wstring folder = MakeUnicodeFolder(dir);
  const std::wstring library = L"\u043f\u043b\u0430\u0433\u0438\u043d.dll";
  ASSERT_TRUE(CopyFileW(Wide(ProgramFolder() + "\\cplugin_basic.dll").c_str(), (folder + L"\\" + library).c_str(), FALSE));
  InFolder in(folder);
  CapturedBoxes boxes;
  FakeHooks hooks;
  {
    TambrelEngine engine;
    ASSERT_TRUE(engine.IsStarted());
    EXPECT_EQ(folder + L"\\conf.xml", engine.ConfigPath());
    ASSERT_EQ(1, engine.Registry().Count());
    EXPECT_STREQ(kBasicGuid, engine.FindPlugin(1)->guid);
    EXPECT_EQ(ShownText(library), engine.FindPlugin(1)->file);  // the lists show it in the code page
    engine.Options().log = true;
    engine.WriteDebugReport();
  }
  EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts()[0];
  std::string report = ReadWholeFile(folder + L"\\debug.txt");
  EXPECT_NE(std::string::npos, report.find("Configuration file: " + ShownText(folder) + "\\conf.xml\r\n")) << report;
  EXPECT_NE(std::string::npos, ReadWholeFile(folder + L"\\conf.xml").find("<option name=\"log\">yes</option>"));
  {
    TambrelEngine engine;
    EXPECT_TRUE(engine.Options().log);
    EXPECT_EQ(1, engine.Registry().Count());
  }
  std::string log = ReadWholeFile(folder + L"\\tambrel.log");
  EXPECT_NE(std::string::npos, log.find(" Notice: Tambrel started\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" Notice: Tambrel shut down\r\n")) << log;
}

TEST(Lifecycle, StartsWithoutConfigurationAndShutsDownInOrder) {
  TempWorkDir dir({"cplugin_basic.dll"});
  PluginTrace trace(dir, "cplugin_basic.dll");
  CapturedBoxes boxes;
  FakeHooks hooks;
  {
    TambrelEngine engine;
    ASSERT_EQ(&engine, TambrelEngine::Instance());
    EXPECT_TRUE(engine.IsStarted());
    EXPECT_TRUE(engine.IsActive());
    EXPECT_TRUE(engine.HookInstalled());
    EXPECT_EQ(Wide(dir.File("conf.xml")), engine.ConfigPath());
    EXPECT_EQ(141u, engine.Keys().size());  // built-in names when there is no file
  }
  EXPECT_EQ(nullptr, TambrelEngine::Instance());
  EXPECT_TRUE(boxes.Boxes().empty());

  const std::vector<std::string> expected = {
      "GetPluginsInfo",
      "C Plugin CheckVersion(1)",
      "C Plugin GetName",
      "C Plugin GetGuid",
      "C Plugin GetTypes",
      "C Plugin NeedsConfiguration",
      "C Plugin SetEnabled(0)",
      std::string("C Plugin SetEngine: IsActive=0 BoolToText(1)=yes ParseBool(On)=1 "
                  "GetPlugin(0)=1 C Plugin ") + kBasicGuid,
      "C Plugin SetEnabled(1)",
      "C Plugin SaveSettings",  // the configuration is written before plugins are released
      "C Plugin Release",
  };
  EXPECT_EQ(expected, trace.Lines());
  const std::vector<std::string> hookCalls = {
      "AllocHookHeap(engine set)", "AllocHook(13)", "FreeHook(7)", "FreeHookHeap(engine set)"};
  EXPECT_EQ(hookCalls, FakeHooks::calls);
}

TEST(Lifecycle, HookOptionOffStartsWithoutHookAndCanInstallItLater) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  // The option comes from conf.xml; the switch in the settings dialog uses the same path.
  TambrelEngine engine;
  engine.SetHookActive(false);
  EXPECT_FALSE(engine.HookInstalled());
  EXPECT_FALSE(engine.Options().hookActive);
  engine.SetHookActive(true);
  EXPECT_TRUE(engine.HookInstalled());
  const std::vector<std::string> hookCalls = {"AllocHookHeap(engine set)", "AllocHook(13)",
                                              "FreeHook(7)", "AllocHook(13)"};
  EXPECT_EQ(hookCalls, FakeHooks::calls);
}

struct FailureCase {
  bool failHeap, failHook;
  const char* report;
  std::vector<std::string> hookCalls;
  bool pluginEnabled;
};

TEST(Lifecycle, FailedStartUpRunsTheWholeShutDownAndLeavesNoEngine) {
  const FailureCase cases[] = {
      {true, false, "Couldn't allocate a hook heap!", {"AllocHookHeap(engine set)"}, false},
      {false, true, "Couldn't allocate the keyboard hook!",
       {"AllocHookHeap(engine set)", "AllocHook(13)", "FreeHookHeap(engine set)"}, true},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.report);
    TempWorkDir dir({"cplugin_basic.dll"});
    PluginTrace trace(dir, "cplugin_basic.dll");
    CapturedBoxes boxes;
    FakeHooks hooks(c.failHeap, c.failHook);
    TambrelEngine* engine = new TambrelEngine;
    EXPECT_EQ(nullptr, TambrelEngine::Instance());
    delete engine;  // the caller still deletes the object; nothing runs twice
    EXPECT_EQ(std::vector<std::string>{c.report}, boxes.Texts());
    EXPECT_EQ(MB_ICONERROR, boxes.Boxes()[0].type & MB_ICONMASK);
    EXPECT_EQ(c.hookCalls, FakeHooks::calls);
    std::vector<std::string> lines = trace.Lines();
    EXPECT_EQ("C Plugin Release", lines.back());
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "C Plugin Release"));
    EXPECT_EQ(c.pluginEnabled,
              std::find(lines.begin(), lines.end(), "C Plugin SetEnabled(1)") != lines.end());
    EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), "C Plugin SaveSettings"));
    EXPECT_FALSE(FileExists(dir.File("conf.xml")));
  }
}

TEST(Lifecycle, AHookLeftForLaterGoesInOnRequestOrFailsAsAStartUpWould) {
  TempWorkDir dir({"cplugin_basic.dll"});
  CapturedBoxes boxes;
  {
    FakeHooks hooks;
    TambrelEngine engine(TambrelEngine::kHookLater);
    EXPECT_TRUE(engine.IsStarted());
    EXPECT_FALSE(engine.HookInstalled());
    EXPECT_TRUE(engine.InstallHook());
    EXPECT_TRUE(engine.HookInstalled());
  }
  ASSERT_TRUE(DeleteFileA(dir.File("conf.xml").c_str()));
  {
    FakeHooks hooks(false, true);
    TambrelEngine engine(TambrelEngine::kHookLater);
    EXPECT_FALSE(engine.InstallHook());
    EXPECT_FALSE(engine.IsStarted());
  }
  EXPECT_EQ(std::vector<std::string>{"Couldn't allocate the keyboard hook!"}, boxes.Texts());
  EXPECT_FALSE(FileExists(dir.File("conf.xml")));
}

TEST(Lifecycle, EntryReportsMainInitializationFailure) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks(true, false);
  EXPECT_EQ(0, RunTambrel(SW_SHOWNORMAL));
  const std::vector<std::string> expected = {SystemText(ERROR_FILE_NOT_FOUND),
                                             "Couldn't allocate a hook heap!",
                                             "Main initialization failed!"};
  EXPECT_EQ(expected, boxes.Texts());
}

TEST(Lifecycle, SetActiveEnablesOnlyActivePluginsAndKeepsTheOption) {
  TempWorkDir dir({"cplugin_basic.dll", "cplugin_twin.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  ASSERT_EQ(2, engine.Registry().Count());
  PluginRecord* first = engine.FindPlugin(1);
  PluginRecord* second = engine.FindPlugin(2);
  second->active = false;
  engine.SetActive(false);
  EXPECT_FALSE(first->plugin->IsEnabled());
  EXPECT_FALSE(second->plugin->IsEnabled());
  engine.SetActive(true);
  EXPECT_TRUE(first->plugin->IsEnabled());
  EXPECT_FALSE(second->plugin->IsEnabled());
  EXPECT_TRUE(engine.Options().autoActive);
  engine.SetActive(false);
  EXPECT_TRUE(engine.Options().autoActive);
}

// A plugin that switches the engine from inside its own SetEnabled, as the tray does.
class MirroringPlugin : public PlaceholderPlugin {
 public:
  void SetEnabled(bool enabled) override {
    PlaceholderPlugin::SetEnabled(enabled);
    ++calls;
    TambrelEngine::Instance()->SetActive(enabled);
  }
  int calls = 0;
};

TEST(Lifecycle, NestedSetActiveIsIgnored) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  MirroringPlugin mirror;  // outlives the engine, which releases it
  TambrelEngine engine;
  PluginRecord record = {};
  record.plugin = &mirror;
  record.active = false;  // stored as inactive: it must not switch the whole engine off
  engine.Registry().Add(record);
  engine.SetActive(true);
  EXPECT_TRUE(engine.IsActive());
  EXPECT_EQ(1, mirror.calls);
}

TEST(Lifecycle, ParseBoolAndBoolToText) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  boxes.Clear();
  for (const char* word : {"yes", "TRUE", "On", "1"}) EXPECT_TRUE(engine.ParseBool(word)) << word;
  for (const char* word : {"no", "False", "OFF", "0"}) EXPECT_FALSE(engine.ParseBool(word)) << word;
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_FALSE(engine.ParseBool("maybe"));
  EXPECT_EQ(std::vector<std::string>{"Unrecognized boolean value maybe"}, boxes.Texts());
  EXPECT_EQ(MB_ICONINFORMATION, boxes.Boxes()[0].type & MB_ICONMASK);
  EXPECT_STREQ("yes", engine.BoolToText(true));
  EXPECT_STREQ("no", engine.BoolToText(false));
}

TEST(Lifecycle, DialogOperationsWithoutMainDialog) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  EXPECT_FALSE(engine.IsDialogVisible(0));
  EXPECT_FALSE(engine.IsDialogVisible(2));
  EXPECT_TRUE(engine.IsDialogVisible(3));  // any other value
  EXPECT_TRUE(engine.ShowDialog(1, true));
  EXPECT_FALSE(engine.ShowDialog(7, false));
  ActionRecord record;
  EXPECT_FALSE(engine.GetAction(0, &record));
  EXPECT_EQ(0, engine.ExecuteAction(5));
  EXPECT_TRUE(engine.Actions().empty());
}

}  // namespace
