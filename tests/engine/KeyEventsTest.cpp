// Real key events from the X server through the real engine and its installed hook: the
// plugin library of the working folder sees every key, and the focused window receives
// exactly the keys that were not swallowed.
//
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "Engine.h"
#include "TestSupport.h"
#include "XTools.h"

namespace {

std::vector<std::string> gWindowKeys;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  char text[32];
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      snprintf(text, sizeof text, "%X %02X", message, static_cast<unsigned>(wParam));
      gWindowKeys.push_back(text);
      break;
    case WM_CHAR:
      snprintf(text, sizeof text, "char %c", static_cast<char>(wParam));
      gWindowKeys.push_back(text);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find('\n', start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(KeyEvents, FocusedWindowGetsExactlyTheKeysNotSwallowed) {
  TempWorkDir dir({"keyprobe.dll"});
  std::string why = WhyNoXdotool(dir);
  if (!why.empty()) GTEST_SKIP() << why;
  UnixShell shell(dir);
  std::string output;

  CapturedBoxes boxes;
  TambrelEngine engine;  // the real hookpad and the real hook
  ASSERT_TRUE(engine.IsStarted());
  ASSERT_TRUE(engine.HookInstalled());
  ASSERT_EQ(1, engine.Registry().Count());
  ASSERT_STREQ("Key Probe", engine.FindPlugin(1)->name);
  typedef const char* (*TraceProc)();
  TraceProc trace = reinterpret_cast<TraceProc>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA(dir.File("keyprobe.dll").c_str()), "KeyProbeTrace")));
  ASSERT_NE(nullptr, trace);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TambrelKeyEventsProbe";
  RegisterClassA(&windowClass);
  char title[64];
  snprintf(title, sizeof title, "Tambrel key events %lu", GetCurrentProcessId());
  HWND window = CreateWindowA(windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 320, 200, nullptr, nullptr, windowClass.hInstance,
                              nullptr);
  ASSERT_NE(nullptr, window);
  PumpFor(200);

  ASSERT_TRUE(FocusWindow(shell, window, title, &output)) << output;
  gWindowKeys.clear();

  ASSERT_EQ(0, shell.Run("xdotool key --delay 40 a q b q c", &output)) << output;
  const std::vector<std::string> seen = {"100 41", "101 41", "100 51", "101 51", "100 42",
                                         "101 42", "100 51", "101 51", "100 43", "101 43"};
  const std::vector<std::string> received = {"100 41", "char a", "101 41",
                                             "100 42", "char b", "101 42",
                                             "100 43", "char c", "101 43"};
  PumpUntil([&] { return gWindowKeys.size() >= received.size(); }, kTimeoutMs);
  PumpFor(300);  // anything that would arrive late
  EXPECT_EQ(seen, Lines(trace()));  // the plugin sees every event, the Q key-ups too
  EXPECT_EQ(received, gWindowKeys);  // neither half of a Q reaches the window
  DestroyWindow(window);
}

}  // namespace
