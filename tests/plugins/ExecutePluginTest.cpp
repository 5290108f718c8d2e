// The execute-file action: its record in conf.xml, its page, and a real shell call.
#include <gtest/gtest.h>

#include "XmlFragments.h"
#include <libxml/tree.h>

#include "Library.h"
#include "PluginResources.h"
#include "TestSupport.h"
#include "execute/ExecutePlugin.h"

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

TEST_F(ExecutePluginTest, ExecutesThroughTheShellOnlyWhileEnabled) {
  TempWorkDir dir;
  xmlDocPtr doc;
  std::string xml = "<a><command>cmd.exe</command><parameter>/c echo ran&gt; marker.txt</parameter><dir>" +
                    dir.Path() + "</dir></a>";
  xmlNode* root = Parse(&doc, xml.c_str());
  plugin->Load(1, root->children);
  xmlFreeDoc(doc);
  plugin->Execute(1);
  Sleep(1500);
  EXPECT_FALSE(FileExists(dir.File("marker.txt")));  // disabled
  plugin->SetEnabled(true);
  plugin->Execute(2);  // no data: nothing
  plugin->Execute(1);
  for (int i = 0; i < 100 && !FileExists(dir.File("marker.txt")); ++i) Sleep(50);
  EXPECT_TRUE(FileExists(dir.File("marker.txt")));
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
  type->DestroyPage();
  EXPECT_EQ(nullptr, GetWindow(parent, GW_CHILD));
  DestroyWindow(parent);
}

}  // namespace
