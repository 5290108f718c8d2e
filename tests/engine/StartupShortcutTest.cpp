// The shortcut in the Startup folder of the Wine prefix: made, found, read back and removed
// for real, and listed by the debug report.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineFixture.h"
#include "StartupShortcut.h"

namespace {

TEST(StartupShortcut, StartsThisProgramInItsFolderAndGoesWithEveryOtherShortcutToIt) {
  CleanStartupFolder clean;
  TempWorkDir dir;
  const std::string program = ThisProgram(), ours = StartupShortcutPath();
  ASSERT_FALSE(ours.empty());
  const std::string folder = ours.substr(0, ours.find_last_of('\\'));
  EXPECT_TRUE(FindStartupShortcuts(program).empty());

  // A shortcut of the user's own to this program counts, one to another program does not.
  ASSERT_TRUE(CreateStartupShortcut(program, "C:\\"));
  ASSERT_TRUE(MoveFileA(ours.c_str(), (folder + "\\Mine.lnk").c_str()));
  ASSERT_TRUE(CreateStartupShortcut("C:\\windows\\notepad.exe", "C:\\"));
  ASSERT_TRUE(MoveFileA(ours.c_str(), (folder + "\\Other.lnk").c_str()));
  ASSERT_TRUE(CreateStartupShortcut(program, dir.Path()));
  std::string target, working;
  ASSERT_TRUE(ReadShortcut(ours, &target, &working));
  EXPECT_EQ(program, target);
  EXPECT_EQ(dir.Path(), working);
  std::vector<std::string> found = FindStartupShortcuts(program), sorted = found;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ((std::vector<std::string>{folder + "\\Mine.lnk", ours}), sorted);

  {
    CapturedBoxes boxes;
    FakeHooks hooks;
    TambrelEngine engine;
    engine.WriteDebugReport();
    EXPECT_NE(std::string::npos, ReadWholeFile(dir.File("debug.txt"))
                                     .find("\tStart at sign-in: shortcut " + found[0] + ", " + found[1] + "\r\n"));
  }

  EXPECT_TRUE(RemoveStartupShortcuts(program));
  EXPECT_TRUE(FindStartupShortcuts(program).empty());
  EXPECT_FALSE(FileExists(ours));
  EXPECT_TRUE(FileExists(folder + "\\Other.lnk"));
  DeleteFileA((folder + "\\Other.lnk").c_str());
}

}  // namespace
