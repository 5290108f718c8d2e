// The whole key path with real keys: the real tambrel.exe and tambrelplug.dll in a working
// folder whose conf.xml binds NP to a command; a window of the test's own holds the focus.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "XTools.h"

namespace {

std::vector<std::string> gKeys;

LRESULT CALLBACK KeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  char text[32];
  if (message == WM_KEYDOWN || message == WM_KEYUP) {
    snprintf(text, sizeof text, "%X %02X", message, static_cast<unsigned>(wParam));
    gKeys.push_back(text);
  } else if (message == WM_CHAR) {
    snprintf(text, sizeof text, "char %c", static_cast<char>(wParam));
    gKeys.push_back(text);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kExecuteGuid[] = "{CC0F56FA-93FA-49E0-B66F-167B15808C3E}";
const char kSequenceGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";

TEST(KeyPath, PauseNPRunsTheBindingAndNoKeyReachesTheFocusedWindow) {
  TempWorkDir dir({"tambrelplug.dll", "quitplugin.dll"});
  std::string why = WhyNoXdotool(dir);
  if (!why.empty()) GTEST_SKIP() << why;
  WriteWholeFile(dir.File("quit-after.txt"), "15000");
  std::string marker = dir.File("marker.txt");
  WriteWholeFile(dir.File("conf.xml"),
                 std::string("<tambrel version=\"2.01\"><options/><plugins/><actions><action>") +
                     "<shortcut plugin=\"" + kSequenceGuid + "\">NP</shortcut><actiontype plugin=\"" +
                     kExecuteGuid + "\"><command>cmd.exe</command><parameter>/c echo ran&gt;marker.txt</parameter>"
                     "<dir>" + dir.Path() + "</dir></actiontype></action></actions></tambrel>");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string exe = ProgramFolder() + "\\tambrel.exe";
  ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(),
                             &startup, &process));
  PumpFor(1500);  // the program starts and installs its hook

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = KeyWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TambrelKeyPathWindow";
  RegisterClassA(&windowClass);
  char title[64];
  snprintf(title, sizeof title, "Tambrel key path %lu", GetCurrentProcessId());
  HWND window = CreateWindowA(windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 320,
                              200, nullptr, nullptr, windowClass.hInstance, nullptr);
  UnixShell shell(dir);
  std::string output;
  ASSERT_TRUE(FocusWindow(shell, window, title, &output)) << output;
  gKeys.clear();

  ASSERT_EQ(0, shell.Run("xdotool key --delay 60 Pause n p", &output)) << output;
  EXPECT_TRUE(PumpUntil([&] { return FileExists(marker); }, kTimeoutMs)) << "the binding did not run";
  PumpFor(300);
  EXPECT_TRUE(gKeys.empty()) << gKeys.front();

  // The command's console may have taken the focus: the user clicks back into the window.
  ASSERT_TRUE(FocusWindow(shell, window, title, &output)) << output;
  gKeys.clear();
  ASSERT_EQ(0, shell.Run("xdotool key --delay 60 x", &output)) << output;
  PumpUntil([&] { return gKeys.size() >= 3; }, kTimeoutMs);
  EXPECT_EQ((std::vector<std::string>{"100 58", "char x", "101 58"}), gKeys);  // typing goes on

  DeleteFileA(marker.c_str());
  ASSERT_TRUE(FocusWindow(shell, window, title, &output)) << output;
  gKeys.clear();
  ASSERT_EQ(0, shell.Run("xdotool key --delay 60 Pause n x Pause", &output)) << output;
  PumpFor(1500);
  EXPECT_FALSE(FileExists(marker));
  EXPECT_TRUE(gKeys.empty()) << gKeys.front();

  DestroyWindow(window);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 40000));  // ended through Quit
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(0u, code);
  if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find(std::string("<shortcut plugin=\"") + kSequenceGuid + "\">NP</shortcut>"));
  EXPECT_NE(std::string::npos, written.find("<command>cmd.exe</command>"));
}

}  // namespace
