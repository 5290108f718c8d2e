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

int MessageLoop::Run() {
  MSG msg;
  for (;;) {
    if (!Take(&msg)) {
      // Sleeps until anything is queued, messages already looked at included. A sent message
      // or a call of the keyboard hook wakes it too; the next look runs it.
      MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
    Handle(&msg);
  }
}
