// conf.xml: loading both layouts, every reported problem, writing, round trips, and a save
// that cannot replace the old file.
#include <gtest/gtest.h>

#include <libxml/tree.h>

#include "ConfigFile.h"
#include "UniqueHandle.h"
#include "WidePath.h"
#include "EngineFixture.h"
#include "NullPlugin.h"
#include "TestPluginsLib.h"
#include "XTools.h"

namespace {

const char kShortcutGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";
const char kActionGuid[] = "{7E570000-0000-0000-0000-00000000AC71}";

std::string Bindings(const std::string& actions) {
  return std::string("<?xml version=\"1.0\"?>\n<tambrel version=\"2.01\">\n") +
         "<options><option name=\"keys\"><key code=\"13\" name=\"ENTER\">ENTER key</key></option></options>\n" +
         "<plugins><plugin guid=\"" + kShortcutGuid + "\" active=\"yes\"/><plugin guid=\"" +
         kActionGuid + "\" active=\"yes\"><setting>kept</setting></plugin></plugins>\n<actions>" +
         actions + "</actions>\n</tambrel>\n";
}

std::string Binding(const char* shortcut, const char* action) {
  return std::string("<action><shortcut plugin=\"") + kShortcutGuid + "\">" + shortcut +
         "</shortcut><actiontype plugin=\"" + kActionGuid + "\">" + action + "</actiontype></action>";
}

// Engine state as a text, for comparing runs.
std::string StateOf(TambrelEngine& engine) {
  std::string s;
  const EngineOptions& o = engine.Options();
  s += std::to_string(o.log) + std::to_string(o.autoActive) + std::to_string(o.autoShow) +
       std::to_string(o.hookActive) + " " + ShownText(o.logFile) + "\n";
  for (const KeyInfo& key : engine.Keys())
    s += std::to_string(key.vk) + ":" + key.name + ":" + std::to_string(key.nameLength) + ":" + key.text + "\n";
  for (PluginRecord& r : engine.Registry())
    s += std::string(r.guid) + " " + r.name + " " + std::to_string(r.active) + std::to_string(r.loaded) + "\n";
  for (auto& a : engine.Actions()) {
    PluginRecord* sp = engine.FindPlugin(a.second.shortcutPluginId);
    PluginRecord* ap = engine.FindPlugin(a.second.actionPluginId);
    s += std::to_string(a.first) + " " + sp->plugin->GetShortcutType()->GetShortcutText(a.first) +
         " -> " + ap->plugin->GetActionType()->GetActionText(a.first) + "\n";
  }
  return s + "next " + std::to_string(engine.NextActionId());
}

TEST(ConfigFile, LoadsTheCurrentLayout) {
  TempWorkDir dir({"testplugins.dll"});
  TestPluginsLib lib(dir);
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"),
                 "<?xml version=\"1.0\"?><tambrel version=\"2.01\"><options>"
                 "<option name=\"log\">No</option><option name=\"autoactive\">off</option>"
                 "<option name=\"autoshow\">TRUE</option><option name=\"hookactive\">0</option>"
                 "<option name=\"logfile\">mine.log</option><option name=\"keys\">"
                 "<key code=\"65\" name=\"A\">A key</key><key code=\"9\" name=\"\">tab</key>"
                 "<key code=\"x9\" name=\"NOCODE\"/></option></options><plugins>"
                 "<plugin guid=\"" + std::string(kActionGuid) + "\" active=\"no\"><setting>s1</setting></plugin>"
                 "</plugins><actions>" + Binding("NP", "notepad") + Binding("CALC", "calc") +
                 "</actions></tambrel>");
  TambrelEngine engine;
  ASSERT_TRUE(engine.IsStarted());
  EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts()[0];
  EXPECT_FALSE(engine.Options().autoActive);
  EXPECT_FALSE(engine.IsActive());
  EXPECT_TRUE(engine.Options().autoShow);
  EXPECT_FALSE(engine.Options().hookActive);
  EXPECT_FALSE(engine.HookInstalled());
  EXPECT_EQ(L"mine.log", engine.Options().logFile);
  ASSERT_EQ(3u, engine.Keys().size());
  EXPECT_EQ(0, engine.Keys()[1].nameLength);
  EXPECT_EQ(0, engine.Keys()[2].vk);
  EXPECT_STREQ("", engine.Keys()[2].text);
  // The shortcut plugin was not listed: new, so active; the listed one keeps its flag.
  EXPECT_TRUE(engine.FindPlugin(1)->active);
  EXPECT_FALSE(engine.FindPlugin(2)->active);
  EXPECT_EQ(3, engine.NextActionId());
  EXPECT_STREQ("NP", engine.FindPlugin(1)->plugin->GetShortcutType()->GetShortcutText(1));
  EXPECT_STREQ("calc", engine.FindPlugin(2)->plugin->GetActionType()->GetActionText(2));
  // Each binding: the action side is loaded first.
  EXPECT_NE(std::string::npos, lib.Trace().find("A Load(1,notepad)\nS Load(1,NP)\nA Load(2,calc)\nS Load(2,CALC)\n"));
}

TEST(ConfigFile, WritesTheDocumentInItsOrderAndRoundTrips) {
  TempWorkDir dir({"testplugins.dll"});
  TestPluginsLib lib(dir);
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"), Bindings(Binding("NP", "a &amp; &lt;b&gt;") + Binding("X", "")));
  std::string first, second, state;
  {
    TambrelEngine engine;
    state = StateOf(engine);
    ASSERT_TRUE(DeleteFileA(dir.File("conf.xml").c_str()));  // a save that changes nothing writes nothing
    ASSERT_TRUE(engine.Config().Save());
    first = ReadWholeFile(dir.File("conf.xml"));
  }
  second = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_EQ(first, second);  // saving twice gives the same bytes
  {
    TambrelEngine engine;
    EXPECT_EQ(state, StateOf(engine));
  }
  EXPECT_TRUE(boxes.Boxes().empty());
  const std::string expected = std::string(
      "<?xml version=\"1.0\"?>\n"
      "<tambrel version=\"2.01\">\n"
      "  <options>\n"
      "    <option name=\"log\">no</option>\n"
      "    <option name=\"autoactive\">yes</option>\n"
      "    <option name=\"autoshow\">no</option>\n"
      "    <option name=\"hookactive\">yes</option>\n"
      "    <option name=\"logfile\">tambrel.log</option>\n"
      "    <option name=\"keys\">\n"
      "      <key code=\"13\" name=\"ENTER\">ENTER key</key>\n"
      "    </option>\n"
      "  </options>\n"
      "  <plugins>\n"
      "    <plugin guid=\"") + kShortcutGuid + "\" active=\"yes\">\n"
      "      <setting>default</setting>\n"
      "    </plugin>\n"
      "    <plugin guid=\"" + kActionGuid + "\" active=\"yes\">\n"
      "      <setting>kept</setting>\n"
      "    </plugin>\n"
      "  </plugins>\n"
      "  <actions>\n"
      "    <action>\n"
      "      <shortcut plugin=\"" + kShortcutGuid + "\">NP</shortcut>\n"
      "      <actiontype plugin=\"" + kActionGuid + "\">a &amp; &lt;b&gt;</actiontype>\n"
      "    </action>\n"
      "    <action>\n"
      "      <shortcut plugin=\"" + kShortcutGuid + "\">X</shortcut>\n"
      "      <actiontype plugin=\"" + kActionGuid + "\"/>\n"
      "    </action>\n"
      "  </actions>\n"
      "</tambrel>\n";
  EXPECT_EQ(expected, second);
}

TEST(ConfigFile, WithoutAFileEveryPluginIsNewAndACompleteFileIsWritten) {
  TempWorkDir dir({"testplugins.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  { TambrelEngine engine; }
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("<key code=\"8\" name=\"BACKSPACE\">BACKSPACE key</key>"));
  EXPECT_NE(std::string::npos, written.find("<actions/>"));
  EXPECT_NE(std::string::npos, written.find(std::string("<plugin guid=\"") + kActionGuid + "\" active=\"yes\">"));
}

TEST(ConfigFile, Version20Layout) {
  TempWorkDir dir({"testplugins.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"),
                 std::string("<?xml version=\"1.0\"?><tambrel version=\"2.0\"><options></options><plugins></plugins><actions>") +
                     "<action plugin=\"" + kActionGuid + "\" key=\"np\">notepad.exe</action>" +
                     "<action plugin=\"" + kActionGuid + "\" key=\"empty\"></action>" +
                     "<action plugin=\"{00000000-0000-0000-0000-00000000BAD0}\" key=\"k\">x</action>" +
                     "<action key=\"0123456789012345678901234567890123456789\">x</action>" +
                     "</actions></tambrel>");
  TambrelEngine engine;
  ASSERT_TRUE(engine.IsStarted());
  // A missing action plugin is stood in for by the placeholder, which is an action type.
  ASSERT_EQ(2u, engine.Actions().size());
  EXPECT_STREQ("np", engine.FindPlugin(1)->plugin->GetShortcutType()->GetShortcutText(1));
  EXPECT_STREQ("notepad.exe", engine.FindPlugin(2)->plugin->GetActionType()->GetActionText(1));
  EXPECT_STREQ("Unknown Action", engine.FindPlugin(engine.Actions()[2].actionPluginId)->plugin->GetActionType()->GetActionText(2));
  EXPECT_EQ(141u, engine.Keys().size());  // no key names in the file: the built-in ones
  const std::vector<std::string> expected = {
      "While loading configuration: Plugin error for action 2, , 0",
      "While loading configuration: No plugin with GUID {00000000-0000-0000-0000-00000000BAD0}",
      "While loading configuration: Plugin error for action 3, 0123456789012345678901234567890, 0",
  };
  EXPECT_EQ(expected, boxes.Texts());
}

TEST(ConfigFile, Version200IsReadWithTheCurrentRules) {
  TempWorkDir dir({"testplugins.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string file = Bindings(Binding("NP", "n"));
  file.replace(file.find("2.01"), 4, "2.00");
  WriteWholeFile(dir.File("conf.xml"), file);
  TambrelEngine engine;
  EXPECT_EQ(1u, engine.Actions().size());
  EXPECT_TRUE(boxes.Boxes().empty());
}

struct BadFile {
  const char* name;
  std::string contents;
  bool starts;
  std::vector<std::string> reports;  // "*" after a prefix: the rest is libxml2's own text
};

std::string Huge(size_t n, char c) { return std::string(n, c); }

std::string Nested(int depth) {
  std::string s = "<?xml version=\"1.0\"?><tambrel version=\"2.01\">";
  for (int i = 0; i < depth; ++i) s += "<a>";
  for (int i = 0; i < depth; ++i) s += "</a>";
  return s + "</tambrel>";
}

TEST(ConfigFile, BadFilesGetTheirMessageAndStayUntouched) {
  const std::string open = "Couldn't open configuration file ";
  const std::string cannot = "Couldn't load configuration!";
  const std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE t [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
      "<tambrel version=\"2.01\"><options><option name=\"logfile\">&i;</option></options></tambrel>";
  const BadFile files[] = {
      {"empty", "", false, {open + "*", cannot}},
      {"garbage", "\x01\x02\xff\xfe binary \x00\x9c", false, {open + "*", cannot}},
      {"truncated", "<?xml version=\"1.0\"?><tambrel version=\"2.01\"><options><opt", false, {open + "*", cannot}},
      {"wrong root", "<config version=\"2.01\"/>", false,
       {"While loading configuration: Couldn't locate <tambrel> in the configuration file!", cannot}},
      {"no version", "<tambrel/>", false,
       {"While loading configuration: Couldn't locate <tambrel version=> in the configuration file!", cannot}},
      {"version too high", "<tambrel version=\"2.5\"><options/><plugins/><actions/></tambrel>", true,
       {"While loading configuration: Version of the configuration file is too high, will attempt parsing though!"}},
      {"version not a number", "<tambrel version=\"two\"><options/><plugins/><actions/></tambrel>", true, {}},
      {"no sections", "<tambrel version=\"2.01\"/>", true,
       {"While loading configuration: Couldn't locate <options> in the configuration file!",
        "While loading configuration: Couldn't locate <plugins> in the configuration file!",
        "While loading configuration: Couldn't locate <actions> in the configuration file!"}},
      {"odd options",
       "<tambrel version=\"2.01\"><options><option name=\"log\"/><option name=\"colour\">red</option>"
       "<option name=\"autoshow\">maybe</option><option name=\"keys\"/></options><plugins/><actions/></tambrel>",
       true,
       {"While loading configuration: Unrecognized option log",
        "While loading configuration: Unrecognized option colour", "Unrecognized boolean value maybe"}},
      {"plugin without guid",
       "<tambrel version=\"2.01\"><options/><plugins><plugin active=\"no\"/><plugin guid=\"{00000000-0000-0000-0000-0000000000F1}\"/></plugins><actions/></tambrel>",
       true, {"While loading configuration: No GUID for plugin"}},
      {"unusable binding",
       "<tambrel version=\"2.01\"><options/><plugins/><actions><action><shortcut/><actiontype/></action></actions></tambrel>",
       true, {"While loading configuration: Plugin error for action 1, 0, 0"}},
      // Loads: a 9 MB text is within libxml2's limit of 10,000,000 bytes for a text node, and
      // a key text keeps 127 characters.
      {"huge text node",
       "<tambrel version=\"2.01\"><options><option name=\"keys\"><key code=\"1\" name=\"A\">" +
           Huge(9 * 1000 * 1000, 'x') + "</key></option></options><plugins/><actions/></tambrel>",
       true, {}},
      {"text node beyond libxml2's limit",
       "<tambrel version=\"2.01\"><options><option name=\"keys\"><key code=\"1\" name=\"A\">" +
           Huge(10 * 1000 * 1000 + 1, 'x') + "</key></option></options><plugins/><actions/></tambrel>",
       false, {open + "*", cannot}},
      {"deep nesting", Nested(10000), false, {open + "*", cannot}},
      {"entity bomb", bomb, false, {open + "*", cannot}},
  };
  for (const BadFile& f : files) {
    SCOPED_TRACE(f.name);
    TempWorkDir dir;
    CapturedBoxes boxes;
    FakeHooks hooks;
    WriteWholeFile(dir.File("conf.xml"), f.contents);
    TambrelEngine* engine = new TambrelEngine;
    EXPECT_EQ(f.starts, TambrelEngine::Instance() != nullptr);
    std::vector<std::string> texts = boxes.Texts();
    texts.erase(texts.begin());  // discovery's "no plugin library" warning
    ASSERT_EQ(f.reports.size(), texts.size()) << (texts.empty() ? "" : texts.back().substr(0, 200));
    for (size_t i = 0; i < texts.size(); ++i) {
      const std::string& want = f.reports[i];
      if (!want.empty() && want.back() == '*') {
        std::string prefix = want.substr(0, want.size() - 1) + dir.File("conf.xml") + "!\n\n";
        EXPECT_EQ(prefix, texts[i].substr(0, prefix.size()));
        EXPECT_GT(texts[i].size(), prefix.size()) << "libxml2's message";
      } else {
        EXPECT_EQ(want, texts[i]);
      }
    }
    if (!f.starts) {
      delete engine;
      EXPECT_EQ(f.contents, ReadWholeFile(dir.File("conf.xml")));
    } else {
      delete engine;
    }
  }
}

TEST(ConfigFile, SaveThatCannotReplaceLeavesTheOldFileWhole) {
  TempWorkDir dir({"testplugins.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string original = Bindings(Binding("NP", "n"));
  WriteWholeFile(dir.File("conf.xml"), original);
  TambrelEngine engine;
  engine.Options().autoShow = true;  // something to write
  boxes.Clear();
  {
    // Another program holds the file open without sharing: the replacement must fail.
    UniqueFile lock(CreateFileA(dir.File("conf.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(static_cast<bool>(lock));
    EXPECT_FALSE(engine.Config().Save());
  }
  EXPECT_EQ(std::vector<std::string>{"Error writing configuration file!"}, boxes.Texts());
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml")));
  EXPECT_FALSE(FileExists(dir.File("conf.xml.new")));

  boxes.Clear();
  CreateDirectoryA(dir.File("conf.xml.new").c_str(), nullptr);  // the new file cannot be made
  EXPECT_FALSE(engine.ShowDialog(0, false));
  EXPECT_EQ(std::vector<std::string>{"Error writing configuration file!"}, boxes.Texts());
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml")));
  RemoveDirectoryA(dir.File("conf.xml.new").c_str());

  boxes.Clear();
  EXPECT_TRUE(engine.ShowDialog(0, false));  // hiding the main dialog writes the file
  EXPECT_NE(original, ReadWholeFile(dir.File("conf.xml")));
  DeleteFileA(dir.File("conf.xml").c_str());
  EXPECT_TRUE(engine.ShowDialog(1, true));
  EXPECT_FALSE(engine.ShowDialog(1, false));  // the about dialog writes nothing
  EXPECT_FALSE(FileExists(dir.File("conf.xml")));
  EXPECT_TRUE(engine.ShowDialog(2, false));
  EXPECT_TRUE(FileExists(dir.File("conf.xml")));
  EXPECT_TRUE(boxes.Boxes().empty());
}

BOOL WINAPI WriteToAFullDisk(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
  *written = 0;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

// On a file system of the test's own that scripts/test mounts where the host allows it,
// filled to the last page; elsewhere the write call fails as a full disk's would.
TEST(ConfigFile, AFullDiskLeavesTheOldFileWhole) {
  const char* smallFs = getenv("TAMBREL_SMALL_FS");
  TempWorkDir dir({"testplugins.dll"}, smallFs != nullptr ? DosPath(smallFs) : "");
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string original = Bindings(Binding("NP", "n"));
  WriteWholeFile(dir.File("conf.xml"), original);
  TambrelEngine engine;
  ASSERT_TRUE(boxes.Boxes().empty());
  engine.Options().autoShow = true;  // something to write
  if (smallFs != nullptr) {
    UniqueFile filler(CreateFileA(dir.File("filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    static const char block[4096] = {};
    DWORD written = 0;
    while (WriteFile(filler.Get(), block, sizeof block, &written, nullptr) && written == sizeof block) {
    }
  } else {
    gConfigWriteFile = WriteToAFullDisk;
  }
  EXPECT_FALSE(engine.Config().Save());
  gConfigWriteFile = WriteFile;
  EXPECT_EQ(std::vector<std::string>{"Error writing configuration file!"}, boxes.Texts());
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml")));
  EXPECT_FALSE(FileExists(dir.File("conf.xml.new")));
  DeleteFileA(dir.File("filler").c_str());
  EXPECT_TRUE(engine.Config().Save());
}

// A kill can leave conf.xml.new behind: it is never read, and the next save replaces it. The
// file a save replaces stays as conf.xml.bak.
TEST(ConfigFile, ANewFileLeftBehindIsIgnoredAndTheOldOneBackedUp) {
  TempWorkDir dir({"testplugins.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string original = Bindings(Binding("NP", "n"));
  WriteWholeFile(dir.File("conf.xml"), original);
  WriteWholeFile(dir.File("conf.xml.new"), "<tambrel version=\"2.01\"><actions><act");
  TambrelEngine engine;
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(1u, engine.Actions().size());
  engine.Options().autoShow = true;  // something to write
  EXPECT_TRUE(engine.Config().Save());
  EXPECT_FALSE(FileExists(dir.File("conf.xml.new")));
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml.bak")));
  EXPECT_NE(std::string::npos, ReadWholeFile(dir.File("conf.xml")).find(">NP</shortcut>"));
}

TEST(ConfigFile, MissingPluginsKeepTheirData) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"), Bindings(Binding("NP", "<command>notepad</command>")));
  {
    TambrelEngine engine;
    engine.Options().autoShow = true;  // something to write at the end
  }
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find(std::string("<plugin guid=\"") + kActionGuid +
                                            "\" active=\"yes\">\n      <setting>kept</setting>"));
  EXPECT_NE(std::string::npos, written.find(std::string("<shortcut plugin=\"") + kShortcutGuid + "\">NP</shortcut>"));
  EXPECT_NE(std::string::npos, written.find(std::string("<actiontype plugin=\"") + kActionGuid +
                                            "\">\n        <command>notepad</command>\n      </actiontype>"));
}

// What a missing plugin's elements hold stays as read through any number of saves: the
// attributes Tambrel does not write itself as well as the children.
TEST(ConfigFile, MissingPluginsKeepAttributesAndChildrenThroughSaves) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string file = Bindings(
      "<action><shortcut plugin=\"" + std::string(kShortcutGuid) + "\" programs=\"alpha.exe;beta.exe\" x=\"1\">NP"
      "</shortcut><actiontype plugin=\"" + kActionGuid + "\" run=\"min\"><command a=\"b\">notepad</command>"
      "</actiontype></action><action><shortcut plugin=\"" + kShortcutGuid + "\" programs=\"gamma.exe\"/>"
      "<actiontype plugin=\"" + kActionGuid + "\"/></action>");
  file.replace(file.find("active=\"yes\"><setting>"), 13, "active=\"yes\" colour=\"red\">");
  WriteWholeFile(dir.File("conf.xml"), file);
  std::string saves[2];
  for (std::string& saved : saves) {
    TambrelEngine engine;
    engine.Options().autoShow = !engine.Options().autoShow;  // something to write
    ASSERT_TRUE(engine.Config().Save());
    saved = ReadWholeFile(dir.File("conf.xml"));
  }
  const std::string g = std::string("plugin=\"") + kShortcutGuid + "\"", a = std::string("plugin=\"") + kActionGuid + "\"";
  for (const std::string& part :
       {"<shortcut " + g + " programs=\"alpha.exe;beta.exe\" x=\"1\">NP</shortcut>",
        "<actiontype " + a + " run=\"min\">\n        <command a=\"b\">notepad</command>\n      </actiontype>",
        "<shortcut " + g + " programs=\"gamma.exe\"/>", "<actiontype " + a + "/>",
        "<plugin guid=\"" + std::string(kActionGuid) + "\" active=\"yes\" colour=\"red\">\n      <setting>kept</setting>"}) {
    EXPECT_NE(std::string::npos, saves[0].find(part)) << part << "\n" << saves[0];
    EXPECT_NE(std::string::npos, saves[1].find(part)) << part;
  }
  // The second run wrote the options back as the first left them: the rest is the same.
  EXPECT_EQ(saves[0].substr(saves[0].find("<plugins>")), saves[1].substr(saves[1].find("<plugins>")));
  EXPECT_TRUE(boxes.Texts().size() >= 2u);  // "No plugin with GUID", per run
}

// A reference to an entity the file does not declare (its DOCTYPE names a DTD that is never
// read) is dropped from what a missing plugin keeps: the written file has no DOCTYPE, and the
// reference would stop the next start.
TEST(ConfigFile, UndeclaredEntityReferencesKeptForMissingPluginsDoNotStopTheNextStart) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string file = Bindings(Binding("NP", "<command a=\"x&undefined;y\">a&undefined;b</command>"));
  file.replace(file.find("<tambrel"), 0, "<!DOCTYPE tambrel SYSTEM \"none.dtd\">");
  file.replace(file.find(">kept<"), 6, ">k&other;ept<");
  WriteWholeFile(dir.File("conf.xml"), file);
  {
    TambrelEngine engine;
    ASSERT_TRUE(engine.IsStarted());
    engine.Options().autoShow = true;
  }
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_EQ(std::string::npos, written.find("DOCTYPE"));
  EXPECT_NE(std::string::npos, written.find("<setting>kept</setting>")) << written;
  EXPECT_NE(std::string::npos, written.find("<command a=\"xy\">ab</command>")) << written;
  boxes.Clear();
  TambrelEngine engine;
  EXPECT_TRUE(engine.IsStarted()) << boxes.Texts().back();
}

// Both roles in one plugin object, registered in the engine as discovery would; what it saves
// for a binding depends on the binding's id.
class OddSavePlugin : public NullPlugin, public ShortcutType, public ActionType {
 public:
  const char* GetName() override { return "Odd Save"; }
  const char* GetGuid() override { return "{0DD5A7E0-0000-0000-0000-000000000001}"; }
  int GetTypes() override { return PLUGIN_SHORTCUTTYPE | PLUGIN_ACTIONTYPE; }
  ShortcutType* GetShortcutType() override { return this; }
  ActionType* GetActionType() override { return this; }
  void Save(int id, xmlNode* element) override {
    if (id == 2) xmlNewProp(element, reinterpret_cast<const xmlChar*>("extra"), reinterpret_cast<const xmlChar*>("x"));
    if (id == cdataId) {
      xmlAddChild(element, xmlNewCDataBlock(element->doc, reinterpret_cast<const xmlChar*>("raw <x>"), 7));
      return;
    }
    const char* texts[] = {"", "one", "two", "three"};
    xmlNodeAddContent(element, reinterpret_cast<const xmlChar*>(texts[id % 4]));
  }
  void Load(int, xmlNode*) override {}
  void Apply(int) override {}
  void Select(int) override {}
  void Remove(int) override {}
  int Execute(int) override { return 0; }
  const char* GetShortcutText(int) override { return ""; }
  const char* GetActionText(int) override { return ""; }
  bool HasPage() override { return false; }
  void CreatePage(HWND, RECT) override {}
  void DestroyPage() override {}
  void ShowPage(bool) override {}
  int cdataId = 0;
};

std::string SavedBindings(TambrelEngine& engine, const std::string& path) {
  EXPECT_TRUE(engine.Config().Save());
  std::string written = ReadWholeFile(path);
  size_t begin = written.find("  <actions"), end = written.find("</tambrel>");
  return begin == std::string::npos || end == std::string::npos ? written : written.substr(begin, end - begin);
}

// The bindings are written one at a time; a plugin that changes its element beyond adding
// children, or adds what only libxml2 writes, still gets the bytes of the whole document.
TEST(ConfigFile, BindingsWrittenAsTheWholeDocumentWouldBe) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  boxes.Clear();  // no plugin library in the folder
  OddSavePlugin plugin;
  PluginRecord record = {};
  CopyGuid(record.guid, plugin.GetGuid());
  record.name = plugin.GetName();
  record.types = plugin.GetTypes();
  record.plugin = &plugin;
  record.interfaceVersion = PLUGIN_INTERFACE_VERSION;
  strcpy(record.file, "odd.dll");
  int id = engine.Registry().Add(record);
  for (int i = 0; i < 3; ++i) engine.AddAction({id, id});
  engine.AddAction({id, 99});  // names no record: never written
  const std::string g = "plugin=\"{0DD5A7E0-0000-0000-0000-000000000001}\"";
  const std::string expected =
      "  <actions>\n"
      "    <action>\n      <shortcut " + g + ">one</shortcut>\n      <actiontype " + g + ">one</actiontype>\n    </action>\n"
      "    <action>\n      <shortcut " + g + " extra=\"x\">two</shortcut>\n"
      "      <actiontype " + g + " extra=\"x\">two</actiontype>\n    </action>\n"
      "    <action>\n      <shortcut " + g + ">three</shortcut>\n      <actiontype " + g + ">three</actiontype>\n    </action>\n"
      "  </actions>\n";
  EXPECT_EQ(expected, SavedBindings(engine, dir.File("conf.xml")));

  engine.Actions().erase(2);
  plugin.cdataId = 3;
  EXPECT_EQ("  <actions>\n"
            "    <action>\n      <shortcut " + g + ">one</shortcut>\n      <actiontype " + g + ">one</actiontype>\n    </action>\n"
            "    <action>\n      <shortcut " + g + "><![CDATA[raw <x>]]></shortcut>\n"
            "      <actiontype " + g + "><![CDATA[raw <x>]]></actiontype>\n    </action>\n"
            "  </actions>\n",
            SavedBindings(engine, dir.File("conf.xml")));

  // Declined after more than one piece went to the file already: the file is written anew.
  for (int i = 0; i < 3000; ++i) engine.AddAction({id, id});
  plugin.cdataId = engine.NextActionId() - 1;
  ASSERT_TRUE(engine.Config().Save());
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  const std::string end = "<![CDATA[raw <x>]]></actiontype>\n    </action>\n  </actions>\n</tambrel>\n";
  EXPECT_GT(written.size(), 300000u);
  EXPECT_EQ(0u, written.find("<?xml version=\"1.0\"?>\n<tambrel version=\"2.01\">\n"));
  EXPECT_EQ(std::string::npos, written.find("<?xml", 1));
  EXPECT_EQ(written.size() - end.size(), written.find(end));

  engine.Actions().clear();
  EXPECT_EQ("  <actions/>\n", SavedBindings(engine, dir.File("conf.xml")));
  EXPECT_TRUE(boxes.Boxes().empty());
  engine.Registry() = PluginRegistry();  // the plugin goes before the engine
}

// Tambrel's texts cross from the system code page; a path (the log file's name) keeps
// characters that the code page lacks.
TEST(ConfigFile, TextsCrossAsUtf8AndPathsWhole) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string ansi = "caf\xE9";  // e acute in the Western code page
  const std::wstring logFile = L"\u0416urnal-caf\u00e9.log";  // a Cyrillic letter, outside it
  {
    TambrelEngine engine;
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
    ASSERT_FALSE(engine.Keys().empty());
    strcpy(engine.Keys()[0].text, ansi.c_str());
    engine.Options().logFile = logFile;
  }
  // Without a declared encoding libxml2 writes characters beyond ASCII as references.
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find(">caf&#xE9;</key>"));
  EXPECT_NE(std::string::npos, written.find("\"logfile\">&#x416;urnal-caf&#xE9;.log<"));
  TambrelEngine engine;
  ASSERT_FALSE(engine.Keys().empty());
  EXPECT_EQ(ansi, engine.Keys()[0].text);
  EXPECT_EQ(logFile, engine.Options().logFile);
}

}  // namespace
