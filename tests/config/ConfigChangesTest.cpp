// Nothing a user wrote is lost: saves that change nothing write nothing, a file that another
// program changed is loaded (or kept beside conf.xml), a file that cannot be loaded is never
// written over, and the backup is always a good file the user had.
#include <gtest/gtest.h>

#include "ConfigFile.h"
#include "EngineFixture.h"
#include "TestPluginsLib.h"

namespace {

const char kShortcutGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";
const char kActionGuid[] = "{7E570000-0000-0000-0000-00000000AC71}";

std::string Binding(const std::string& shortcut, const std::string& action) {
  return "<action><shortcut plugin=\"" + std::string(kShortcutGuid) + "\">" + shortcut + "</shortcut><actiontype plugin=\"" +
         kActionGuid + "\">" + action + "</actiontype></action>";
}

std::string File(const std::string& actions, const char* log = "yes") {
  return std::string("<?xml version=\"1.0\"?>\n<tambrel version=\"2.01\"><options><option name=\"log\">") + log +
         "</option></options><plugins/><actions>" + actions + "</actions></tambrel>\n";
}

std::string Bindings(TambrelEngine& engine) {
  std::string text;
  for (auto& binding : engine.Actions())
    text += std::string(engine.ShortcutOf(binding.second.shortcutPluginId)->GetShortcutText(binding.first)) + "=" +
            engine.ActionOf(binding.second.actionPluginId)->GetActionText(binding.first) + ";";
  return text;
}

// Names of the files of the folder that begin with prefix.
std::vector<std::string> FilesLike(const TempWorkDir& dir, const char* prefix) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(dir.File((std::string(prefix) + "*").c_str()).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

struct ConfigChanges : ::testing::Test {
  TempWorkDir dir{"testplugins.dll"};
  TestPluginsLib lib{dir};
  CapturedBoxes boxes;
  FakeHooks hooks;
  std::string Conf() { return ReadWholeFile(dir.File("conf.xml")); }
  std::string Log() { return ReadWholeFile(dir.File("tambrel.log")); }
};

// conf.xml in a folder that the system code page cannot name: replaced with its backup, kept
// aside, its backup's time read and its folder watched.
TEST(ConfigStore, WorksInAFolderTheCodePageCannotName) {
  TempWorkDir dir;
  std::wstring folder = MakeUnicodeFolder(dir);
  ConfigStore store(folder + L"\\conf.xml");
  ASSERT_TRUE(store.Replace("first", nullptr));
  HANDLE watch = store.WatchHandle();
  ASSERT_NE(INVALID_HANDLE_VALUE, watch);
  std::string old = "first";
  ASSERT_TRUE(store.Replace("second", &old));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watch, 5000));
  std::string bytes, error;
  EXPECT_EQ(ConfigStore::kRead, store.Read(&bytes, &error));
  EXPECT_EQ("second", bytes);
  EXPECT_EQ(ConfigStore::kRead, store.Read(&bytes, &error, true));
  EXPECT_EQ("first", bytes);
  std::string when;
  EXPECT_TRUE(store.BackupTime(&when));
  std::wstring kept = store.KeepAside("other");
  EXPECT_EQ(0u, kept.find(folder + L"\\conf.xml.not-loaded-"));
  EXPECT_EQ("other", ReadWholeFile(kept));
}

TEST_F(ConfigChanges, SavesThatChangeNothingWriteNothing) {
  {
    TambrelEngine engine;  // no file: written from defaults at the end
  }
  std::string written = Conf();
  WIN32_FILE_ATTRIBUTE_DATA before, after;
  ASSERT_TRUE(GetFileAttributesExA(dir.File("conf.xml").c_str(), GetFileExInfoStandard, &before));
  // A touch that an editor or a sync tool would see: an old time on the file.
  FILETIME old = {0x10000000, 0x01D00000};
  {
    UniqueFile file(CreateFileA(dir.File("conf.xml").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &old));
  }
  {
    TambrelEngine engine;
    EXPECT_TRUE(engine.ShowDialog(0, false));
    EXPECT_TRUE(engine.Config().Save());
  }  // and the shut-down save
  ASSERT_TRUE(GetFileAttributesExA(dir.File("conf.xml").c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ(0, CompareFileTime(&old, &after.ftLastWriteTime));
  EXPECT_EQ(written, Conf());
  EXPECT_FALSE(FileExists(dir.File("conf.xml.bak")));
  EXPECT_TRUE(boxes.Boxes().empty());
}

// A file in another layout than Tambrel's (written by hand, or by the converter): its load
// works out only the head of what Tambrel would write, and the bindings count as unchanged
// until the engine edits one. Each kind of edit is written by the next save, alone.
TEST_F(ConfigChanges, AfterAFileInAnotherLayoutIsLoadedEachKindOfEditIsWrittenAndNothingElse) {
  const std::string original = File(Binding("NP", "notepad") + Binding("CC", "calc"));
  struct Edit {
    const char* name;
    void (*make)(TambrelEngine&, TestPluginsLib&);
    const char* written;  // text the save must write; null: the file stays as it is
  };
  const Edit edits[] = {
      {"none", [](TambrelEngine&, TestPluginsLib&) {}, nullptr},
      {"remove", [](TambrelEngine& e, TestPluginsLib&) { e.SelectAction(1); e.RemoveAction(); }, "<actions>\n    <action>\n      <shortcut plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\">CC<"},
      {"copy", [](TambrelEngine& e, TestPluginsLib&) { e.SelectAction(2); e.CopyAction(); }, "<actiontype plugin=\"{7E570000-0000-0000-0000-00000000AC71}\"/>"},
      {"plugin setting", [](TambrelEngine&, TestPluginsLib& l) { l.SetSetting("changed"); }, "<setting>changed</setting>"},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.name);
    WriteWholeFile(dir.File("conf.xml"), original);
    TambrelEngine engine;
    edit.make(engine, lib);
    ASSERT_TRUE(engine.Config().Save());
    if (edit.written == nullptr)
      EXPECT_EQ(original, Conf());
    else
      EXPECT_NE(std::string::npos, Conf().find(edit.written)) << Conf();
    lib.SetSetting("default");
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

// The same after a reload: a binding deleted since is neither dropped for the next edit
// without asking nor left unwritten.
TEST_F(ConfigChanges, ABindingEditAfterAReloadIsNeitherDroppedNorLeftUnwritten) {
  WriteWholeFile(dir.File("conf.xml"), File(Binding("NP", "notepad")));
  TambrelEngine engine;
  std::string edit = File(Binding("CC", "calc") + Binding("XX", "gone"));
  WriteWholeFile(dir.File("conf.xml"), edit);
  engine.Config().TakeChanges();  // nothing of Tambrel's own: loaded without a question
  ASSERT_EQ("CC=calc;XX=gone;", Bindings(engine));
  ASSERT_TRUE(boxes.Boxes().empty());
  engine.SelectAction(engine.Actions().rbegin()->first);
  engine.RemoveAction();
  WriteWholeFile(dir.File("conf.xml"), edit + " ");
  boxes.Answer(IDNO);
  engine.Config().TakeChanges();
  ASSERT_EQ(1u, boxes.Texts().size());
  EXPECT_EQ(0u, boxes.Texts()[0].find("conf.xml was changed by another program. Load it now?"));
  EXPECT_TRUE(engine.Config().Save());
  EXPECT_EQ(std::string::npos, Conf().find(">XX<"));
  EXPECT_NE(std::string::npos, Conf().find(">CC<"));
}

// The backup is what a save replaced: a file that was loaded.
TEST_F(ConfigChanges, ASaveKeepsTheFileItReplacesAsTheBackup) {
  std::string original = File(Binding("NP", "notepad"));
  WriteWholeFile(dir.File("conf.xml"), original);
  TambrelEngine engine;
  engine.Options().autoShow = true;
  ASSERT_TRUE(engine.Config().Save());
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml.bak")));
  std::string first = Conf();
  engine.Options().autoShow = false;
  ASSERT_TRUE(engine.Config().Save());
  EXPECT_EQ(first, ReadWholeFile(dir.File("conf.xml.bak")));
  EXPECT_FALSE(FileExists(dir.File("conf.xml.bak.new")));
}

BOOL WINAPI NoHardLinks(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES) {
  SetLastError(ERROR_INVALID_FUNCTION);
  return FALSE;
}

int gWrites;
BOOL WINAPI SecondFileFails(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  if (++gWrites == 2) {  // the backup's copy, after the new text
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  return WriteFile(file, data, size, written, overlapped);
}

// Where the file system has no hard links, the backup is a copy under a name of its own,
// renamed over the old backup once complete: a copy that fails leaves the old backup whole.
TEST_F(ConfigChanges, WithoutHardLinksTheBackupIsACopyThatNeverHalfReplacesTheOld) {
  std::string original = File(Binding("NP", "notepad"));
  WriteWholeFile(dir.File("conf.xml"), original);
  TambrelEngine engine;
  gConfigHardLink = NoHardLinks;
  engine.Options().autoShow = true;
  EXPECT_TRUE(engine.Config().Save());
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml.bak")));
  std::string first = Conf();

  gWrites = 0;
  gConfigWriteFile = SecondFileFails;
  engine.Options().autoShow = false;
  EXPECT_TRUE(engine.Config().Save());  // the backup is best effort
  gConfigWriteFile = WriteFile;
  gConfigHardLink = CreateHardLinkW;
  EXPECT_EQ(original, ReadWholeFile(dir.File("conf.xml.bak")));
  EXPECT_NE(first, Conf());
  EXPECT_FALSE(FileExists(dir.File("conf.xml.bak.new")));
}

TEST_F(ConfigChanges, TheBackupQuestionBothWaysAndABackupKeptAfterTwoStartsWithoutConfXml) {
  std::string users = File(Binding("NP", "notepad"));
  WriteWholeFile(dir.File("conf.xml.bak"), users);
  std::string when;
  ConfigStore store(Wide(dir.File("conf.xml")));
  ASSERT_TRUE(store.BackupTime(&when));
  const std::string question = "conf.xml is missing. Start from the backup conf.xml.bak of " + when + "?";
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    DeleteFileA(dir.File("conf.xml").c_str());
    boxes.Clear();
    boxes.Answer(IDNO);
    {
      TambrelEngine engine;
      EXPECT_TRUE(engine.Actions().empty());
      engine.Options().autoShow = true;
      EXPECT_TRUE(engine.Config().Save());
      engine.Options().autoShow = false;
      EXPECT_TRUE(engine.Config().Save());  // the file it replaces was made from defaults
    }
    ASSERT_EQ(std::vector<std::string>{question}, boxes.Texts());
    EXPECT_EQ(MB_YESNO, boxes.Boxes()[0].type & MB_TYPEMASK);
    EXPECT_EQ(users, ReadWholeFile(dir.File("conf.xml.bak")));
  }

  DeleteFileA(dir.File("conf.xml").c_str());
  boxes.Clear();
  boxes.Answer(IDYES);
  TambrelEngine engine;
  EXPECT_EQ(std::vector<std::string>{question}, boxes.Texts());
  EXPECT_EQ("NP=notepad;", Bindings(engine));
  EXPECT_EQ(users, Conf());
  EXPECT_EQ(users, ReadWholeFile(dir.File("conf.xml.bak")));
}

// Another program's edit that the quiet time has not brought in yet: a save that has
// nothing of its own loads it rather than writing over it.
TEST_F(ConfigChanges, AnEditNotYetLoadedIsLoadedBeforeASave) {
  WriteWholeFile(dir.File("conf.xml"), File(Binding("NP", "notepad")));
  TambrelEngine engine;
  std::string edit = File(Binding("NP", "notepad") + Binding("CC", "calc"));
  WriteWholeFile(dir.File("conf.xml"), edit);
  EXPECT_TRUE(engine.ShowDialog(0, false));
  EXPECT_EQ("NP=notepad;CC=calc;", Bindings(engine));
  EXPECT_EQ(edit, Conf());
  EXPECT_NE(std::string::npos, Log().find("conf.xml was changed by another program and is loaded again: 2 bindings"));
  EXPECT_TRUE(boxes.Boxes().empty());
}

// Both changed: Tambrel writes its own, and the other file is kept beside, byte for byte.
TEST_F(ConfigChanges, AnEditWhileTambrelHasChangesOfItsOwnIsKeptBeside) {
  std::string original = File(Binding("NP", "notepad"));
  WriteWholeFile(dir.File("conf.xml"), original);
  TambrelEngine engine;
  engine.Options().autoShow = true;
  std::string edit = File(Binding("CC", "calc"));
  WriteWholeFile(dir.File("conf.xml"), edit);
  EXPECT_TRUE(engine.Config().Save());
  std::vector<std::string> kept = FilesLike(dir, "conf.xml.not-loaded-");
  ASSERT_EQ(1u, kept.size());
  EXPECT_EQ(edit, ReadWholeFile(dir.File(kept[0].c_str())));
  EXPECT_NE(std::string::npos, Conf().find(">NP</shortcut>"));
  EXPECT_FALSE(FileExists(dir.File("conf.xml.bak")));  // the other file never becomes it
  EXPECT_NE(std::string::npos, Log().find("the other file is kept as " + dir.File(kept[0].c_str())));
  EXPECT_TRUE(boxes.Boxes().empty());
}

// At the end of a run a balloon would go with the program: where the other file is kept is
// said in a box.
TEST_F(ConfigChanges, AFileKeptBesideAtShutDownIsNamedInABox) {
  WriteWholeFile(dir.File("conf.xml"), File(Binding("NP", "notepad")));
  {
    TambrelEngine engine;
    engine.Options().autoShow = true;
    WriteWholeFile(dir.File("conf.xml"), File(Binding("CC", "calc")));
  }
  std::vector<std::string> kept = FilesLike(dir, "conf.xml.not-loaded-");
  ASSERT_EQ(1u, kept.size());
  ASSERT_EQ(1u, boxes.Texts().size());
  EXPECT_NE(std::string::npos, boxes.Texts()[0].find("is kept as " + dir.File(kept[0].c_str())));
  EXPECT_NE(std::string::npos, Conf().find(">NP</shortcut>"));
}

TEST_F(ConfigChanges, ABrokenEditIsReportedOnceAndKeptByteForByteBeforeAnyWrite) {
  std::string original = File(Binding("NP", "notepad"));
  WriteWholeFile(dir.File("conf.xml"), original);
  TambrelEngine engine;
  const std::string broken = "<tambrel version=\"2.01\">\n<options>\n<option name=\"log\">yes</opt>\n";
  WriteWholeFile(dir.File("conf.xml"), broken);
  engine.Config().TakeChanges();
  engine.Config().TakeChanges();  // the same bytes again: reported once
  EXPECT_TRUE(engine.ShowDialog(0, false));  // nothing of its own to write: the file stays
  EXPECT_EQ(broken, Conf());
  EXPECT_EQ("NP=notepad;", Bindings(engine));  // the running bindings stay
  EXPECT_EQ(1, Count(Log(), "Tambrel cannot load it"));
  EXPECT_NE(std::string::npos, Log().find("Line 3: Opening and ending tag mismatch")) << Log();
  EXPECT_TRUE(boxes.Boxes().empty());  // no box takes the focus

  engine.Options().autoShow = true;  // now there is something to write
  EXPECT_TRUE(engine.Config().Save());
  std::vector<std::string> kept = FilesLike(dir, "conf.xml.not-loaded-");
  ASSERT_EQ(1u, kept.size());
  EXPECT_EQ(broken, ReadWholeFile(dir.File(kept[0].c_str())));
  EXPECT_FALSE(FileExists(dir.File("conf.xml.bak")));
  EXPECT_NE(std::string::npos, Conf().find(">NP</shortcut>"));
}

TEST_F(ConfigChanges, AChangedFileIsLoadedInPlaceOfTheRunningConfiguration) {
  WriteWholeFile(dir.File("conf.xml"), File(Binding("NP", "notepad") + Binding("XX", "gone")));
  TambrelEngine engine;
  lib.ClearTrace();
  std::string edit = File(Binding("CC", "calc"));
  edit.replace(edit.find("<plugins/>"), 10,
               "<plugins><plugin guid=\"" + std::string(kActionGuid) + "\" active=\"no\"><setting>new</setting></plugin></plugins>");
  WriteWholeFile(dir.File("conf.xml"), edit);
  engine.Config().TakeChanges();
  EXPECT_EQ("CC=calc;", Bindings(engine));
  EXPECT_EQ(3, engine.Actions().begin()->first);  // ids are never given twice in a run
  EXPECT_FALSE(engine.FindPlugin(2)->active);
  EXPECT_TRUE(engine.HookInstalled());
  std::string trace = lib.Trace();
  // The plugins dropped the old bindings before they read the new ones.
  EXPECT_NE(std::string::npos, trace.find("A Remove(1)"));
  EXPECT_NE(std::string::npos, trace.find("S Remove(2)"));
  EXPECT_LT(trace.find("S Remove(2)"), trace.find("A Load(3,calc)"));
  EXPECT_TRUE(boxes.Boxes().empty());
  // Loaded, the file is what Tambrel last read: a save with no change writes nothing.
  EXPECT_TRUE(engine.Config().Save());
  EXPECT_EQ(edit, Conf());
}

TEST_F(ConfigChanges, TambrelsOwnChangesAreNotDroppedWithoutAsking) {
  WriteWholeFile(dir.File("conf.xml"), File(Binding("NP", "notepad")));
  TambrelEngine engine;
  engine.Options().autoShow = true;  // not yet written
  std::string edit = File(Binding("CC", "calc"));
  WriteWholeFile(dir.File("conf.xml"), edit);
  boxes.Answer(IDNO);
  engine.Config().TakeChanges();
  ASSERT_EQ(1u, boxes.Texts().size());
  EXPECT_EQ(0u, boxes.Texts()[0].find("conf.xml was changed by another program. Load it now?"));
  EXPECT_EQ("NP=notepad;", Bindings(engine));
  engine.Config().TakeChanges();  // declined once, not asked again
  EXPECT_EQ(1u, boxes.Texts().size());
  EXPECT_TRUE(engine.Config().Save());
  ASSERT_EQ(1u, FilesLike(dir, "conf.xml.not-loaded-").size());
  EXPECT_NE(std::string::npos, Conf().find("\"autoshow\">yes<"));

  // Another edit, and this time Yes.
  boxes.Clear();
  boxes.Answer(IDYES);
  engine.Options().autoShow = false;
  WriteWholeFile(dir.File("conf.xml"), edit + " ");
  engine.Config().TakeChanges();
  EXPECT_EQ(1u, boxes.Texts().size());
  EXPECT_EQ("CC=calc;", Bindings(engine));
}

}  // namespace
