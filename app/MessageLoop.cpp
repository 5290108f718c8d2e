#include "MessageLoop.h"

#include <algorithm>

MessageLoop* MessageLoop::s_current = nullptr;

MessageLoop::MessageLoop() { s_current = this; }

MessageLoop::~MessageLoop() {
  if (s_current == this) s_current = nullptr;
}

void MessageLoop::AddFilter(MessageFilter* filter) { m_filters.push_back(filter); }

void MessageLoop::RemoveFilter(MessageFilter* filter) {
  m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
}

void MessageLoop::AddWaitable(Waitable* waitable) { m_waitables.push_back(waitable); }

void MessageLoop::RemoveWaitable(Waitable* waitable) {
  m_waitables.erase(std::remove(m_waitables.begin(), m_waitables.end(), waitable), m_waitables.end());
}

bool MessageLoop::Filter(MSG* msg) {
  for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it)
    if ((*it)->PreTranslateMessage(msg)) return true;
  return false;
}

static bool ForUnicodeWindow(const MSG& msg) { return msg.hwnd != nullptr && IsWindowUnicode(msg.hwnd); }

bool MessageLoop::Take(MSG* msg) {
  // A look first, which converts nothing: the window decides how the message is taken.
  if (!PeekMessageW(msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  if (ForUnicodeWindow(*msg)) return PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
  return PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
}

void MessageLoop::Handle(MSG* msg) {
  if (Filter(msg)) return;
  TranslateMessage(msg);
  if (ForUnicodeWindow(*msg))
    DispatchMessageW(msg);
  else
    DispatchMessageA(msg);
}

bool MessageLoop::Wait() {
  HANDLE handles[MAXIMUM_WAIT_OBJECTS - 1] = {};
  Waitable* owners[MAXIMUM_WAIT_OBJECTS - 1] = {};
  DWORD count = 0;
  for (Waitable* waitable : m_waitables) {
    HANDLE handle = waitable->WaitHandle();
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || count == MAXIMUM_WAIT_OBJECTS - 1) continue;
    owners[count] = waitable;
    handles[count++] = handle;
  }
  // Sleeps until anything is queued, messages already looked at included. A sent message or
  // a call of the keyboard hook wakes it too; the next look runs it.
  DWORD woke = MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (woke >= WAIT_OBJECT_0 + count) return false;
  owners[woke - WAIT_OBJECT_0]->OnSignaled();
  return true;
}

int MessageLoop::Run() {
  MSG msg;
  for (;;) {
    if (!Take(&msg)) {
      Wait();
      continue;
    }
    if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
    Handle(&msg);
  }
}
