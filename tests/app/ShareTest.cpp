// Export... and Import... of the main window, with real files; only the system's file box is
// replaced, by one that picks the test's file.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ConfigFile.h"
#include "ShareBindings.h"
#include "UiFixture.h"
#include "resource.h"

namespace {

const char kMissingGuid[] = "{5EA5EA00-0000-0000-0000-00000000BEEF}";

std::wstring gPath;
int gChoice;  // 0: the box's first choice stands
bool gSaveBox;

bool PickTestFile(HWND, bool save, const wchar_t*, int* choice, std::wstring* path) {
  gSaveBox = save;
  if (gChoice != 0) *choice = gChoice;
  *path = gPath;
  return true;
}

std::string ReadWide(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class ShareTest : public UiTest {
 protected:
  ShareTest() : m_box(gChooseFile) { gChooseFile = PickTestFile; }
  ~ShareTest() override { gChooseFile = m_box; }

  void Export(const std::wstring& path, int choice) {
    gPath = path;
    gChoice = choice;
    Click(IDC_MAIN_EXPORT);
    EXPECT_TRUE(gSaveBox);
  }
  void Import(const std::wstring& path) {
    gPath = path;
    gChoice = 0;
    Click(IDC_MAIN_IMPORT);
    EXPECT_FALSE(gSaveBox);
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)); ++row) rows.push_back(RowText(row, 0));
    return rows;
  }

 private:
  ChooseFileProc m_box;
};

// Exported from one configuration (the chosen binding, then all of them, under a name
// outside the code page), imported into another: each binding gets a new id, the filter
// comes along, the one already there is skipped, and one save writes them.
TEST_F(ShareTest, AnExportRoundTripsIntoAnotherConfiguration) {
  const std::string filtered = std::string("<action><shortcut plugin=\"" SEQUENCE_PLUGIN_GUID
                                           "\" programs=\"alpha.exe\">FX</shortcut><actiontype plugin=\"" EXECUTE_PLUGIN_GUID
                                           "\"><command>fx.exe</command></actiontype></action>");
  Start(SequenceToCommand("np", "C:\\Windows\\notepad.exe") + filtered + SequenceToCommand("Zz", "calc.exe"));
  ASSERT_EQ((std::vector<std::string>{"FX [alpha.exe]", "NP", "ZZ"}), Rows());
  std::wstring one = Wide(dir.File("one.xml")), all = Wide(dir.Path()) + L"\\bindings-\x0416.xml";
  SelectRow(1);
  Export(one, 0);  // the chosen binding is the first choice
  Export(all, 2);
  std::string oneText = ReadWide(one), allText = ReadWide(all);
  EXPECT_EQ(1u, Count(oneText, "<action>")) << oneText;
  EXPECT_NE(std::string::npos, oneText.find("notepad.exe"));
  EXPECT_EQ(3u, Count(allText, "<action>")) << allText;
  EXPECT_EQ(std::string::npos, allText.find("<options"));  // actions and their plugins only
  EXPECT_EQ(2u, Count(allText, "<plugin guid="));
  EXPECT_TRUE(boxes.Texts().empty());
  // Never over conf.xml itself, which the live reload would take for the whole configuration.
  std::string conf = ReadWholeFile(dir.File("conf.xml"));
  Export(Wide(dir.Path()) + L"\\.\\CONF.XML", 2);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Bindings cannot be exported to conf.xml itself: choose another file."});
  EXPECT_EQ(conf, ReadWholeFile(dir.File("conf.xml")));
  boxes.Clear();

  Stop();
  Start(SequenceToCommand("Zz", "calc.exe") + SequenceToCommand("QQ", "q.exe"));
  std::string before = ReadWholeFile(dir.File("conf.xml"));
  Import(all);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Imported: 2 bindings. Skipped, as they were there already: 1."});
  EXPECT_EQ((std::vector<std::string>{"FX [alpha.exe]", "NP", "QQ", "ZZ"}), Rows());
  EXPECT_EQ(4u, engine->Actions().size());
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(before, written);
  EXPECT_NE(std::string::npos, written.find("programs=\"alpha.exe\">FX<")) << written;
  EXPECT_EQ(1u, Count(written, "calc.exe"));
  Import(one);  // all of it there already: nothing to write
  EXPECT_EQ(4u, engine->Actions().size());
  EXPECT_EQ(written, ReadWholeFile(dir.File("conf.xml")));
  DeleteFileW(all.c_str());
}

// N blocks the user's NP: the box lists it before anything changes, and No leaves
// everything as it was. Yes imports, a missing plugin's binding with all its data, and
// that plugin's settings from the file; the user's own plugin settings stay.
TEST_F(ShareTest, AConflictIsListedFirstAndMissingPluginsKeepTheirData) {
  Start(SequenceToCommand("NP", "notepad.exe"));
  std::string file = std::string("<tambrel version=\"2.01\"><plugins><plugin guid=\"" SEQUENCE_PLUGIN_GUID
                                 "\" active=\"no\"/><plugin guid=\"") +
                     kMissingGuid + "\" active=\"yes\"><colour>red</colour></plugin></plugins><actions>" +
                     SequenceToCommand("N", "n.exe") + "<action><shortcut plugin=\"" SEQUENCE_PLUGIN_GUID
                     "\">MI</shortcut><actiontype plugin=\"" + kMissingGuid +
                     "\" speed=\"3\"><data>kept</data></actiontype></action></actions></tambrel>";
  WriteWholeFile(dir.File("conflict.xml"), file);
  std::string before = ReadWholeFile(dir.File("conf.xml"));
  int plugins = engine->Registry().Count();
  const std::string question = "After the import, these bindings would never fire:\n\nNP never fires: N fires first\n\nImport anyway?";

  boxes.Answer(IDNO);
  Import(Wide(dir.File("conflict.xml")));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{question});
  EXPECT_EQ(std::vector<std::string>{"NP"}, Rows());
  EXPECT_EQ(1u, engine->Actions().size());
  EXPECT_EQ(plugins, engine->Registry().Count());
  EXPECT_EQ(before, ReadWholeFile(dir.File("conf.xml")));

  boxes.Clear();
  boxes.Answer(IDYES);
  Import(Wide(dir.File("conflict.xml")));
  std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ(question, texts[0]);
  EXPECT_EQ(std::string("While loading configuration: No plugin with GUID ") + kMissingGuid, texts[1]);
  EXPECT_EQ("Imported: 2 bindings. Skipped, as they were there already: 0.", texts[2]);
  EXPECT_EQ(3u, Rows().size());
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("speed=\"3\">\n        <data>kept</data>")) << written;
  EXPECT_NE(std::string::npos, written.find(std::string("<plugin guid=\"") + kMissingGuid + "\" active=\"yes\">\n      <colour>red</colour>"));
  EXPECT_NE(std::string::npos, written.find("<plugin guid=\"" SEQUENCE_PLUGIN_GUID "\" active=\"yes\""));
}

// Files that cannot be loaded get the messages of conf.xml's load, and nothing changes.
TEST_F(ShareTest, ABadFileChangesNothing) {
  Start(SequenceToCommand("NP", "notepad.exe"));
  std::string before = ReadWholeFile(dir.File("conf.xml"));
  struct Bad {
    const char* name;
    const char* contents;  // null: no such file
    std::string box;       // the start of the one box; the reason follows
  };
  const std::string open = "Couldn't open configuration file " + dir.File("bad.xml") + "!\n\n";
  const Bad files[] = {
      {"not well-formed", "<tambrel version=\"2.01\"><actions><action></actions>", open + "Line 1: "},
      {"no root of ours", "<config version=\"2.01\"/>",
       "While loading configuration: Couldn't locate <tambrel> in the configuration file!"},
      {"no actions", "<tambrel version=\"2.01\"><plugins/></tambrel>",
       "While loading configuration: Couldn't locate <actions> in the configuration file!"},
      {"missing", nullptr, open},
  };
  for (const Bad& bad : files) {
    SCOPED_TRACE(bad.name);
    DeleteFileA(dir.File("bad.xml").c_str());
    if (bad.contents != nullptr) WriteWholeFile(dir.File("bad.xml"), bad.contents);
    boxes.Clear();
    Import(Wide(dir.File("bad.xml")));
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(bad.box, boxes.Texts()[0].substr(0, bad.box.size()));
    EXPECT_EQ(std::vector<std::string>{"NP"}, Rows());
    EXPECT_EQ(1u, engine->Actions().size());
    EXPECT_EQ(before, ReadWholeFile(dir.File("conf.xml")));
  }
}

}  // namespace
