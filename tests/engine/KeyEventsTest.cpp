// Real key events from the X server through the real engine and its installed hook: the
// plugin library of the working folder sees every key, and the focused window receives
// exactly the keys that were not swallowed.
//
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "../hookpad/HookHeapLayout.h"
#include "Engine.h"
#include "HookApi.h"
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

// A window of the test's own with the X focus, its key log empty; null when it cannot have it.
HWND FocusedProbeWindow(UnixShell& shell) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TambrelKeyEventsProbe";
  RegisterClassA(&windowClass);
  char title[64];
  snprintf(title, sizeof title, "Tambrel key events %lu", GetCurrentProcessId());
  HWND window = CreateWindowA(windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 320, 200,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  PumpFor(200);
  std::string output;
  if (window != nullptr && !FocusWindow(shell, window, title, &output)) {
    ADD_FAILURE() << output;
    DestroyWindow(window);
    return nullptr;
  }
  gWindowKeys.clear();
  return window;
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

  HWND window = FocusedProbeWindow(shell);
  ASSERT_NE(nullptr, window);

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

// The hook seam lets the test find the engine's hook, to remove it behind the engine's back
// as Windows does with a hook that was too slow.
HHOOKHEAP gHookHeap;
DWORD gHookSlot;

DWORD __stdcall RecordingAllocHook(HHOOKHEAP heap, int type, HookThunkProc proc, void* context, HMODULE module,
                                   DWORD thread) {
  gHookHeap = heap;
  gHookSlot = AllocHook(heap, type, proc, context, module, thread);
  return gHookSlot;
}

HHOOK InstalledHook() {
  const hookpad::HeapHeader* header = reinterpret_cast<const hookpad::HeapHeader*>(gHookHeap);
  HHOOK hook;
  memcpy(&hook, header->thunks + gHookSlot * hookpad::kThunkSize + hookpad::kThunkHookOffset, sizeof hook);
  return hook;
}

TEST(KeyEvents, ALostHookIsInstalledAgainOnceKeysArriveWithoutIt) {
  TempWorkDir dir({"tambrelplug.dll"});
  std::string why = WhyNoXdotool(dir);
  if (!why.empty()) GTEST_SKIP() << why;
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options><option name=\"log\">yes</option></options><plugins/><actions>"
                 "<action><shortcut plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\">NP</shortcut>"
                 "<actiontype plugin=\"{92DF9468-C0AE-4198-91C8-53296E9EA06E}\">ok</actiontype></action>"
                 "</actions></tambrel>");
  UnixShell shell(dir);
  std::string output;
  CapturedBoxes boxes;
  HookApi saved = gHookApi;
  gHookApi.allocHook = RecordingAllocHook;
  {
    TambrelEngine engine;
    ASSERT_TRUE(engine.HookInstalled());
    HWND window = FocusedProbeWindow(shell);
    ASSERT_NE(nullptr, window);

    // While the hook sees every key, the watchdog keeps still.
    ASSERT_EQ(0, shell.Run("xdotool key --delay 60 a b", &output)) << output;
    PumpFor(300);
    EXPECT_EQ(std::string::npos, ReadWholeFile(dir.File("tambrel.log")).find("keyboard hook"));

    ASSERT_TRUE(UnhookWindowsHookEx(InstalledHook()));
    gWindowKeys.clear();
    // Unseen by the engine, these reach the window; the watchdog's timer finds them.
    ASSERT_EQ(0, shell.Run("xdotool key --delay 60 x y", &output)) << output;
    PumpFor(kWatchdogGraceMs + 500);
    ASSERT_EQ(0, shell.Run("xdotool key --delay 60 Pause n p", &output)) << output;
    PumpUntil([&] { return gWindowKeys.size() >= 12; }, kTimeoutMs);
    PumpFor(300);
    const std::vector<std::string> received = {"100 58", "char x", "101 58", "100 59", "char y", "101 59",
                                               "100 4F", "char o", "101 4F", "100 4B", "char k", "101 4B"};
    EXPECT_EQ(received, gWindowKeys);  // the Tambrel key and the binding work again
    DestroyWindow(window);
  }
  gHookApi = saved;
  EXPECT_NE(std::string::npos, ReadWholeFile(dir.File("tambrel.log"))
                                   .find("Notice: The keyboard hook had stopped receiving keys; it is installed again"));
}

}  // namespace
