// The taskbar's notification area, played by the test: a window of the taskbar's class
// "Shell_TrayWnd", topmost so that Shell_NotifyIcon finds it before Wine's own (which shows
// nothing on the test display). Wine's shell32 sends it each call as WM_COPYDATA, the
// operation in dwData; the data starts with the owner window and the icon id and ends with
// the icon's mask and colour bits. It keeps the icons it was given, as a taskbar does.
#ifndef TAMBREL_TASKBAR_H
#define TAMBREL_TASKBAR_H

#include <windows.h>

#include <map>
#include <string>
#include <utility>

class TaskbarStandIn {
 public:
  // Not running, it refuses every call, as when there is no taskbar yet.
  explicit TaskbarStandIn(bool running = true);
  ~TaskbarStandIn();
  TaskbarStandIn(const TaskbarStandIn&) = delete;
  TaskbarStandIn& operator=(const TaskbarStandIn&) = delete;

  bool InFront() const;
  // Starts, or starts again, with no icons, and says so to every top-level window with the
  // "TaskbarCreated" broadcast, as Explorer does.
  void Start();
  size_t Count() const { return m_icons.size(); }
  // Whether owner's icon (id 0) is shown with this image and tip.
  bool Shows(HWND owner, HICON image, const char* tip) const;
  bool Has(HWND owner, UINT id) const { return m_icons.count(std::make_pair(HandleToLong(owner), id)) != 0; }
  // Whether the last call for owner's icon id carried this text (a tip, or a balloon's).
  bool Says(HWND owner, UINT id, const char* text) const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL OnCall(DWORD operation, const std::string& data);

  HWND m_window = nullptr;
  bool m_running;
  std::map<std::pair<LONG, UINT>, std::string> m_icons;  // (owner, id) -> data of the last call
};

#endif
