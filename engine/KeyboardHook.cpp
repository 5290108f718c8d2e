// The low-level keyboard hook: every key event of the desktop passes through here, on the
// user-interface thread, while that thread waits for messages.
//
// Windows removes a low-level hook without notice once a call takes longer than its
// timeout, so the hook procedure must stay short: it allocates nothing, does no I/O, and
// never runs an action itself. An ExecuteAction made while it runs is posted to a
// message-only window and runs once the hook has returned.
#include <string.h>

#include "Engine.h"
#include "HookApi.h"

namespace {

const char kQueueWindowClass[] = "TambrelEngineQueue";
const UINT kRunQueuedAction = WM_APP + 1;  // wParam: the action id

// What became of the last key-down of a virtual key, so that its key-up can follow it.
enum : unsigned char { kNoKeyDown = 0, kDownSwallowed = 1, kDownPassed = 2 };

bool IsKeyUp(WPARAM message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

}  // namespace

void TambrelEngine::SetHookActive(bool on) {
  m_options.hookActive = on;
  if (on && m_hook == HOOKPAD_NO_SLOT) {
    // Key-downs seen by an earlier hook may have lost their key-ups meanwhile.
    memset(m_keyFate, kNoKeyDown, sizeof m_keyFate);
    m_hook = gHookApi.allocHook(m_hookHeap, WH_KEYBOARD_LL, HookProc, this, nullptr, 0);
  } else if (!on && m_hook != HOOKPAD_NO_SLOT) {
    gHookApi.freeHook(m_hookHeap, m_hook);
    m_hook = HOOKPAD_NO_SLOT;
  }
}

LRESULT __stdcall TambrelEngine::HookProc(void* context, HHOOK hook, int code, WPARAM message,
                                          LPARAM event) {
  return static_cast<TambrelEngine*>(context)->OnHookEvent(hook, code, message, event);
}

LRESULT TambrelEngine::OnHookEvent(HHOOK hook, int code, WPARAM message, LPARAM event) {
  if (code != HC_ACTION) return CallNextHookEx(hook, code, message, event);
  KBDLLHOOKSTRUCT* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(event);
  bool swallow = false;
  if (m_active) {
    ++m_hookDepth;
    // Every plugin sees the event, also after one has asked to swallow it.
    for (PluginRecord& record : m_registry) {
      if (!record.active || !record.plugin->WantsKeyEvents()) continue;
      if (record.plugin->OnKeyEvent(key, static_cast<UINT>(message))) swallow = true;
    }
    --m_hookDepth;
    // Read after the plugins: the toggle key switches it on the very event.
    if (m_toggled) swallow = true;
  }
  if (KeyFate(key->vkCode, message, swallow)) return 1;
  return CallNextHookEx(hook, code, message, event);
}

// A key-up goes where its key-down went: a Shift pressed before the toggle went on must
// reach the program that saw it go down, and the last key of a sequence, whose release
// ends the toggle, must not leak its key-up. A press counts as passed once any of its
// key-downs (auto-repeats included) was passed, since the program then holds the key.
bool TambrelEngine::KeyFate(DWORD vk, WPARAM message, bool swallow) {
  if (vk >= sizeof m_keyFate) return swallow;
  unsigned char& fate = m_keyFate[vk];
  if (IsKeyUp(message)) {
    if (fate != kNoKeyDown) swallow = fate == kDownSwallowed;
    fate = kNoKeyDown;
  } else if (!swallow) {
    fate = kDownPassed;
  } else if (fate == kNoKeyDown) {
    fate = kDownSwallowed;
  }
  return swallow;
}

// --- Actions queued by the hook ----------------------------------------------------------

int TambrelEngine::QueueAction(int actionId) {
  if (m_queueWindow != nullptr &&
      PostMessageA(m_queueWindow, kRunQueuedAction, static_cast<WPARAM>(actionId), 0))
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

LRESULT CALLBACK TambrelEngine::QueueWindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == kRunQueuedAction) {
    TambrelEngine* engine =
        reinterpret_cast<TambrelEngine*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // ExecuteAction looks the binding up again: one removed meanwhile does nothing.
    if (engine != nullptr) engine->RunOutsideHook(static_cast<int>(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TambrelEngine::CreateQueueWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = QueueWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kQueueWindowClass;
  RegisterClassA(&windowClass);  // fails harmlessly for every engine after the first
  m_queueWindow = CreateWindowExA(0, kQueueWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, instance, this);
}

void TambrelEngine::DestroyQueueWindow() {
  if (m_queueWindow == nullptr) return;
  // Actions still queued go with the window: the engine is ending.
  MSG dropped;
  while (PeekMessageA(&dropped, m_queueWindow, kRunQueuedAction, kRunQueuedAction, PM_REMOVE)) {
  }
  DestroyWindow(m_queueWindow);
  m_queueWindow = nullptr;
}
