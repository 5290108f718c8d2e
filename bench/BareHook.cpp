// The least a key-to-action tool can do, for the latency benchmark to compare with: one
// low-level hook that, on the release of T, swallows it and types X from inside the hook.
// It ends on its own after a minute, or when its quit event is set.
#include <windows.h>

namespace {

HHOOK gHook;

void SendKey(WORD vk) {
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

LRESULT CALLBACK HookProc(int code, WPARAM message, LPARAM event) {
  const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(event);
  if (code == HC_ACTION && key->vkCode == 'T' && (key->flags & LLKHF_INJECTED) == 0) {
    if (message == WM_KEYUP) SendKey('X');
    return 1;
  }
  return CallNextHookEx(gHook, code, message, event);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, "TambrelBareHookQuit");
  gHook = SetWindowsHookExA(WH_KEYBOARD_LL, HookProc, instance, 0);
  if (gHook == nullptr) return 1;
  DWORD began = GetTickCount();
  while (GetTickCount() - began < 60000 &&
         MsgWaitForMultipleObjects(1, &quit, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  UnhookWindowsHookEx(gHook);
  CloseHandle(quit);
  return 0;
}
