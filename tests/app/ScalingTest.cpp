// The main window at the DPI the session runs at, and after moves to monitors of other DPIs.
// Wine has one DPI for all monitors (LogPixels of the prefix; scripts/test runs these tests
// at 96 and again at 144), so a move is a synthetic WM_DPICHANGED, as Windows sends it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "DialogLayout.h"
#include "Dpi.h"
#include "PluginResources.h"
#include "UiFixture.h"
#include "resource.h"

namespace {

const std::string kBindings = SequenceToCommand("np", "C:\\Windows\\notepad.exe") + SequenceToCommand("calc", "calc.exe");

std::string Describe(HWND window) {
  char text[64] = "";
  GetWindowTextA(window, text, sizeof text);
  RECT r;
  GetWindowRect(window, &r);
  return "control " + std::to_string(GetDlgCtrlID(window)) + " \"" + text + "\" at (" + std::to_string(r.left) + "," +
         std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

bool Shown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Every control that shows lies inside its parent's client area and over no other control
// that shows, but where one is meant to lie on another: the plugin boxes on the tab
// control's header, the pages inside it. The size grip belongs to the frame: it sits in the
// corner over whatever is there, as in every resizable window. The controls of the page
// shown are checked alike.
void ExpectTidy(HWND parent, const std::vector<int>& onTabs = {}) {
  RECT client;
  GetClientRect(parent, &client);
  MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::vector<HWND> controls;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    if (Shown(child) && GetDlgCtrlID(child) != kSizeGripId) controls.push_back(child);
  for (size_t i = 0; i < controls.size(); ++i) {
    RECT a, overlap;
    GetWindowRect(controls[i], &a);
    EXPECT_TRUE(a.left >= client.left && a.top >= client.top && a.right <= client.right && a.bottom <= client.bottom)
        << Describe(controls[i]) << " is not inside its window's client area (" << client.left << "," << client.top
        << "," << client.right << "," << client.bottom << ")";
    for (size_t j = i + 1; j < controls.size(); ++j) {
      RECT b;
      GetWindowRect(controls[j], &b);
      if (!IntersectRect(&overlap, &a, &b)) continue;
      bool onTab = false;
      for (int id : onTabs)
        onTab = onTab || GetDlgCtrlID(controls[i]) == id || GetDlgCtrlID(controls[j]) == id;
      bool withTabs = GetDlgCtrlID(controls[i]) == IDC_MAIN_TABS || GetDlgCtrlID(controls[j]) == IDC_MAIN_TABS;
      EXPECT_TRUE(onTab && withTabs) << Describe(controls[i]) << " lies over " << Describe(controls[j]);
    }
  }
}

class ScalingTest : public UiTest {
 protected:
  HWND Main() { return dialog->Window(); }

  // The main window and the page on its current tab.
  void ExpectMainWindowTidy() {
    ExpectTidy(Main(), {IDC_MAIN_SHORTCUTCOMBO, IDC_MAIN_ACTIONCOMBO});
    HWND pages = Item(IDC_MAIN_TABS);
    for (HWND page = GetWindow(pages, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT))
      if (Shown(page)) {
        SCOPED_TRACE("the page shown");
        ExpectTidy(page);
      }
  }

  // The move Windows would make: the same place, the size scaled by the DPIs' ratio.
  RECT MoveToDpi(UINT from, UINT to) {
    RECT window;
    GetWindowRect(Main(), &window);
    RECT suggested = {window.left, window.top, window.left + MulDiv(window.right - window.left, to, from),
                      window.top + MulDiv(window.bottom - window.top, to, from)};
    MoveToDpi(to, suggested);
    return window;
  }
  void MoveToDpi(UINT to, const RECT& suggested) {
    SendMessageA(Main(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    Pump();
  }

  std::map<HWND, RECT> Places() {
    std::map<HWND, RECT> places;
    for (HWND child = GetWindow(Main(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&r), 2);
      places[child] = r;
    }
    return places;
  }

  // The dialogs' templates and the pages' all ask for 8 points.
  static LONG TemplateFontHeight(UINT dpi) { return -MulDiv(8, static_cast<int>(dpi), 72); }

  static LONG FontHeight(HWND control) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
  }

  int ImageSize() {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(ListView_GetImageList(Item(IDC_MAIN_BINDINGS), LVSIL_SMALL), &cx, &cy);
    return cx;
  }
};

// What scripts/test runs at 96 and at 144 DPI: the window's size and smallest size scale,
// and nothing lies outside it or over something else, on either tab.
TEST_F(ScalingTest, AtTheSessionsDpiNoControlLiesOutsideTheMainWindowOrOverAnother) {
  Start(kBindings);
  const UINT dpi = WindowDpi(Main());
  RECT window;
  GetWindowRect(Main(), &window);
  EXPECT_EQ(ScaleForDpi(360, dpi), window.right - window.left);
  EXPECT_EQ(ScaleForDpi(450, dpi), window.bottom - window.top);
  EXPECT_EQ(ScaleForDpi(16, dpi), ImageSize());
  EXPECT_EQ(ScaleForDpi(18, dpi), SendMessageA(Item(IDC_MAIN_ACTIONCOMBO), CB_GETITEMHEIGHT, 0, 0));
  ShowWindow(Main(), SW_SHOWNORMAL);
  SelectRow(0);
  {
    SCOPED_TRACE("a binding chosen, its shortcut's page");
    ExpectMainWindowTidy();
  }
  SelectTab(1);
  {
    SCOPED_TRACE("its action's page");
    ExpectMainWindowTidy();
  }
}

// A move to a monitor at 120, 144 and 192 DPI: the window takes the suggested size, fonts,
// images, item heights and column widths follow, the layout holds; back at the first DPI
// every control is where it was.
TEST_F(ScalingTest, AMoveToAMonitorOfAnotherDpiScalesEverythingAndTheMoveBackUndoesIt) {
  Start(kBindings);
  ShowWindow(Main(), SW_SHOWNORMAL);
  SelectRow(0);
  const UINT dpi = WindowDpi(Main());
  const std::map<HWND, RECT> before = Places();
  const LONG font = FontHeight(Item(IDC_MAIN_BINDINGS));
  EXPECT_EQ(TemplateFontHeight(dpi), font);
  const int column = ListView_GetColumnWidth(Item(IDC_MAIN_BINDINGS), 0);
  HWND page = GetParent(PageItem(IDC_SEQUENCE_TEXT));
  ASSERT_NE(nullptr, page);
  for (UINT to : {120u, 144u, 192u}) {
    if (to == dpi) continue;
    SCOPED_TRACE(to);
    RECT window = MoveToDpi(dpi, to);
    EXPECT_EQ(TemplateFontHeight(to), FontHeight(Item(IDC_MAIN_BINDINGS)));
    EXPECT_EQ(TemplateFontHeight(to), FontHeight(PageItem(IDC_SEQUENCE_TEXT)));
    EXPECT_EQ(ScaleForDpi(16, to), ImageSize());
    EXPECT_EQ(ScaleForDpi(18, to), SendMessageA(Item(IDC_MAIN_SHORTCUTCOMBO), CB_GETITEMHEIGHT, 0, 0));
    EXPECT_NEAR(MulDiv(column, to, dpi), ListView_GetColumnWidth(Item(IDC_MAIN_BINDINGS), 0), 1);
    MINMAXINFO limits = {};
    SendMessageA(Main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(std::min<LONG>(ScaleForDpi(450, to), work.bottom - work.top), limits.ptMinTrackSize.y);
    ExpectMainWindowTidy();

    MoveToDpi(dpi, window);  // the size it had, rather than one rounded twice
    EXPECT_EQ(font, FontHeight(Item(IDC_MAIN_BINDINGS)));
    // The user may have widened a column: it is scaled where it is, and may be a pixel off.
    EXPECT_NEAR(column, ListView_GetColumnWidth(Item(IDC_MAIN_BINDINGS), 0), 1);
    for (const auto& place : Places()) {
      auto it = before.find(place.first);
      if (it == before.end()) continue;
      EXPECT_TRUE(EqualRect(&it->second, &place.second)) << Describe(place.first) << " has moved";
    }
  }
  EXPECT_EQ(page, GetParent(PageItem(IDC_SEQUENCE_TEXT)));  // the page was kept, not made anew
}

// The settings and about windows follow too: their fonts, and the settings window's bold
// note and plugin images.
TEST_F(ScalingTest, TheSettingsAndAboutWindowsFollowAMoveAsWell) {
  Start(kBindings);
  const UINT dpi = WindowDpi(Main());
  const UINT to = dpi + dpi / 4;  // the settings window at twice its size would not fit the screen
  for (HWND control : {GetDlgItem(dialog->SettingsWindow(), IDC_SETTINGS_AUTOSHOW), GetDlgItem(dialog->AboutWindow(), IDOK)}) {
    HWND window = GetParent(control);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(TemplateFontHeight(dpi), FontHeight(control)) << Describe(control);
    RECT suggested = {r.left, r.top, r.left + MulDiv(r.right - r.left, to, dpi), r.top + MulDiv(r.bottom - r.top, to, dpi)};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_EQ(TemplateFontHeight(to), FontHeight(control)) << Describe(control);
  }
  HWND settings = dialog->SettingsWindow();
  LOGFONTA note = {};
  GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(settings, IDC_SETTINGS_NOTE, WM_GETFONT, 0, 0)), sizeof note,
             &note);
  EXPECT_EQ(FW_BOLD, note.lfWeight);
  EXPECT_EQ(FontHeight(GetDlgItem(settings, IDC_SETTINGS_AUTOSHOW)), note.lfHeight);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(ListView_GetImageList(GetDlgItem(settings, IDC_SETTINGS_PLUGINS), LVSIL_SMALL), &cx, &cy);
  EXPECT_EQ(ScaleForDpi(16, to), cx);
}

}  // namespace
