// Key to action: from the X key event of a shortcut's last key to the first character of its
// macro arriving at a focused window of the benchmark's own, through the real tambrel.exe
// and tambrelplug.dll; and the same through barehook.exe, one low-level hook that types from
// inside itself, the least such a tool can do.
//
// The benchmark's own low-level hook is installed after the program's, so it sees each key
// event first, as soon as Wine has it from the X server: that is where the clock starts. It
// stops at the window's WM_CHAR. Both clocks are this process's.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "TestSupport.h"
#include "XTools.h"

namespace {

const int kRuns = 60;
double gKeyAt, gCharAt;
HHOOK gHook;

LRESULT CALLBACK FirstHook(int code, WPARAM message, LPARAM event) {
  const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(event);
  if (code == HC_ACTION && message == WM_KEYUP && key->vkCode == 'T' && (key->flags & LLKHF_INJECTED) == 0)
    gKeyAt = Seconds();
  return CallNextHookEx(gHook, code, message, event);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && wParam == 'x' && gCharAt == 0) gCharAt = Seconds();
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Figures {
  double median, p90;
  int runs;
};

// Runs the keys again and again, the benchmark's hook first in the chain; milliseconds.
Figures Measure(UnixShell& shell, const char* keys) {
  gHook = SetWindowsHookExA(WH_KEYBOARD_LL, FirstHook, GetModuleHandleA(nullptr), 0);
  std::vector<double> times;
  std::string output;
  for (int run = 0; run < kRuns; ++run) {
    gKeyAt = gCharAt = 0;
    shell.Run(std::string("xdotool key --delay 40 ") + keys, &output);
    if (PumpUntil([] { return gCharAt != 0; }, 2000) && gKeyAt != 0) times.push_back((gCharAt - gKeyAt) * 1e3);
    PumpFor(50);
  }
  UnhookWindowsHookEx(gHook);
  std::sort(times.begin(), times.end());
  if (times.empty()) return Figures{0, 0, 0};
  return Figures{times[times.size() / 2], times[times.size() * 9 / 10], static_cast<int>(times.size())};
}

bool Start(const std::string& exe, const TempWorkDir& dir, PROCESS_INFORMATION* process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &startup,
                      process))
    return false;
  PumpFor(2000);  // up, with its hook installed before the benchmark's
  return true;
}

void End(PROCESS_INFORMATION* process) {
  if (WaitForSingleObject(process->hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(process->hProcess, 1);
  CloseHandle(process->hThread);
  CloseHandle(process->hProcess);
}

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  TempWorkDir dir({"tambrelplug.dll"});
  std::string why = WhyNoXdotool(dir);
  if (!why.empty()) {
    printf("no latency figures: %s\n", why.c_str());
    return 0;
  }
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options/><plugins/><actions><action>"
                 "<shortcut plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\">LT</shortcut>"
                 "<actiontype plugin=\"{92DF9468-C0AE-4198-91C8-53296E9EA06E}\">x</actiontype>"
                 "</action></actions></tambrel>");
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TambrelLatencyBench";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA(windowClass.lpszClassName, "Tambrel latency", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                              100, 320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  UnixShell shell(dir);
  std::string output;
  if (!FocusWindow(shell, window, "Tambrel latency", &output)) {
    printf("no latency figures: the window did not get the focus\n");
    return 1;
  }

  PROCESS_INFORMATION process = {};
  if (!Start(ProgramFolder() + "\\tambrel.exe", dir, &process)) return 1;
  Figures tambrel = Measure(shell, "Pause l t");
  shell.Run("xdotool key Pause Escape", &output);
  End(&process);

  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, "TambrelBareHookQuit");
  if (!Start(ProgramFolder() + "\\barehook.exe", dir, &process)) return 1;
  Figures bare = Measure(shell, "l t");
  SetEvent(quit);
  End(&process);
  CloseHandle(quit);
  DestroyWindow(window);

  printf("from the shortcut's last key to the macro's first character, %d runs each (ms)\n", kRuns);
  printf("%12s %8s %8s %6s\n", "", "median", "90th", "runs");
  printf("%12s %8.2f %8.2f %6d\n", "tambrel", tambrel.median, tambrel.p90, tambrel.runs);
  printf("%12s %8.2f %8.2f %6d\n", "bare hook", bare.median, bare.p90, bare.runs);
  double ratio = bare.median > 0 ? tambrel.median / bare.median : 0;
  printf("\nmedian, tambrel / bare hook: %.2f\n", ratio);
  bool ok = tambrel.runs >= 50 && bare.runs >= 50 && ratio <= 1.2;
  printf("\ngoals:\n  within 1.2 times the bare hook, 50 runs or more: %s\n", ok ? "met" : "MISSED");
  return ok ? 0 : 2;
}
