// Real message boxes under Wine: found by caption, read and dismissed as a user would.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {


TEST(RealMessageBox, FailedStartUpShowsItsBoxesInOrderAndExitsWithZero) {
  TempWorkDir dir({"cplugin_empty.dll"});
  std::string probe = ProgramFolder() + "\\boxprobe.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(probe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                             dir.Path().c_str(), &startup, &process));
  std::string first, second;
  EXPECT_TRUE(DismissTambrelBox(&first));
  EXPECT_TRUE(DismissTambrelBox(&second));
  EXPECT_EQ("Couldn't allocate a hook heap!", first);
  EXPECT_EQ("Main initialization failed!", second);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(0u, code);
  if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
