// Probe keys: how long the keys of the desktop waited for a keyboard hook. A thread injects a
// probe key every 10 ms; this program's own low-level hook, installed before the hook under
// test, sees each probe only once that hook has passed it on. The delay of a probe is the
// time its hook's thread kept it from the desktop. Shared by the benchmarks that measure it.
#ifndef TAMBREL_KEYPROBES_H
#define TAMBREL_KEYPROBES_H

#include <windows.h>

#include <algorithm>

const DWORD kProbeIntervalMs = 10;

// The probe key: a key no program acts on; this program's hook swallows it.
const WORD kProbeKey = VK_F24;
const ULONG_PTR kProbeMark = 0x7AB00000;  // dwExtraInfo = mark | probe number
const ULONG_PTR kProbeMarkMask = 0xFFF00000;
const int kMaxProbes = 0x10000;

inline LONGLONG gSent[kMaxProbes];
inline LONGLONG gPassed[kMaxProbes];  // when this program's hook saw probe n; 0 until then
inline volatile LONG gProbeCount;
inline volatile LONG gProbing;
inline LONGLONG gFrequency = [] {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}();

inline LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

inline LONGLONG Passed(LONG n) { return InterlockedCompareExchange64(&gPassed[n], 0, 0); }

inline LONG ProbesSent() { return std::min<LONG>(static_cast<LONG>(gProbeCount), kMaxProbes); }

inline double Ms(LONGLONG ticks) { return static_cast<double>(ticks) * 1e3 / static_cast<double>(gFrequency); }

inline LRESULT CALLBACK ProbeHook(int code, WPARAM message, LPARAM lParam) {
  KBDLLHOOKSTRUCT* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
  if (code != HC_ACTION || (key->dwExtraInfo & kProbeMarkMask) != kProbeMark)
    return CallNextHookEx(nullptr, code, message, lParam);
  ULONG_PTR n = key->dwExtraInfo & ~kProbeMarkMask;
  if (message == WM_KEYDOWN && n < static_cast<ULONG_PTR>(kMaxProbes) && gPassed[n] == 0)
    InterlockedExchange64(&gPassed[n], Now());
  return 1;
}

// The hook's calls come to the thread that installed it, while it waits for messages.
inline DWORD WINAPI ProbeHookThread(void* ready) {
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, ProbeHook, GetModuleHandleA(nullptr), 0);
  SetEvent(ready);
  MSG msg;
  while (hook != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return hook != nullptr;
}

inline void SendProbe() {
  LONG n = InterlockedIncrement(&gProbeCount) - 1;
  if (n >= kMaxProbes) return;
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = kProbeKey;
    key.ki.dwExtraInfo = kProbeMark | static_cast<ULONG_PTR>(n);
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  gSent[n] = Now();
  SendInput(2, keys, sizeof keys[0]);
}

inline DWORD WINAPI ProbeThread(void*) {
  while (gProbing) {
    SendProbe();
    Sleep(kProbeIntervalMs);
  }
  return 0;
}

// The longest delay of a probe sent from begin to end, in ms. A probe that never came through
// (Windows gave up waiting for a hook) waited at least until the next one did; lost counts
// them.
inline double LongestWait(LONGLONG begin, LONGLONG end, LONGLONG runEnd, int* lost) {
  double longest = 0;
  LONGLONG next = runEnd;
  for (LONG n = ProbesSent() - 1; n >= 0; --n) {
    LONGLONG passed = Passed(n);
    if (passed != 0) next = passed;
    if (gSent[n] < begin || gSent[n] > end) continue;
    if (passed == 0 && lost != nullptr) ++*lost;
    longest = std::max(longest, Ms((passed != 0 ? passed : next) - gSent[n]));
  }
  return longest;
}

#endif
