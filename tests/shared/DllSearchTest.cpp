// Where DLLs are looked for once the search is restricted, as the program's entry does first.
// The setting is the whole process's: it stays for the rest of this test program.
#include <gtest/gtest.h>

#include <string>

#include "DllSearch.h"
#include "TestSupport.h"

namespace {

std::string ModuleFile(HMODULE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

// A DLL reachable by its bare name only through the current folder or only through PATH
// loads before the search is restricted, and from then on loads no more; the system's DLLs
// load by their full path.
TEST(DllSearch, RestrictedNoDllLoadsByNameFromTheCurrentFolderOrPath) {
  const std::string probe = ProgramFolder() + "\\plugdep\\plugdep.dll";
  TempWorkDir onPath;
  ASSERT_TRUE(CopyFileA(probe.c_str(), onPath.File("path-probe.dll").c_str(), FALSE));
  char old[32767] = "";
  GetEnvironmentVariableA("PATH", old, sizeof old);
  SetEnvironmentVariableA("PATH", (onPath.Path() + ";" + old).c_str());
  TempWorkDir current;
  ASSERT_TRUE(CopyFileA(probe.c_str(), current.File("current-probe.dll").c_str(), FALSE));

  for (const char* name : {"path-probe.dll", "current-probe.dll"}) {
    HMODULE module = LoadLibraryA(name);
    EXPECT_NE(nullptr, module) << name << " cannot be reached at all: the test proves nothing";
    FreeLibrary(module);
  }
  EXPECT_TRUE(RestrictDllSearch());
  for (const char* name : {"path-probe.dll", "current-probe.dll"}) {
    HMODULE module = LoadLibraryA(name);
    EXPECT_EQ(nullptr, module) << name << " loaded from " << ModuleFile(module);
    if (module != nullptr) FreeLibrary(module);
  }

  HMODULE theme = LoadSystemLibrary(L"uxtheme.dll");
  ASSERT_NE(nullptr, theme);
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, sizeof system);
  EXPECT_EQ(0, lstrcmpiA((std::string(system) + "\\uxtheme.dll").c_str(), ModuleFile(theme).c_str()));
  FreeLibrary(theme);
  EXPECT_EQ(nullptr, LoadSystemLibrary(L"current-probe.dll"));  // System32 only
  SetEnvironmentVariableA("PATH", old);
}

}  // namespace
