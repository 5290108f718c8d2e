// The engine's message-only window: it runs the actions queued inside the keyboard hook,
// answers another start of the program that asks for the main window, and receives the raw
// keyboard input that the hook watchdog compares with what the hook saw.
#include "Engine.h"

namespace {

const char kEngineWindowClass[] = "TambrelEngine";
const UINT kRunQueuedAction = WM_APP + 1;  // wParam: the action id
const UINT kShowMainWindow = WM_APP + 2;   // from another start of the program

const USHORT kGenericDesktopPage = 0x01, kKeyboardUsage = 0x06;

}  // namespace

int TambrelEngine::QueueAction(int actionId) {
  if (m_window != nullptr &&
      PostMessageA(m_window, kRunQueuedAction, static_cast<WPARAM>(actionId), 0))
    return 0;
  // Without a queue the action runs at once rather than not at all.
  return RunOutsideHook(actionId);
}

int TambrelEngine::RunOutsideHook(int actionId) {
  // A queued action can also be dispatched by a modal loop that a plugin opened inside the
  // hook; it runs there rather than being posted again and again.
  int depth = m_hookDepth;
  m_hookDepth = 0;
  int result = ExecuteAction(actionId);
  m_hookDepth = depth;
  return result;
}

LRESULT CALLBACK TambrelEngine::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcA(window, message, wParam, lParam);
  }
  TambrelEngine* engine =
      reinterpret_cast<TambrelEngine*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (engine == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case kRunQueuedAction:
      // ExecuteAction looks the binding up again: one removed meanwhile does nothing.
      engine->RunOutsideHook(static_cast<int>(wParam));
      return 0;
    case kShowMainWindow:
      engine->ShowDialog(0, true);
      return 0;
    case WM_INPUT:
      // The message's time is the key event's, as the hook's record has it.
      engine->OnRawKeyEvent(static_cast<DWORD>(GetMessageTime()));
      break;  // the default procedure frees the input
    case WM_TIMER:
      if (wParam == kWatchdogTimer) engine->OnWatchdogTimer();
      if (wParam == kConfigQuietTimer) engine->OnConfigQuiet();
      return 0;
    case kNoticeMessage:
      engine->OnNoticeEvent(lParam);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TambrelEngine::CreateEngineWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kEngineWindowClass;
  RegisterClassA(&windowClass);  // fails harmlessly for every engine after the first
  m_window = CreateWindowExA(0, kEngineWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                             nullptr, instance, this);
  if (m_window == nullptr) return;
  // Keyboard input of the whole desktop, also while another program has the focus. Without
  // it there is no watchdog, and nothing else changes.
  RAWINPUTDEVICE keyboard = {kGenericDesktopPage, kKeyboardUsage, RIDEV_INPUTSINK, m_window};
  m_rawInput = RegisterRawInputDevices(&keyboard, 1, sizeof keyboard) != FALSE;
}

void TambrelEngine::DestroyEngineWindow() {
  if (m_window == nullptr) return;
  if (m_rawInput) {
    RAWINPUTDEVICE keyboard = {kGenericDesktopPage, kKeyboardUsage, RIDEV_REMOVE, nullptr};
    RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
    m_rawInput = false;
  }
  // Actions still queued go with the window: the engine is ending.
  MSG dropped;
  while (PeekMessageA(&dropped, m_window, kRunQueuedAction, kRunQueuedAction, PM_REMOVE)) {
  }
  DestroyWindow(m_window);
  m_window = nullptr;
}

bool ShowRunningTambrel(DWORD waitMs) {
  // The running program makes its window a moment after it took the session's name: a
  // second start in that moment waits for it.
  DWORD waited = 0;
  HWND window;
  while ((window = FindWindowExA(HWND_MESSAGE, nullptr, kEngineWindowClass, nullptr)) == nullptr) {
    if (waited >= waitMs) return false;
    Sleep(50);
    waited += 50;
  }
  // Only a process that the user started may bring a window to the front: this one hands
  // that right to the running one.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);
  return PostMessageA(window, kShowMainWindow, 0, 0) != FALSE;
}
