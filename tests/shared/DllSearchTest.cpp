// Where DLLs are looked for once the search is restricted, as the program's entry does first.
// The setting is the whole process's: it stays for the rest of this test program.
#include <gtest/gtest.h>

#include <string>

#include "DllSearch.h"
#include "TestSupport.h"

namespace {

// A DLL reachable by its bare name only through the current folder or only through PATH
// loads before the search is restricted, and from then on loads no more.
TEST(DllSearch, RestrictedNoDllLoadsByNameFromTheCurrentFolderOrPath) {
  const std::string probe = ProgramFolder() + "\\plugdep\\plugdep.dll";
  TempWorkDir onPath;
  ASSERT_TRUE(CopyFileA(probe.c_str(), onPath.File("path-probe.dll").c_str(), FALSE));
  PathFirst path(onPath.Path());
  TempWorkDir current;
  ASSERT_TRUE(CopyFileA(probe.c_str(), current.File("current-probe.dll").c_str(), FALSE));
  const char* const kNames[] = {"path-probe.dll", "current-probe.dll"};
  for (const char* name : kNames) {
    HMODULE module = LoadLibraryA(name);
    EXPECT_NE(nullptr, module) << name << " cannot be reached at all: the test proves nothing";
    FreeLibrary(module);
  }
  EXPECT_TRUE(RestrictDllSearch());
  for (const char* name : kNames) EXPECT_EQ(nullptr, LoadLibraryA(name)) << name;
  EXPECT_EQ(nullptr, LoadSystemLibrary(L"current-probe.dll"));  // System32 only
}

}  // namespace
