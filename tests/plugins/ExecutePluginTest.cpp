// The execute-file action: its record in conf.xml, its page, a real shell call, and how it
// finds the windows of a program that runs already.
#include <gtest/gtest.h>

#include "XmlFragments.h"
#include <libxml/tree.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "Library.h"
#include "PluginResources.h"
#include "TestSupport.h"
#include "WidePath.h"
#include "XmlText.h"
#include "execute/ExecutePlugin.h"
#include "execute/RunningProgram.h"

namespace {


struct ExecutePluginTest : ::testing::Test {
  ExecutePlugin* plugin = new ExecutePlugin;
  ~ExecutePluginTest() override { plugin->Release(); }
};

TEST_F(ExecutePluginTest, LoadsSavesAndDescribesItsRecords) {
  xmlDocPtr doc;
  xmlNode* root = Parse(&doc,
                        "<a><x/><command>C:\\Tools\\old.exe</command><command>C:\\Tools\\ed.exe</command>"
                        "<dir/></a>");
  plugin->Load(1, root->children);
  xmlFreeDoc(doc);
  EXPECT_STREQ("ed.exe", plugin->GetActionText(1));  // the later command wins, after the backslash
  EXPECT_EQ("<actiontype><command>C:\\Tools\\ed.exe</command><parameter></parameter><dir></dir></actiontype>",
            Saved(plugin->GetActionType(), 1));

  root = Parse(&doc, "<a><parameter>p</parameter></a>");
  plugin->Load(2, root->children);  // no command: no data
  xmlFreeDoc(doc);
  EXPECT_STREQ("Unknown", plugin->GetActionText(2));
  EXPECT_EQ("<actiontype/>", Saved(plugin->GetActionType(), 2));

  root = Parse(&doc, "<a><command>notepad</command></a>");
  plugin->Load(3, root->children);
  xmlFreeDoc(doc);
  EXPECT_STREQ("notepad", plugin->GetActionText(3));
  EXPECT_STREQ("\t\tCommand: notepad\n\t\tParameters: \n\t\tWorking directory: \n",
               plugin->GetDebugInfo(false, true, 3));
  EXPECT_STREQ("\t\tNo additional information\n", plugin->GetDebugInfo(false, false, 0));
  EXPECT_EQ(nullptr, plugin->GetDebugInfo(true, false, 0));
  plugin->GetActionType()->Remove(3);
  EXPECT_STREQ("Unknown", plugin->GetActionText(3));
}

// In a working folder that the system code page cannot name.
TEST_F(ExecutePluginTest, ExecutesThroughTheShellOnlyWhileEnabled) {
  TempWorkDir dir;
  std::wstring folder = MakeUnicodeFolder(dir), marker = folder + L"\\marker.txt";
  xmlDocPtr doc;
  std::string xml = "<a><command>cmd.exe</command><parameter>/c echo ran&gt; marker.txt</parameter><dir>" +
                    WideToUtf8(folder) + "</dir></a>";
  xmlNode* root = Parse(&doc, xml.c_str());
  plugin->Load(1, root->children);
  xmlFreeDoc(doc);
  EXPECT_EQ("\t\tCommand: cmd.exe\n\t\tParameters: /c echo ran> marker.txt\n\t\tWorking directory: " +
                ShownText(folder) + "\n",
            plugin->GetDebugInfo(false, true, 1));
  plugin->Execute(1);
  Sleep(1500);
  EXPECT_FALSE(FileExists(marker));  // disabled
  plugin->SetEnabled(true);
  plugin->Execute(2);  // no data: nothing
  plugin->Execute(1);
  for (int i = 0; i < 100 && !FileExists(marker); ++i) Sleep(50);
  EXPECT_TRUE(FileExists(marker));
}

TEST_F(ExecutePluginTest, PageShowsAndAppliesTheRecord) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, parent);
  ActionType* type = plugin->GetActionType();
  EXPECT_STREQ("Execute File", type->GetName());
  EXPECT_STREQ("ShellExecute Action Plugin", static_cast<Plugin*>(plugin)->GetName());
  type->Apply(5);  // no page: nothing to read, nothing stored
  EXPECT_STREQ("Unknown", type->GetActionText(5));
  type->CreatePage(parent, RECT{0, 0, 300, 150});
  HWND page = GetWindow(parent, GW_CHILD);
  ASSERT_NE(nullptr, page);
  type->CreatePage(parent, RECT{0, 0, 300, 150});  // a second call makes no second window
  EXPECT_EQ(nullptr, GetWindow(page, GW_HWNDNEXT));
  SetDlgItemTextA(page, IDC_EXECUTE_COMMAND, "C:\\a\\b.exe");
  SetDlgItemTextA(page, IDC_EXECUTE_PARAMETER, "-x");
  type->Apply(5);
  EXPECT_STREQ("b.exe", type->GetActionText(5));
  type->Select(0);
  char text[64];
  GetDlgItemTextA(page, IDC_EXECUTE_COMMAND, text, sizeof text);
  EXPECT_STREQ("", text);
  type->Select(5);
  GetDlgItemTextA(page, IDC_EXECUTE_PARAMETER, text, sizeof text);
  EXPECT_STREQ("-x", text);
  // A path outside the system code page goes through the page whole; the list shows it in it.
  const std::wstring unicode = std::wstring(L"C:\\") + kUnicodeFolderName + L"\\\u0440\u0435\u0434.exe";
  SetDlgItemTextW(page, IDC_EXECUTE_COMMAND, unicode.c_str());
  type->Apply(6);
  EXPECT_EQ(ShownText(L"\u0440\u0435\u0434.exe"), type->GetActionText(6));
  type->Select(0);
  type->Select(6);
  wchar_t wide[128] = L"";
  GetDlgItemTextW(page, IDC_EXECUTE_COMMAND, wide, 128);
  EXPECT_EQ(unicode, wide);
  type->DestroyPage();
  EXPECT_EQ(nullptr, GetWindow(parent, GW_CHILD));
  DestroyWindow(parent);
}

// <switch> is read as a boolean, written only when on, and shown by the page's check box.
TEST_F(ExecutePluginTest, TheSwitchIsKeptOnlyWhenOn) {
  xmlDocPtr doc;
  xmlNode* root = Parse(&doc, "<a><command>ed.exe</command><switch>yes</switch></a>");
  plugin->Load(1, root->children);
  xmlFreeDoc(doc);
  EXPECT_EQ("<actiontype><command>ed.exe</command><parameter></parameter><dir></dir><switch>yes</switch>"
            "</actiontype>",
            Saved(plugin->GetActionType(), 1));
  EXPECT_STREQ("\t\tCommand: ed.exe\n\t\tParameters: \n\t\tWorking directory: \n"
               "\t\tSwitch to it when it is already running\n",
               plugin->GetDebugInfo(false, true, 1));
  root = Parse(&doc, "<a><command>ed.exe</command><switch>no</switch></a>");
  plugin->Load(2, root->children);
  xmlFreeDoc(doc);
  EXPECT_EQ("<actiontype><command>ed.exe</command><parameter></parameter><dir></dir></actiontype>",
            Saved(plugin->GetActionType(), 2));

  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ActionType* type = plugin->GetActionType();
  type->CreatePage(parent, RECT{0, 0, 300, 150});
  HWND page = GetWindow(parent, GW_CHILD);
  ASSERT_NE(nullptr, page);
  type->Select(1);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_EXECUTE_SWITCH));
  type->Select(2);
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_EXECUTE_SWITCH));
  CheckDlgButton(page, IDC_EXECUTE_SWITCH, BST_CHECKED);
  type->Apply(2);
  EXPECT_NE(std::string::npos, Saved(type, 2).find("<switch>yes</switch>"));
  type->Select(0);
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_EXECUTE_SWITCH));
  type->DestroyPage();
  DestroyWindow(parent);
}

// A shortcut file to a program, made as the shell makes them.
bool MakeLink(const std::string& link, const wchar_t* target) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* shellLink = nullptr;
  IPersistFile* file = nullptr;
  bool made = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&shellLink))) &&
              SUCCEEDED(shellLink->SetPath(target)) &&
              SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Save(std::wstring(link.begin(), link.end()).c_str(), TRUE));
  if (file != nullptr) file->Release();
  if (shellLink != nullptr) shellLink->Release();
  CoUninitialize();
  return made;
}

TEST(RunningProgram, ACommandNamesAProgramByPathOrByNameOrNone) {
  TempWorkDir dir({"tool.lnk", "letter.lnk"});
  ASSERT_TRUE(MakeLink(dir.File("tool.lnk"), L"C:\\Tools\\tool.exe"));
  ASSERT_TRUE(MakeLink(dir.File("letter.lnk"), L"C:\\Docs\\letter.txt"));
  const struct {
    std::wstring command;
    const wchar_t* name;  // null: no program
    bool byPath;
  } kCases[] = {
      {L"C:\\Tools\\ed.exe", L"C:\\Tools\\ed.exe", true},
      {L"  \"C:\\Program Files\\Ed\\ED.EXE\" ", L"C:\\Program Files\\Ed\\ED.EXE", true},
      {L"C:\\Tools\\..\\Tools\\ed.exe", L"C:\\Tools\\ed.exe", true},
      {L"notepad", L"notepad.exe", false},
      {L"tools\\ed.exe", L"ed.exe", false},
      {L"C:\\\u0418\u043d\u0441\\\u0420\u0415\u0414.exe", L"C:\\\u0418\u043d\u0441\\\u0420\u0415\u0414.exe", true},
      {L"\\\\server\\share\\ed.exe", L"\\\\server\\share\\ed.exe", true},
      {Wide(dir.File("tool.lnk")), L"C:\\Tools\\tool.exe", true},
      {Wide(dir.File("letter.lnk")), nullptr, false},
      {L"C:\\Docs\\letter.txt", nullptr, false},
      {L"C:\\Docs", nullptr, false},
      {L"https://example.org/ed.exe", nullptr, false},
      {L"mailto:someone@example.org", nullptr, false},
      {L"", nullptr, false},
  };
  for (const auto& c : kCases) {
    ProgramImage program = {L"untouched", false};
    bool names = ProgramOfCommand(c.command, &program);
    EXPECT_EQ(c.name != nullptr, names) << c.command;
    if (!names || c.name == nullptr) continue;
    EXPECT_TRUE(program.name == c.name) << c.command;
    EXPECT_EQ(c.byPath, program.byPath) << c.command;
  }
}

TEST(RunningProgram, ImagesMatchByPathWithRedirectedFoldersAsOneOrByName) {
  FolderAliases aliases;
  aliases.pairs = {{L"C:\\Windows\\System32", L"C:\\Windows\\SysWOW64"},
                   {L"C:\\Windows\\System32", L"C:\\Windows\\Sysnative"}};
  ProgramImage system = {L"C:\\Windows\\System32\\notepad.exe", true};
  EXPECT_TRUE(IsImageOf(system, L"C:\\WINDOWS\\system32\\NOTEPAD.EXE", aliases));
  EXPECT_TRUE(IsImageOf(system, L"C:\\Windows\\SysWOW64\\notepad.exe", aliases));
  EXPECT_FALSE(IsImageOf(system, L"C:\\Windows\\SysWOW64x\\notepad.exe", aliases));
  EXPECT_FALSE(IsImageOf(system, L"C:\\Windows\\notepad.exe", aliases));
  EXPECT_FALSE(IsImageOf(system, L"C:\\Windows\\SysWOW64\\notepad.exe", FolderAliases()));
  ProgramImage native = {L"C:\\Windows\\Sysnative\\cmd.exe", true};
  EXPECT_TRUE(IsImageOf(native, L"C:\\Windows\\System32\\cmd.exe", aliases));
  ProgramImage named = {L"Notepad.exe", false};
  EXPECT_TRUE(IsImageOf(named, L"D:\\Apps\\notepad.EXE", aliases));
  EXPECT_FALSE(IsImageOf(named, L"D:\\Apps\\notepad2.exe", aliases));
}

// Front to back: the frontmost comes forward; from one of them, the one furthest back.
TEST(RunningProgram, RaisingCyclesThroughTheProgramsWindows) {
  HWND a = reinterpret_cast<HWND>(0x10), b = reinterpret_cast<HWND>(0x20), c = reinterpret_cast<HWND>(0x30),
       other = reinterpret_cast<HWND>(0x40);
  EXPECT_EQ(nullptr, WindowToRaise({}, other));
  EXPECT_EQ(a, WindowToRaise({a, b, c}, other));
  EXPECT_EQ(a, WindowToRaise({a, b, c}, nullptr));
  EXPECT_EQ(c, WindowToRaise({a, b, c}, a));
  EXPECT_EQ(b, WindowToRaise({a, b, c}, c));  // an always-on-top front window: the one behind it
  EXPECT_EQ(a, WindowToRaise({a}, a));
}

}  // namespace
