#include "Taskbar.h"

#include <shellapi.h>
#include <string.h>

namespace {

const char kClass[] = "Shell_TrayWnd";

// The bits of an icon as shell32 packs them: mask, then colour.
std::string IconBits(HICON icon) {
  ICONINFO info;
  if (!GetIconInfo(icon, &info)) return "";
  std::string bits;
  for (HBITMAP bitmap : {info.hbmMask, info.hbmColor}) {
    BITMAP header;
    if (bitmap == nullptr || !GetObjectA(bitmap, sizeof header, &header)) continue;
    LONG size = (header.bmPlanes * header.bmWidth * header.bmHeight * header.bmBitsPixel + 15) / 16 * 2;
    std::string part(static_cast<size_t>(size), '\0');
    GetBitmapBits(bitmap, size, &part[0]);
    bits += part;
    DeleteObject(bitmap);
  }
  return bits;
}

}  // namespace

TaskbarStandIn::TaskbarStandIn(bool running) : m_running(running) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClass;
  RegisterClassA(&windowClass);
  m_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             windowClass.hInstance, this);
}

TaskbarStandIn::~TaskbarStandIn() {
  if (m_window != nullptr) DestroyWindow(m_window);
  UnregisterClassA(kClass, GetModuleHandleA(nullptr));
}

bool TaskbarStandIn::InFront() const { return m_window != nullptr && FindWindowA(kClass, nullptr) == m_window; }

void TaskbarStandIn::Start() {
  m_running = true;
  m_icons.clear();
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

bool TaskbarStandIn::Shows(HWND owner, HICON image, const char* tip) const {
  auto icon = m_icons.find(std::make_pair(HandleToLong(owner), 0u));
  if (icon == m_icons.end()) return false;
  const std::string& data = icon->second;
  std::string bits = IconBits(image);
  WCHAR wide[128];
  int length = MultiByteToWideChar(CP_ACP, 0, tip, -1, wide, 128);
  std::string wideTip(reinterpret_cast<const char*>(wide), length * sizeof(WCHAR));
  return !bits.empty() && data.size() >= bits.size() &&
         data.compare(data.size() - bits.size(), bits.size(), bits) == 0 && data.find(wideTip) != std::string::npos;
}

bool TaskbarStandIn::Says(HWND owner, UINT id, const char* text) const {
  auto icon = m_icons.find(std::make_pair(HandleToLong(owner), id));
  if (icon == m_icons.end()) return false;
  WCHAR wide[512];
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512) - 1;  // without the terminator
  return length > 0 && icon->second.find(std::string(reinterpret_cast<const char*>(wide), length * sizeof(WCHAR))) !=
                           std::string::npos;
}

BOOL TaskbarStandIn::OnCall(DWORD operation, const std::string& data) {
  if (!m_running || data.size() < 2 * sizeof(LONG)) return FALSE;
  LONG owner;
  UINT id;
  memcpy(&owner, data.data(), sizeof owner);
  memcpy(&id, data.data() + sizeof owner, sizeof id);
  auto key = std::make_pair(owner, id);
  bool present = m_icons.count(key) != 0;
  switch (operation) {
    case NIM_ADD:
      if (present) return FALSE;
      m_icons[key] = data;
      return TRUE;
    case NIM_MODIFY:
      if (!present) return FALSE;
      m_icons[key] = data;
      return TRUE;
    case NIM_DELETE:
      return m_icons.erase(key) != 0;
  }
  return FALSE;
}

LRESULT CALLBACK TaskbarStandIn::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  TaskbarStandIn* self = reinterpret_cast<TaskbarStandIn*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_COPYDATA && self != nullptr) {
    const COPYDATASTRUCT* call = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    return self->OnCall(static_cast<DWORD>(call->dwData),
                        std::string(static_cast<const char*>(call->lpData), call->cbData));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
