// Real message boxes under Wine: found by caption, read and dismissed as a user would.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

// Waits for a top-level dialog captioned "Tambrel", reads its text and presses OK.
bool DismissTambrelBox(std::string* text) {
  for (int i = 0; i < 200; ++i) {
    HWND box = FindWindowA("#32770", "Tambrel");
    if (box != nullptr && IsWindowVisible(box)) {
      char buffer[1024] = "";
      GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
      *text = buffer;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      for (int j = 0; j < 200 && IsWindow(box); ++j) Sleep(25);
      return true;
    }
    Sleep(25);
  }
  return false;
}

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
