#include "NotifyPlugin.h"

#include <string.h>

#include "PluginGuids.h"
#include "PluginResources.h"

namespace {

const char kClassName[] = "TambrelNotify";
const char kNotice[] = "Tambrel is toggled";
const int kWidth = 470;
const int kHeight = 45;

// The notice's place: 10 pixels off the work area's right and bottom edges.
POINT NoticeOrigin() {
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return POINT{work.right - kWidth - 10, work.bottom - kHeight - 10};
}

}  // namespace

NotifyPlugin::NotifyPlugin()
    : BuiltInPlugin("Window Tambrel Notify Plugin", NOTIFY_PLUGIN_GUID, PLUGIN_NOTIFYHANDLER | PLUGIN_NOTIFIER,
                    IDI_NOTIFY) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_NOCLOSE;  // 0x223
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = PluginModule();
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);  // fails harmlessly when it is registered already

  POINT origin = NoticeOrigin();
  m_window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "", WS_POPUP, origin.x,
                             origin.y, kWidth, kHeight, nullptr, nullptr, PluginModule(), nullptr);
  // Black is see-through: only the letters show on the desktop.
  if (m_window != nullptr) SetLayeredWindowAttributes(m_window, 0, 0, LWA_COLORKEY);
}

NotifyPlugin::~NotifyPlugin() {
  if (m_window != nullptr) DestroyWindow(m_window);
  UnregisterClassA(kClassName, PluginModule());
}

void NotifyPlugin::OnToggle(bool toggled) {
  m_toggled = toggled;
  // Shown without activation: the notice never takes the focus from the user's program.
  if (m_window != nullptr) ShowWindow(m_window, m_enabled && m_toggled ? SW_SHOWNA : SW_HIDE);
}

LRESULT CALLBACK NotifyPlugin::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      // Each window its own font, kept in the window itself.
      HFONT font = CreateFontA(45, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Verdana");
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
      break;
    }
    case WM_CREATE: return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      SetTextColor(dc, RGB(0, 255, 0));
      SetBkMode(dc, TRANSPARENT);
      // Black is the colour key: the background vanishes, the letters stay.
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, GWLP_USERDATA));
      HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
      ExtTextOutA(dc, 0, 0, 0, nullptr, kNotice, static_cast<UINT>(strlen(kNotice)), nullptr);
      if (previous != nullptr) SelectObject(dc, previous);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DISPLAYCHANGE: {
      POINT origin = NoticeOrigin();
      SetWindowPos(window, nullptr, origin.x, origin.y, kWidth, kHeight,
                   SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_MOVING:
      // The notice stays where it is.
      GetWindowRect(window, reinterpret_cast<RECT*>(lParam));
      return TRUE;
    case WM_DESTROY: {
      HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, GWLP_USERDATA));
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      if (font != nullptr) DeleteObject(font);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
