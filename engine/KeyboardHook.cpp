// The low-level keyboard hook.
#include "Engine.h"
#include "HookApi.h"

void TambrelEngine::SetHookActive(bool on) {
  m_options.hookActive = on;
  if (on && m_hook == HOOKPAD_NO_SLOT) {
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
  if (code != HC_ACTION || !m_active) return CallNextHookEx(hook, code, message, event);
  KBDLLHOOKSTRUCT* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(event);
  bool swallow = false;
  for (PluginRecord& record : m_registry) {
    if (!record.active || !record.plugin->WantsKeyEvents()) continue;
    if (record.plugin->OnKeyEvent(key, static_cast<UINT>(message))) swallow = true;
  }
  if (swallow || m_toggled) return 1;
  return CallNextHookEx(hook, code, message, event);
}
