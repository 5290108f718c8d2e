// A control of a dialog whose messages the dialog sees first. The control is subclassed
// (comctl32's SetWindowSubclass); every message goes to its owner under the map id the owner
// chose, and what the owner leaves unhandled goes on to the control's own procedure.
#ifndef TAMBREL_CONTAINEDWINDOW_H
#define TAMBREL_CONTAINEDWINDOW_H

#include <windows.h>

class ContainedWindow {
 public:
  class Owner {
   public:
    // True when handled; *result is then the control's answer.
    virtual bool OnContainedMessage(int mapId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT* result) = 0;

   protected:
    ~Owner() = default;
  };

  ContainedWindow(Owner* owner, int mapId) : m_owner(owner), m_mapId(mapId) {}
  ContainedWindow(const ContainedWindow&) = delete;
  ContainedWindow& operator=(const ContainedWindow&) = delete;
  ~ContainedWindow() { Unsubclass(); }

  // A window subclassed before is let go first. False when the system refuses.
  bool Subclass(HWND window);
  void Unsubclass();
  // Null when not subclassed, and after the window's WM_NCDESTROY.
  HWND Window() const { return m_hWnd; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR data);

  Owner* m_owner;
  int m_mapId;
  HWND m_hWnd = nullptr;
};

#endif
