// Telling the user without taking the focus: a balloon of a notification icon that the
// engine window shows for as long as the balloon lasts. The tray icon is a plugin's and may
// be off or missing; a balloon of a program that is not in front activates nothing, where
// a message box would wait for an answer and, on Wine, take the focus.
#include <windows.h>

#include <shellapi.h>
#include <string.h>

#include "Engine.h"
#include "Messages.h"

void TambrelEngine::ShowNotice(const char* text) {
  // At the end of a run a balloon would go with the program before anyone read it: what the
  // shut-down has to tell waits in a box.
  if (m_shutDown) {
    ReportWarning(text);
    return;
  }
  WriteLog(kLevelWarning, text);
  if (m_window == nullptr) return;
  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V2_SIZE;  // the balloon fields, from Windows 2000 on
  icon.hWnd = m_window;
  icon.uID = kNoticeIcon;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  icon.uCallbackMessage = kNoticeMessage;
  icon.hIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  strcpy(icon.szTip, "Tambrel");
  strcpy(icon.szInfoTitle, "Tambrel");
  // The balloon holds 255 characters; the log has the whole text.
  size_t length = strlen(text);
  if (length < sizeof icon.szInfo) {
    memcpy(icon.szInfo, text, length + 1);
  } else {
    memcpy(icon.szInfo, text, sizeof icon.szInfo - 4);
    strcpy(icon.szInfo + sizeof icon.szInfo - 4, "...");
  }
  icon.uTimeout = 30000;
  icon.dwInfoFlags = NIIF_WARNING;
  if (Shell_NotifyIconA(m_noticeShown ? NIM_MODIFY : NIM_ADD, &icon)) m_noticeShown = true;
}

void TambrelEngine::OnNoticeEvent(LPARAM event) {
  // Gone when the balloon is: timed out, clicked, closed, or its icon clicked.
  if (event == NIN_BALLOONTIMEOUT || event == NIN_BALLOONUSERCLICK || event == NIN_BALLOONHIDE ||
      event == WM_LBUTTONUP || event == WM_RBUTTONUP)
    EndNotice();
}

void TambrelEngine::EndNotice() {
  if (!m_noticeShown) return;
  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  icon.hWnd = m_window;
  icon.uID = kNoticeIcon;
  Shell_NotifyIconA(NIM_DELETE, &icon);
  m_noticeShown = false;
}
