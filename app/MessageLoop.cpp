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

int MessageLoop::Run() {
  MSG msg;
  for (;;) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) continue;  // a failed retrieval is skipped
    if (Filter(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
