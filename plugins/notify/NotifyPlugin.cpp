#include "NotifyPlugin.h"

#include <string.h>

#include <algorithm>

#include "CheckBoxPage.h"
#include "Dpi.h"
#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"

namespace {

const char kClassName[] = "TambrelNotify";
const char kNotice[] = "Tambrel is toggled";
// Pixels at 96 DPI; the notice scales them to the DPI of its monitor.
const int kWidth = 470;
const int kHeight = 45;
const int kMargin = 10;      // off the work area's right and bottom edges
const int kRowHeight = 20;
const int kPanelPadding = 6;
const int kColumnGap = 16;
const int kRowFontHeight = 16;
const UINT_PTR kRefreshTimer = 1;
// The notice as described, and with the list: then it also lets every click through and
// never activates, as it may cover part of what the user works on.
const DWORD kNoticeStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
const DWORD kSheetStyle = kNoticeStyle | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;
// Black is the colour key; the panel behind the rows is nearly black, so it stays.
const COLORREF kPanel = RGB(24, 24, 24);
const COLORREF kTyped = RGB(0, 255, 0);
const COLORREF kShortcut = RGB(255, 255, 255);
const COLORREF kAction = RGB(200, 200, 200);
const COLORREF kHighlight = RGB(72, 72, 72);

HFONT MakeFont(int height, int weight) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Verdana");
}

int TextWidth(HDC dc, HFONT font, const std::string& text) {
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  return size.cx;
}

void PaintText(HDC dc, HFONT font, COLORREF colour, int x, int y, const std::string& text) {
  HGDIOBJ previous = SelectObject(dc, font);
  SetTextColor(dc, colour);
  ExtTextOutA(dc, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, previous);
}

}  // namespace

// The page: "Show the bindings that can still be typed".
class NotifyPage : public CheckBoxPage<NotifyPlugin, IDC_NOTIFY_SHOWBINDINGS, &NotifyPlugin::ShowsBindings,
                                        &NotifyPlugin::SetShowBindings> {
 public:
  NotifyPage() : CheckBoxPage(IDD_NOTIFY_PAGE) {}
};

namespace {

NotifyPage& Page() {
  static NotifyPage page;
  return page;
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

  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  m_text = kNotice;
  m_dpi = WindowDpi(nullptr);  // the primary monitor's, where the work area lies
  m_window = CreateWindowExA(kSheetStyle, kClassName, kNotice, WS_POPUP, work.right - Px(kWidth) - Px(kMargin),
                             work.bottom - Px(kHeight) - Px(kMargin), Px(kWidth), Px(kHeight), nullptr, nullptr,
                             PluginModule(), this);
  if (m_window != nullptr) m_dpi = WindowDpi(m_window);
  MakeFonts();
  // Black is see-through: only the letters (and the list's panel) show on the desktop.
  if (m_window != nullptr) SetLayeredWindowAttributes(m_window, 0, 0, LWA_COLORKEY);
  SetSheetListener(this);
}

NotifyPlugin::~NotifyPlugin() {
  SetSheetListener(nullptr);
  DestroySettingsPage();
  if (m_window != nullptr) DestroyWindow(m_window);
  UnregisterClassA(kClassName, PluginModule());
}

void NotifyPlugin::MakeFonts() {
  m_noticeFont.Reset(MakeFont(Px(kHeight), FW_BOLD));
  m_rowFont.Reset(MakeFont(Px(kRowFontHeight), FW_NORMAL));
  m_typedFont.Reset(MakeFont(Px(kRowFontHeight), FW_BOLD));
}

// Moved to a monitor of another DPI: letters, rows and margins follow. The notice places
// itself (the corner of its monitor), so the rectangle Windows suggests is not taken.
void NotifyPlugin::OnDpiChanged(UINT dpi) {
  if (dpi == 0 || dpi == m_dpi) return;
  m_dpi = dpi;
  MakeFonts();
  Place();
}

void NotifyPlugin::LoadSettings(xmlNode* firstChild) {
  xmlNode* show = FindElementWithChild(firstChild, "showbindings");
  if (show != nullptr && m_engine != nullptr) SetShowBindings(m_engine->ParseBool(NodeText(show->children).c_str()));
}

void NotifyPlugin::SaveSettings(xmlNode* pluginElement) {
  AddTextChild(pluginElement, "showbindings", m_showBindings ? "yes" : "no");
}

void NotifyPlugin::CreateSettingsPage(HWND parent, RECT rect) {
  if (m_page != nullptr && m_page->OwnedBy(this)) return;
  if (Page().Open(this, parent, rect)) m_page = &Page();
}

void NotifyPlugin::DestroySettingsPage() {
  if (m_page != nullptr && m_page->OwnedBy(this)) m_page->Close();
  m_page = nullptr;
}

LRESULT NotifyPlugin::PreTranslateMessage(MSG* msg) {
  return m_page != nullptr && m_page->OwnedBy(this) && IsDialogMessageA(m_page->Window(), msg) ? 1 : 0;
}

void NotifyPlugin::SetShowBindings(bool show) {
  m_showBindings = show;
  if (m_window == nullptr) return;
  SetWindowLongPtrA(m_window, GWL_EXSTYLE, show ? kSheetStyle : kNoticeStyle);
  PostRefresh();
}

// Toggles mostly come inside the keyboard hook, where showing or hiding a window would hold
// up the key (and the action that the key runs): the notice follows a moment later.
void NotifyPlugin::OnToggle(bool toggled) {
  m_toggled = toggled;
  m_highlight = -1;
  m_highlightId = 0;
  PostRefresh();
}

// Runs inside the keyboard hook, and allocates nothing: the keys act on the rows the notice
// shows, which were made after an earlier key, outside the hook. Enter does what typing the
// highlighted row's shortcut does: the toggle ends, and its binding runs through the engine,
// which queues it until the hook has returned. The keys themselves go nowhere: while toggled
// the engine swallows every key, and the Enter that ended the toggle is swallowed here (its
// key-up goes where its key-down went).
bool NotifyPlugin::OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) {
  if (!m_enabled || !m_toggled || !m_showBindings || message != WM_KEYDOWN || IsInertKeyEvent(key)) return false;
  int rows = static_cast<int>(m_rows.size());
  switch (key->vkCode) {
    case VK_DOWN:
    case VK_UP:
      if (rows == 0) return false;
      // The first press, either way, highlights the first row.
      if (m_highlight < 0)
        m_highlight = 0;
      else
        m_highlight = std::max(0, std::min(rows - 1, m_highlight + (key->vkCode == VK_DOWN ? 1 : -1)));
      m_highlightId = m_rows[static_cast<size_t>(m_highlight)].actionId;
      PostRefresh();
      return false;
    case VK_RETURN: {
      if (m_highlight < 0 || m_highlight >= rows || m_engine == nullptr) return false;
      int actionId = m_rows[static_cast<size_t>(m_highlight)].actionId;
      m_engine->SetToggled(false);
      m_engine->ExecuteAction(actionId);
      return true;
    }
  }
  return false;
}

void NotifyPlugin::SheetChanged() {
  if (m_showBindings) PostRefresh();
}

// A timer rather than a posted message: its message comes only once the queue holds nothing
// else, so an action that the same key queued runs first.
void NotifyPlugin::PostRefresh() {
  if (m_window == nullptr || m_refreshPosted) return;
  m_refreshPosted = SetTimer(m_window, kRefreshTimer, 0, nullptr) != 0;
}

void NotifyPlugin::Refresh() {
  if (m_refreshPosted) KillTimer(m_window, kRefreshTimer);
  m_refreshPosted = false;
  MakeRows();
  // The window's text is what it shows, for screen readers: the line, then the rows.
  std::string text = kNotice;
  for (size_t i = 0; i < m_rows.size(); ++i)
    text += "\r\n" + std::string(static_cast<int>(i) == m_highlight ? "> " : "") + m_rows[i].shortcut + " " +
            m_rows[i].action;
  if (m_moreRows > 0) text += "\r\nand " + std::to_string(m_moreRows) + " more";
  // Unchanged, the window is left alone: every call on it is a trip to the window server.
  if (text != m_text) {
    m_text = text;
    SetWindowTextA(m_window, text.c_str());
    Place();
  }
  // Shown without activation: the notice never takes the focus from the user's program.
  bool shown = m_enabled && m_toggled;
  if (shown != (IsWindowVisible(m_window) != FALSE)) ShowWindow(m_window, shown ? SW_SHOWNA : SW_HIDE);
}

std::string NotifyPlugin::ActionText(int actionId) {
  ActionRecord binding = {};
  PluginInfo plugin = {};
  if (m_engine == nullptr || !m_engine->GetAction(actionId, &binding) ||
      !m_engine->GetPlugin(binding.actionPluginId, &plugin) || plugin.plugin == nullptr)
    return std::string();
  ActionType* type = plugin.plugin->GetActionType();
  const char* text = type != nullptr ? type->GetActionText(actionId) : nullptr;
  return text != nullptr ? text : "";
}

// The rows of every source, merged in shortcut order (byte-wise, then by action id).
void NotifyPlugin::MakeRows() {
  m_rows.clear();
  m_moreRows = 0;
  m_highlight = -1;
  if (!m_enabled || !m_toggled || !m_showBindings) {
    m_highlightId = 0;
    return;
  }
  struct Found {
    SheetRow row;
    size_t length;
  };
  std::vector<Found> found;
  size_t total = 0, sourceCount = 0;
  SheetSource* const* sources = SheetSources(&sourceCount);
  bool leads = false;
  for (size_t s = 0; s < sourceCount; ++s) leads = leads || sources[s]->LeadsOn();
  for (size_t s = 0; s < sourceCount; ++s) {
    if (leads && !sources[s]->LeadsOn()) continue;
    SheetRow rows[kMaxRows];
    size_t count = sources[s]->SheetRows(rows, kMaxRows);
    total += count;
    for (size_t i = 0; i < std::min(count, kMaxRows); ++i) found.push_back(Found{rows[i], strlen(rows[i].shortcut)});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    int c = memcmp(a.row.shortcut, b.row.shortcut, std::min(a.length, b.length));
    if (c != 0) return c < 0;
    return a.length != b.length ? a.length < b.length : a.row.actionId < b.row.actionId;
  });
  if (found.size() > kMaxRows) found.resize(kMaxRows);
  for (const Found& f : found)
    m_rows.push_back(Row{f.row.actionId, f.row.shortcut, ActionText(f.row.actionId), f.row.typed});
  m_moreRows = total - m_rows.size();
  // Typing narrows the rows: the highlighted binding keeps the highlight while it is listed.
  m_highlight = -1;
  for (size_t i = 0; i < m_rows.size() && m_highlightId != 0; ++i)
    if (m_rows[i].actionId == m_highlightId) m_highlight = static_cast<int>(i);
  if (m_highlight < 0) m_highlightId = 0;
}

// Bottom right of the work area of the monitor that holds the notice, the rows above the
// line; never wider or taller than that work area.
void NotifyPlugin::Place() {
  HDC dc = GetDC(m_window);
  int shortcutWidth = 0, actionWidth = 0;
  for (const Row& row : m_rows) {
    shortcutWidth = std::max(shortcutWidth, TextWidth(dc, m_typedFont.Get(), row.shortcut));
    actionWidth = std::max(actionWidth, TextWidth(dc, m_rowFont.Get(), row.action));
  }
  ReleaseDC(m_window, dc);
  size_t lines = m_rows.size() + (m_moreRows > 0 ? 1 : 0);
  int panel = lines > 0 ? static_cast<int>(lines) * Px(kRowHeight) + 2 * Px(kPanelPadding) : 0;
  int width = std::max(Px(kWidth), shortcutWidth + Px(kColumnGap) + actionWidth + 2 * Px(kPanelPadding));
  int height = panel + Px(kHeight);

  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  int margin = Px(kMargin);
  width = std::min(width, static_cast<int>(work.right - work.left) - margin);
  height = std::min(height, static_cast<int>(work.bottom - work.top) - margin);
  SetWindowPos(m_window, nullptr, work.right - width - margin, work.bottom - height - margin, width, height,
               SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
  InvalidateRect(m_window, nullptr, TRUE);
}

void NotifyPlugin::Paint(HDC dc) {
  RECT client;
  GetClientRect(m_window, &client);
  SetBkMode(dc, TRANSPARENT);
  // Black is the colour key: the background vanishes, the letters stay.
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  size_t lines = m_rows.size() + (m_moreRows > 0 ? 1 : 0);
  int padding = Px(kPanelPadding);
  int panel = lines > 0 ? static_cast<int>(lines) * Px(kRowHeight) + 2 * padding : 0;
  if (panel > 0) {
    RECT area = {0, 0, client.right, panel};
    HBRUSH brush = CreateSolidBrush(kPanel);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    int shortcutWidth = 0;
    for (const Row& row : m_rows) shortcutWidth = std::max(shortcutWidth, TextWidth(dc, m_typedFont.Get(), row.shortcut));
    int y = padding;
    for (const Row& row : m_rows) {
      int x = padding;
      if (&row - m_rows.data() == m_highlight) {
        RECT bar = {0, y, client.right, y + Px(kRowHeight)};
        HBRUSH highlight = CreateSolidBrush(kHighlight);
        FillRect(dc, &bar, highlight);
        DeleteObject(highlight);
      }
      std::string typed = row.shortcut.substr(0, row.typed), rest = row.shortcut.substr(row.typed);
      PaintText(dc, m_typedFont.Get(), kTyped, x, y, typed);
      PaintText(dc, m_rowFont.Get(), kShortcut, x + TextWidth(dc, m_typedFont.Get(), typed), y, rest);
      PaintText(dc, m_rowFont.Get(), kAction, x + shortcutWidth + Px(kColumnGap), y, row.action);
      y += Px(kRowHeight);
    }
    if (m_moreRows > 0) PaintText(dc, m_rowFont.Get(), kAction, padding, y, "and " + std::to_string(m_moreRows) + " more");
  }
  PaintText(dc, m_noticeFont.Get(), RGB(0, 255, 0), 0, panel, kNotice);
}

LRESULT CALLBACK NotifyPlugin::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  NotifyPlugin* plugin = reinterpret_cast<NotifyPlugin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (plugin == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE: return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      plugin->Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kRefreshTimer) plugin->Refresh();
      return 0;
    case WM_DISPLAYCHANGE:
      plugin->Place();
      return 0;
    case WM_DPICHANGED:
      plugin->OnDpiChanged(DpiOfChange(wParam));
      return 0;
    case WM_MOVING:
      // The notice stays where it is.
      GetWindowRect(window, reinterpret_cast<RECT*>(lParam));
      return TRUE;
    case WM_DESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
