// The low-level keyboard hook: every key event of the desktop passes through here, on the
// user-interface thread, while that thread waits for messages.
//
// Windows removes a low-level hook without notice once a call takes longer than its
// timeout, so the hook procedure must stay short: it allocates nothing, does no I/O, and
// never runs an action itself. An ExecuteAction made while it runs is posted to the engine's
// message-only window and runs once the hook has returned. Windows also drops such a hook
// when it is slow too often, and some security tools remove hooks: the engine window
// watches raw keyboard input and installs the hook again when it has stopped seeing keys.
#include <string.h>

#include "Engine.h"
#include "HookApi.h"
#include "Messages.h"

namespace {

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

bool TambrelEngine::InstallHook() {
  if (!m_options.hookActive || m_hook != HOOKPAD_NO_SLOT) return true;
  SetHookActive(true);
  if (m_hook != HOOKPAD_NO_SLOT) return true;
  ReportError("Couldn't allocate the keyboard hook!");
  m_started = false;
  return false;
}

LRESULT __stdcall TambrelEngine::HookProc(void* context, HHOOK hook, int code, WPARAM message,
                                          LPARAM event) {
  return static_cast<TambrelEngine*>(context)->OnHookEvent(hook, code, message, event);
}

LRESULT TambrelEngine::OnHookEvent(HHOOK hook, int code, WPARAM message, LPARAM event) {
  if (code != HC_ACTION) return CallNextHookEx(hook, code, message, event);
  KBDLLHOOKSTRUCT* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(event);
  m_lastHookTime = key->time;  // for the watchdog
  // Our own typing and a sandboxed program's keys: plugins see them to track held keys, and
  // they go on untouched (the contract header says why).
  bool inert = IsInertKeyEvent(key);
  bool swallow = false;
  if (m_active) {
    ++m_hookDepth;
    if (inert) ++m_inertDepth;
    // Every plugin sees the event, also after one has asked to swallow it.
    for (PluginRecord& record : m_registry) {
      if (!record.active || !record.plugin->WantsKeyEvents()) continue;
      if (record.plugin->OnKeyEvent(key, static_cast<UINT>(message))) swallow = true;
    }
    if (inert) --m_inertDepth;
    --m_hookDepth;
    // Read after the plugins: the toggle key switches it on the very event.
    if (m_toggled) swallow = true;
  }
  // The fate is kept for an inert event too: its key-down passed, and its key-up ends the press.
  if (KeyFate(key->vkCode, message, swallow && !inert) && !inert) return 1;
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

// A raw key event newer than the newest event the hook saw: the hook should see it too, but
// not always first (under Wine raw input can come before the hook calls once another
// program's hook is ahead of ours), and never when a hook ahead of ours swallows the key.
// So the engine window's timer looks again after a grace time: when the hook has still seen
// nothing as new, and more keys than one went by unseen, the hook has been dropped.
void TambrelEngine::OnRawKeyEvent(DWORD time) {
  if (m_hook == HOOKPAD_NO_SLOT || static_cast<LONG>(time - m_lastHookTime) <= 0) return;
  if (m_rawUnseen++ == 0) {
    m_rawUnseenTime = time;
    SetTimer(m_window, kWatchdogTimer, kWatchdogGraceMs, nullptr);
  }
}

void TambrelEngine::OnWatchdogTimer() {
  KillTimer(m_window, kWatchdogTimer);
  int unseen = m_rawUnseen;
  m_rawUnseen = 0;
  if (m_hook == HOOKPAD_NO_SLOT || unseen < 3 || static_cast<LONG>(m_rawUnseenTime - m_lastHookTime) <= 0) return;
  // In place of the dropped hook, without SetHookActive: the keys held meanwhile keep their
  // fate, so that the key-up of a key whose key-down was swallowed is swallowed too.
  gHookApi.freeHook(m_hookHeap, m_hook);
  m_hook = gHookApi.allocHook(m_hookHeap, WH_KEYBOARD_LL, HookProc, this, nullptr, 0);
  if (m_hook == HOOKPAD_NO_SLOT) {
    // hookpad keeps the slot of a hook it could not remove, and a dropped hook cannot be
    // removed: once such slots fill the page, the hook moves to a fresh one. The old page
    // stays until shut-down.
    if (HHOOKHEAP fresh = gHookApi.allocHookHeap()) {
      m_spentHookHeaps.push_back(m_hookHeap);
      m_hookHeap = fresh;
      m_hook = gHookApi.allocHook(m_hookHeap, WH_KEYBOARD_LL, HookProc, this, nullptr, 0);
    }
  }
  // A hook that Windows keeps dropping would otherwise fill the log: one line a minute.
  DWORD now = GetTickCount();
  if (m_watchdogLogged && now - m_watchdogLogTime < kWatchdogLogMs) return;
  m_watchdogLogged = true;
  m_watchdogLogTime = now;
  WriteLog(kLevelInfo, m_hook != HOOKPAD_NO_SLOT
                           ? "The keyboard hook had stopped receiving keys; it is installed again"
                           : "The keyboard hook had stopped receiving keys and could not be installed again");
}
