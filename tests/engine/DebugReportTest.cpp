// The debug report, read back as the bytes on disk.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "NullPlugin.h"

namespace {

// One object on both sides of its bindings that hands out every text from one buffer, as a
// plugin may; or null for every text.
class BothSides : public NullPlugin, public ShortcutType, public ActionType {
 public:
  const char* GetDebugInfo(bool release, bool forAction, int id) override {
    calls.push_back(release ? "release" : forAction ? "binding " + std::to_string(id) : "plugin");
    return release ? nullptr : Give("\t\t" + calls.back() + "\n");
  }
  const char* GetName() override { return Give("Both"); }
  const char* GetGuid() override { return "{B0B0B0B0-0000-0000-0000-000000000000}"; }
  int GetTypes() override { return types; }
  ShortcutType* GetShortcutType() override { return this; }
  ActionType* GetActionType() override { return this; }
  const char* GetShortcutText(int id) override { return Give("keys " + std::to_string(id)); }
  const char* GetActionText(int id) override { return Give("run " + std::to_string(id)); }
  int Execute(int) override { return 0; }
  void Load(int, xmlNode*) override {}
  void Apply(int) override {}
  void Save(int, xmlNode*) override {}
  void Select(int) override {}
  void Remove(int) override {}
  bool HasPage() override { return false; }
  void CreatePage(HWND, RECT) override {}
  void DestroyPage() override {}
  void ShowPage(bool) override {}

  int Register(TambrelEngine& engine) {
    PluginRecord record = {};
    CopyGuid(record.guid, GetGuid());
    record.name = "Both Sides";
    record.types = types;
    record.plugin = static_cast<NullPlugin*>(this);
    return engine.Registry().Add(record);
  }

  int types = 0;
  bool nullTexts = false;
  std::vector<std::string> calls;

 private:
  const char* Give(const std::string& text) {
    m_buffer = text;
    return nullTexts ? nullptr : m_buffer.c_str();
  }
  std::string m_buffer;
};

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

TEST(DebugReport, WritesTheWholeStateReplacingTheOldReport) {
  CleanStartupFolder clean;
  TempWorkDir dir{"testplugins.dll"};
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options>"
                 "<option name=\"log\">yes</option><option name=\"logfile\">trace.log</option>"
                 "<option name=\"autoactive\">no</option><option name=\"autoshow\">no</option>"
                 "<option name=\"hookactive\">no</option><option name=\"keys\">"
                 "<key name=\"BACK\" code=\"8\">BACKSPACE key</key><key name=\"A\" code=\"65\">A key</key>"
                 "</option></options><plugins>"
                 "<plugin guid=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\" active=\"yes\"/>"
                 "<plugin guid=\"{7E570000-0000-0000-0000-00000000AC71}\" active=\"no\"/></plugins>"
                 "<actions><action><shortcut plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\">np</shortcut>"
                 "<actiontype plugin=\"{7E570000-0000-0000-0000-00000000AC71}\">notepad</actiontype></action>"
                 "</actions></tambrel>");
  WriteWholeFile(dir.File("debug.txt"), std::string(5000, 'x'));
  BothSides none;  // type flags 0
  TambrelEngine engine;
  none.Register(engine);
  engine.WriteDebugReport();

  const std::string expected =
      "Dumping debug information for Tambrel 2.01\n\n"
      "Configuration file: " + dir.File("conf.xml") + "\n\n"
      "Options:\n"
      "\tLogging: on, to file: trace.log\n"
      "\tStart-up: Engine off, don't show main dialog\n"
      "\tKeyboard hook: off\n"
      "\tStart at sign-in: no\n"
      "\tRegistered keys:\n"
      "\t\t0x08 : BACK (BACKSPACE key), VK: 8\n"
      "\t\t0x41 : A (A key), VK: 65\n"
      "\n"
      "Plugin interface information:\n\tVersion: 1\n\tUnsupported version: 0\n"
      "\tPlugin function: GetPluginsInfo\n\n"
      "Loaded plugins (3, High ID: 4):\n"
      "\t\"Test Shortcut\" {646ADA64-823B-496F-9B9F-E5F652E7151F} from testplugins.dll\n"
      "\t\tStatus: Loaded, Active\n"
      "\t\tPlugin types: Shortcut type handler\n\tPlugin debug info:\n\t\tNo additional information\n\n"
      "\t\"Test Action\" {7E570000-0000-0000-0000-00000000AC71} from testplugins.dll\n"
      "\t\tStatus: Loaded, Not active\n"
      "\t\tPlugin types: Action type handler\n\tPlugin debug info:\n\t\tNo additional information\n\n"
      "\t\"Both Sides\" {B0B0B0B0-0000-0000-0000-000000000000} from \n"
      "\t\tStatus: Not loaded, Not active\n"
      "\t\tPlugin types: None\n\tPlugin debug info:\n\t\tplugin\n\n"
      "Action table (1, High ID: 2):\n"
      "np -> notepad (#1):\n\tPlugins: Test Shortcut -> Test Action\n"
      "\n\tShortcut plugin debug info:\n\t\tNo additional information\n\n"
      "\tAction plugin debug info:\n\t\tNo additional information\n\n";
  EXPECT_EQ(Crlf(expected), ReadWholeFile(dir.File("debug.txt")));
  EXPECT_EQ((std::vector<std::string>{"plugin", "release"}), none.calls);
}

TEST(DebugReport, SurvivesNullTextsSharedBuffersAndBindingsWithoutAPlugin) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  BothSides both;
  both.types = 0x3F;
  TambrelEngine engine;
  int id = both.Register(engine);
  engine.WriteDebugReport();
  std::string report = ReadWholeFile(dir.File("debug.txt"));
  const std::string tail = "\r\nAction table (0, High ID: 1):\r\n";
  ASSERT_GE(report.size(), tail.size());
  EXPECT_EQ(tail, report.substr(report.size() - tail.size()));
  EXPECT_NE(std::string::npos,
            report.find("\t\tPlugin types: Action type handler, Tambrel notify handler, "
                        "Tambrel toggle handler, General Purpose, Shortcut type handler, "
                        "Tambrel notifier\r\n"));

  engine.AddAction({id, id});
  engine.AddAction({id, 99});  // no such plugin: left out
  both.calls.clear();
  engine.WriteDebugReport();
  report = ReadWholeFile(dir.File("debug.txt"));
  // Each text is written before the same object is asked for the next one.
  EXPECT_NE(std::string::npos,
            report.find(Crlf("Action table (2, High ID: 3):\n"
                             "keys 1 -> run 1 (#1):\n\tPlugins: Both -> Both\n"
                             "\n\tShortcut plugin debug info:\n\t\tbinding 1\n\n"
                             "\tAction plugin debug info:\n\t\tbinding 1\n\n")));
  EXPECT_EQ(std::string::npos, report.find("#2"));
  EXPECT_EQ((std::vector<std::string>{"plugin", "binding 1", "binding 1", "release"}), both.calls);

  both.nullTexts = true;
  engine.WriteDebugReport();
  report = ReadWholeFile(dir.File("debug.txt"));
  EXPECT_NE(std::string::npos, report.find(Crlf("\tPlugin debug info:\n\nAction table")));
  EXPECT_NE(std::string::npos,
            report.find(Crlf(" ->  (#1):\n\tPlugins:  -> \n\n\tShortcut plugin debug info:\n\n"
                             "\tAction plugin debug info:\n\n")));

  // A report that can't be opened is no error.
  DeleteFileA(dir.File("debug.txt").c_str());
  ASSERT_TRUE(CreateDirectoryA(dir.File("debug.txt").c_str(), nullptr));
  both.calls.clear();
  engine.WriteDebugReport();
  EXPECT_TRUE(both.calls.empty());
  EXPECT_NE(0u, GetFileAttributesA(dir.File("debug.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
