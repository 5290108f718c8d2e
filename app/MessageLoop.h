// The process's one message loop, with filters that see each queued message before it is
// translated and dispatched. A modeless dialog registers its filter when it is created and
// removes it when it is destroyed.
#ifndef TAMBREL_MESSAGELOOP_H
#define TAMBREL_MESSAGELOOP_H

#include <windows.h>

#include <vector>

class MessageFilter {
 public:
  // True: the message is consumed and goes no further.
  virtual bool PreTranslateMessage(MSG* msg) = 0;
};

// A kernel object that the loop waits for together with the messages.
class Waitable {
 public:
  virtual HANDLE WaitHandle() = 0;  // invalid or null: nothing to wait for now
  virtual void OnSignaled() = 0;
};

class MessageLoop {
 public:
  MessageLoop();   // becomes the loop of the current thread
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  static MessageLoop* Current() { return s_current; }

  void AddFilter(MessageFilter* filter);
  void RemoveFilter(MessageFilter* filter);
  void AddWaitable(Waitable* waitable);
  void RemoveWaitable(Waitable* waitable);
  bool Filter(MSG* msg);  // asks the filters, last registered first
  int Run();              // until WM_QUIT; its wParam is the result

  // The next queued message, without waiting; false when none is queued. A Unicode window's
  // message is taken with the W functions: its characters then come as UTF-16, where the A
  // functions would turn every one beyond the system code page into "?".
  static bool Take(MSG* msg);
  // Filters, translates and dispatches a message that Take gave.
  void Handle(MSG* msg);

 private:
  // Sleeps until a message is queued or a waitable is signaled, and runs the waitable's
  // handler; false after a message.
  bool Wait();

  static MessageLoop* s_current;
  std::vector<MessageFilter*> m_filters;
  std::vector<Waitable*> m_waitables;
};

#endif
