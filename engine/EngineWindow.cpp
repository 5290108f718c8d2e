// The engine's message-only window: it runs the actions queued inside the keyboard hook,
// answers another start of the program that asks for the main window, and receives the raw
// keyboard input that the hook watchdog compares with what the hook saw.
#include "Engine.h"

namespace {

// "Run what is queued": any program of the desktop can post it, so it carries nothing. The
// bindings to run are only those the engine queued itself.
const UINT kRunQueuedActions = WM_APP + 1;

const USHORT kGenericDesktopPage = 0x01, kKeyboardUsage = 0x06;

// Windows drops messages from a process of a lower integrity level (User Interface Privilege
// Isolation): a Tambrel run as administrator would never hear a start by the user's own
// shortcut. The show request, and nothing else, is let through.
void AllowShowRequests(HWND window) { ChangeWindowMessageFilterEx(window, kShowMainWindow, MSGFLT_ALLOW, nullptr); }

}  // namespace

const char kEngineWindowClass[] = "TambrelEngine";
const char kShuttingDownTitle[] = "Tambrel is shutting down";

int TambrelEngine::QueueAction(int actionId) {
  // Without a window, or with the queue full, the action runs at once rather than not at all.
  if (m_window == nullptr || m_queueLength == kActionQueueSize) return RunOutsideHook(actionId);
  m_queuedActions[(m_queueFirst + m_queueLength++) % kActionQueueSize] = actionId;
  // One message for what is queued until it runs; a message posted already takes this along.
  if (m_queueLength == 1 && !PostMessageA(m_window, kRunQueuedActions, 0, 0)) {
    m_queueLength = 0;
    return RunOutsideHook(actionId);
  }
  return 0;
}

void TambrelEngine::RunQueuedActions() {
  // Each is taken off before it runs: one that opens a modal loop lets the rest run there.
  while (m_queueLength > 0) {
    int actionId = m_queuedActions[m_queueFirst];
    m_queueFirst = (m_queueFirst + 1) % kActionQueueSize;
    --m_queueLength;
    // ExecuteAction looks the binding up again: one removed meanwhile does nothing.
    RunOutsideHook(actionId);
  }
}

int TambrelEngine::RunOutsideHook(int actionId) {
  // A queued action can also be dispatched by a modal loop that a plugin opened inside the
  // hook; it runs there rather than being posted again and again.
  int depth = m_hookDepth, inert = m_inertDepth;
  m_hookDepth = m_inertDepth = 0;
  int result = ExecuteAction(actionId);
  m_hookDepth = depth;
  m_inertDepth = inert;
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
    case kRunQueuedActions:
      engine->RunQueuedActions();
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
  AllowShowRequests(m_window);
  // Keyboard input of the whole desktop, also while another program has the focus. Without
  // it there is no watchdog, and nothing else changes.
  RAWINPUTDEVICE keyboard = {kGenericDesktopPage, kKeyboardUsage, RIDEV_INPUTSINK, m_window};
  m_rawInput = RegisterRawInputDevices(&keyboard, 1, sizeof keyboard) != FALSE;
}

// The window stays until the engine is gone, so that another start can find this process and
// wait for it; from here on it says so in its title and does nothing else.
void TambrelEngine::RetireEngineWindow() {
  if (m_window == nullptr) return;
  if (m_rawInput) {
    RAWINPUTDEVICE keyboard = {kGenericDesktopPage, kKeyboardUsage, RIDEV_REMOVE, nullptr};
    RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
    m_rawInput = false;
  }
  KillTimer(m_window, kWatchdogTimer);
  KillTimer(m_window, kConfigQuietTimer);
  SetWindowTextA(m_window, kShuttingDownTitle);
  SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
  // Actions still queued go with the window: the engine is ending.
  m_queueLength = 0;
  MSG dropped;
  while (PeekMessageA(&dropped, m_window, kRunQueuedActions, kRunQueuedActions, PM_REMOVE)) {
  }
}

void TambrelEngine::DestroyEngineWindow() {
  if (m_window == nullptr) return;
  EndNotice();
  RetireEngineWindow();
  DestroyWindow(m_window);
  m_window = nullptr;
}
