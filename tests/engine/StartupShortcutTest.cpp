// The Startup folder's shortcut, written and read through the shell's UTF-16 interfaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StartupShortcut.h"
#include "TestSupport.h"

namespace {

// A program in a folder whose name the system code page lacks (the tests' 1252 has neither
// Cyrillic nor the check mark): its shortcut keeps both paths whole, is found by them and
// goes with them. Through the A functions the path came back with "?" and named nothing.
TEST(StartupShortcut, APathOutsideTheCodePageIsKeptWhole) {
  TempWorkDir dir;
  const std::wstring folder = Wide(dir.Path()) + L"\\\x041C\x0438\x0440 \x2713";
  const std::wstring program = folder + L"\\tambrel.exe";
  struct Cleanup {  // the work folder's own removal goes by the A functions
    const std::wstring& folder;
    const std::wstring& program;
    ~Cleanup() {
      RemoveStartupShortcuts(program);
      DeleteFileW(program.c_str());
      RemoveDirectoryW(folder.c_str());
    }
  } cleanup{folder, program};
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  HANDLE file = CreateFileW(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);

  ASSERT_TRUE(CreateStartupShortcut(program, folder));
  std::wstring target, working;
  ASSERT_TRUE(ReadShortcut(StartupShortcutPath(), &target, &working));
  EXPECT_TRUE(target == program);
  EXPECT_TRUE(working == folder);
  EXPECT_EQ(std::vector<std::wstring>{StartupShortcutPath()}, FindStartupShortcuts(program));
  EXPECT_TRUE(FindStartupShortcuts(folder + L"\\other.exe").empty());
  EXPECT_TRUE(RemoveStartupShortcuts(program));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(StartupShortcutPath().c_str()));
}

}  // namespace
