// The layout engine: the anchor arithmetic alone, then real resizable dialogs under Wine.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "Dialog.h"
#include "DialogLayout.h"
#include "TestDialogs.h"

namespace {

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

TEST(AnchorRect, EachAnchorSetMovesTheEdgesItNames) {
  // A 40 x 20 control in a container that does not start at the origin.
  const RECT current = {17, 29, 57, 49};
  const RECT container = {5, 8, 305, 208};
  const RECT margins = {10, 20, 30, 40};
  struct Case {
    UINT anchors;
    RECT expected;
  };
  const Case cases[] = {
      {0, {17, 29, 57, 49}},                                              // stays
      {LAYOUT_LEFT | LAYOUT_TOP, {15, 28, 55, 48}},                       // 3: fixed
      {LAYOUT_TOP | LAYOUT_RIGHT, {235, 28, 275, 48}},                    // 6: follows right
      {LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT, {15, 28, 275, 48}},       // 7: stretches
      {LAYOUT_RIGHT | LAYOUT_BOTTOM, {235, 148, 275, 168}},               // 12: corner
      {LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM, {15, 148, 275, 168}},  // 13
      {LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM, {15, 28, 275, 168}},  // 15
      {LAYOUT_LEFT | LAYOUT_RIGHT, {15, 29, 275, 49}},  // vertical untouched
      {LAYOUT_TOP | LAYOUT_BOTTOM, {17, 28, 57, 168}},  // horizontal untouched
  };
  for (const Case& c : cases) {
    RECT r = AnchorRect(current, container, margins, c.anchors);
    EXPECT_TRUE(r == c.expected) << "anchors " << c.anchors << ": " << Text(r);
  }
  // A minimised dialog's empty area turns stretched controls inside out; nothing clamps.
  RECT r = AnchorRect(current, RECT{0, 0, 0, 0}, margins, 15);
  EXPECT_TRUE(r == (RECT{10, 20, -30, -40})) << Text(r);
}

// --- real dialogs -------------------------------------------------------------------------

RECT ChildRect(HWND dialog, int id) {
  RECT r = {};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE ClientSize(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return {r.right, r.bottom};
}

void ResizeClient(HWND hwnd, int width, int height) {
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  int cx = window.right - window.left + width - client.right;
  int cy = window.bottom - window.top + height - client.bottom;
  SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class LayoutDialog : public Dialog {
 public:
  LayoutDialog(UINT templateId, const LayoutMapEntry* map, size_t count)
      : m_layout(templateId, map, count) {}
  LayoutDialog(UINT templateId, LayoutMapFunction map) : m_layout(templateId, map) {}

  DialogLayout m_layout;
  // The dialog's own WM_INITDIALOG handling, which runs before the layout's.
  std::function<void(LayoutDialog&)> onInitDialog;

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message == WM_INITDIALOG && onInitDialog) onInitDialog(*this);
    (void)result;
    return m_layout.OnMessage(Window(), message, wParam, lParam);
  }
};

const LayoutMapEntry kAnchorMap[] = {
    {IDC_FIXED, LAYOUT_LEFT | LAYOUT_TOP},
    {IDC_TOPRIGHT, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_WIDE, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_CORNER, LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_WIDEBOTTOM, LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_STRETCH, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_UNANCHORED, 0},
};

const size_t kAnchorCount = sizeof kAnchorMap / sizeof *kAnchorMap;

// Where every control of kAnchorMap lies now.
std::map<UINT, RECT> Places(HWND dialog) {
  std::map<UINT, RECT> places;
  for (const LayoutMapEntry& entry : kAnchorMap) {
    places[entry.controlId] = ChildRect(dialog, entry.controlId);
  }
  return places;
}

// Where each control of kAnchorMap belongs after the client area changed by (dx, dy):
// edges anchored right or bottom move with the dialog, the others stay.
RECT Expected(const RECT& before, UINT anchors, int dx, int dy) {
  RECT r = before;
  if (anchors & LAYOUT_RIGHT) {
    r.right += dx;
    if (!(anchors & LAYOUT_LEFT)) r.left += dx;
  }
  if (anchors & LAYOUT_BOTTOM) {
    r.bottom += dy;
    if (!(anchors & LAYOUT_TOP)) r.top += dy;
  }
  return r;
}

class LayoutDialogTest : public ::testing::TestWithParam<UINT> {
 protected:
  void SetUp() override {
    m_dialog.reset(new LayoutDialog(GetParam(), kAnchorMap, kAnchorCount));
    ASSERT_NE(nullptr, m_dialog->Create(GetParam(), nullptr));
    m_hwnd = m_dialog->Window();
    m_initial = ClientSize(m_hwnd);
    m_before = Places(m_hwnd);
  }
  void TearDown() override { m_dialog.reset(); }

  void ExpectLaidOut(const char* when) {
    SIZE size = ClientSize(m_hwnd);
    for (const LayoutMapEntry& entry : kAnchorMap) {
      RECT expected = Expected(m_before[entry.controlId], entry.anchors, size.cx - m_initial.cx,
                               size.cy - m_initial.cy);
      RECT actual = ChildRect(m_hwnd, entry.controlId);
      EXPECT_TRUE(actual == expected)
          << when << ": control " << entry.controlId << " anchors " << entry.anchors << " at "
          << Text(actual) << ", not " << Text(expected);
    }
  }

  // Every anchored edge at its template margin, converted for dpi (0: the screen's).
  void ExpectTemplateMargins(UINT dpi) {
    SIZE size = ClientSize(m_hwnd);
    const DialogTemplate& tmpl = m_dialog->m_layout.GetTemplate();
    for (const LayoutMapEntry& entry : kAnchorMap) {
      SCOPED_TRACE(entry.controlId);
      DialogItemTemplate item = tmpl.FindItem(entry.controlId);
      RECT margins = {item.GetX(), item.GetY(), tmpl.GetCx() - item.GetX() - item.GetCx(),
                      tmpl.GetCy() - item.GetY() - item.GetCy()};
      tmpl.DialogUnitsToPixels(&margins, dpi);
      RECT r = ChildRect(m_hwnd, entry.controlId);
      if (entry.anchors & LAYOUT_LEFT) {
        EXPECT_EQ(margins.left, r.left);
      }
      if (entry.anchors & LAYOUT_TOP) {
        EXPECT_EQ(margins.top, r.top);
      }
      if (entry.anchors & LAYOUT_RIGHT) {
        EXPECT_EQ(margins.right, size.cx - r.right);
      }
      if (entry.anchors & LAYOUT_BOTTOM) {
        EXPECT_EQ(margins.bottom, size.cy - r.bottom);
      }
    }
  }

  std::unique_ptr<LayoutDialog> m_dialog;
  HWND m_hwnd = nullptr;
  SIZE m_initial = {};
  std::map<UINT, RECT> m_before;
};

TEST_P(LayoutDialogTest, AnchoredControlsKeepTheirMarginsAsTheDialogGrowsAndShrinks) {
  ResizeClient(m_hwnd, m_initial.cx + 150, m_initial.cy + 90);
  ExpectLaidOut("grown");
  ResizeClient(m_hwnd, m_initial.cx - 60, m_initial.cy - 40);
  ExpectLaidOut("shrunk below the template size");
  ResizeClient(m_hwnd, m_initial.cx, m_initial.cy);
  ExpectLaidOut("back");
}

TEST_P(LayoutDialogTest, AnchoredEdgesKeepTheTemplateMarginsInPixels) {
  ResizeClient(m_hwnd, m_initial.cx + 70, m_initial.cy + 50);
  ExpectTemplateMargins(0);
}

TEST_P(LayoutDialogTest, MinimiseThenRestorePutsEveryControlBack) {
  ResizeClient(m_hwnd, m_initial.cx + 40, m_initial.cy + 30);
  ShowWindow(m_hwnd, SW_SHOWNORMAL);
  std::map<UINT, RECT> placed = Places(m_hwnd);
  ShowWindow(m_hwnd, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(m_hwnd));
  // The minimised pass had an empty area: the corner control went off to the top left.
  EXPECT_LT(ChildRect(m_hwnd, IDC_CORNER).right, 0);
  ShowWindow(m_hwnd, SW_RESTORE);
  ASSERT_FALSE(IsIconic(m_hwnd));
  for (const LayoutMapEntry& entry : kAnchorMap) {
    RECT r = ChildRect(m_hwnd, entry.controlId);
    EXPECT_TRUE(r == placed[entry.controlId]) << "control " << entry.controlId << " at " << Text(r)
                                              << ", not " << Text(placed[entry.controlId]);
  }
}

TEST_P(LayoutDialogTest, SizeGripSitsFlushInTheCornerAfterEveryPass) {
  HWND grip = GetDlgItem(m_hwnd, kSizeGripId);
  ASSERT_NE(nullptr, grip);
  EXPECT_EQ(grip, m_dialog->m_layout.GetGripperWindow());
  char name[32] = "";
  GetClassNameA(grip, name, sizeof name);
  EXPECT_STRCASEEQ("ScrollBar", name);
  EXPECT_EQ(0x54000014, GetWindowLongA(grip, GWL_STYLE));
  RECT first;
  GetWindowRect(grip, &first);
  const SIZE sizes[] = {{m_initial.cx + 33, m_initial.cy + 21},
                        {m_initial.cx - 17, m_initial.cy - 9}};
  for (SIZE size : sizes) {
    ResizeClient(m_hwnd, size.cx, size.cy);
    SIZE client = ClientSize(m_hwnd);
    RECT r = ChildRect(m_hwnd, kSizeGripId);
    EXPECT_EQ(client.cx, r.right);
    EXPECT_EQ(client.cy, r.bottom);
    EXPECT_EQ(first.right - first.left, r.right - r.left);  // its size stays
    EXPECT_EQ(first.bottom - first.top, r.bottom - r.top);
  }
}

TEST_P(LayoutDialogTest, GroupBoxesAreRaisedAfterAPass) {
  // Last in the template, so last among the children until a pass raises it.
  ResizeClient(m_hwnd, m_initial.cx + 10, m_initial.cy + 10);
  EXPECT_EQ(GetDlgItem(m_hwnd, IDC_GROUP), GetWindow(m_hwnd, GW_CHILD));
}

// The height of the template's font at a DPI, as the dialog manager makes it.
LONG TemplateFontHeight(const DialogTemplate& tmpl, UINT dpi) {
  LOGFONTW font;
  tmpl.GetFont(&font);
  return -MulDiv(font.lfHeight, static_cast<int>(dpi), 72);
}

LONG FontHeight(HWND control) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// What Windows sends when the window moves to a monitor of another DPI; Wine has one DPI for
// all monitors, so the tests send it themselves.
void ChangeDpi(HWND window, UINT dpi, const RECT& suggested) {
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// At twice the DPI: the suggested size, the template's font and margins at that DPI, the
// unanchored control where the dialog manager would have made it there; back again, every
// control where it was.
TEST_P(LayoutDialogTest, ADpiChangeLaysOutForTheNewDpiAndBackExactly) {
  const UINT dpi = m_dialog->m_layout.GetDpi();
  ResizeClient(m_hwnd, m_initial.cx + 30, m_initial.cy + 20);
  std::map<UINT, RECT> placed = Places(m_hwnd);
  RECT window;
  GetWindowRect(m_hwnd, &window);
  const RECT suggested = {window.left, window.top, window.left + 2 * (window.right - window.left),
                          window.top + 2 * (window.bottom - window.top)};
  ChangeDpi(m_hwnd, 2 * dpi, suggested);
  RECT now;
  GetWindowRect(m_hwnd, &now);
  EXPECT_TRUE(now == suggested) << Text(now);
  EXPECT_EQ(2 * dpi, m_dialog->m_layout.GetDpi());

  const DialogTemplate& tmpl = m_dialog->m_layout.GetTemplate();
  EXPECT_EQ(TemplateFontHeight(tmpl, 2 * dpi), FontHeight(GetDlgItem(m_hwnd, IDC_WIDE)));
  EXPECT_EQ(TemplateFontHeight(tmpl, 2 * dpi), FontHeight(GetDlgItem(m_hwnd, IDC_UNANCHORED)));
  ExpectTemplateMargins(2 * dpi);
  EXPECT_TRUE(ChildRect(m_hwnd, IDC_UNANCHORED) == tmpl.ItemRect(tmpl.FindItem(IDC_UNANCHORED), 2 * dpi))
      << Text(ChildRect(m_hwnd, IDC_UNANCHORED));

  ChangeDpi(m_hwnd, dpi, window);
  EXPECT_EQ(TemplateFontHeight(tmpl, dpi), FontHeight(GetDlgItem(m_hwnd, IDC_WIDE)));
  for (const LayoutMapEntry& entry : kAnchorMap) {
    RECT r = ChildRect(m_hwnd, entry.controlId);
    EXPECT_TRUE(r == placed[entry.controlId])
        << "control " << entry.controlId << " at " << Text(r) << ", not " << Text(placed[entry.controlId]);
  }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, LayoutDialogTest,
                         ::testing::Values(IDD_LAYOUT_CLASSIC, IDD_LAYOUT_EXTENDED),
                         [](const ::testing::TestParamInfo<UINT>& info) {
                           return info.param == IDD_LAYOUT_CLASSIC ? "Classic" : "Extended";
                         });

TEST(DialogLayout, APassBeforeInitDialogMovesNothingAndTheFirstPassFollows) {
  // The same dialog resized after its creation, for comparison.
  LayoutDialog reference(IDD_LAYOUT_EXTENDED, kAnchorMap, kAnchorCount);
  ASSERT_NE(nullptr, reference.Create(IDD_LAYOUT_EXTENDED, nullptr));
  SIZE templateSize = ClientSize(reference.Window());
  ResizeClient(reference.Window(), templateSize.cx + 80, templateSize.cy + 60);

  LayoutDialog dialog(IDD_LAYOUT_EXTENDED, kAnchorMap, kAnchorCount);
  std::map<UINT, RECT> before, during;
  dialog.onInitDialog = [&](LayoutDialog& self) {
    // As the program's dialogs do: size themselves before the layout has its root.
    before = Places(self.Window());
    ResizeClient(self.Window(), templateSize.cx + 80, templateSize.cy + 60);
    self.m_layout.UpdateLayout(self.m_layout.GetRoot(), RECT{0, 0, 10, 10});
    during = Places(self.Window());
  };
  for (int round = 0; round < 2; ++round) {  // the object outlives its first window
    SCOPED_TRACE(round);
    ASSERT_NE(nullptr, dialog.Create(IDD_LAYOUT_EXTENDED, nullptr));
    for (const LayoutMapEntry& entry : kAnchorMap) {
      EXPECT_TRUE(before[entry.controlId] == during[entry.controlId]) << entry.controlId;
      // Laid out for the size its own handler gave it, without waiting for a WM_SIZE.
      RECT expected = ChildRect(reference.Window(), entry.controlId);
      RECT actual = ChildRect(dialog.Window(), entry.controlId);
      EXPECT_TRUE(actual == expected)
          << entry.controlId << " at " << Text(actual) << ", not " << Text(expected);
    }
    EXPECT_NE(nullptr, GetDlgItem(dialog.Window(), kSizeGripId));
    dialog.Destroy();
    EXPECT_EQ(nullptr, dialog.m_layout.GetRoot());
  }
}

const LayoutMapEntry kPageMap[] = {{IDC_PAGE_EDIT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT}};

// A page inside the dialog follows the dialog's DPI: the one there when the change comes,
// and one made afterwards, which the dialog manager makes for the DPI Windows last told.
TEST(DialogLayout, PagesFollowTheDpiOfTheDialogTheyAreIn) {
  LayoutDialog dialog(IDD_LAYOUT_EXTENDED, kAnchorMap, kAnchorCount);
  ASSERT_NE(nullptr, dialog.Create(IDD_LAYOUT_EXTENDED, nullptr));
  LayoutDialog page(IDD_LAYOUT_PAGE, kPageMap, 1);
  page.onInitDialog = [](LayoutDialog& self) { self.m_layout.SetGripper(false); };
  ASSERT_NE(nullptr, page.Create(IDD_LAYOUT_PAGE, dialog.Window()));
  const UINT dpi = dialog.m_layout.GetDpi();
  EXPECT_EQ(dpi, page.m_layout.GetDpi());

  RECT window;
  GetWindowRect(dialog.Window(), &window);
  const UINT to = dpi + dpi / 2;
  ChangeDpi(dialog.Window(), to, window);
  EXPECT_EQ(to, page.m_layout.GetDpi());
  const DialogTemplate& tmpl = page.m_layout.GetTemplate();
  EXPECT_EQ(TemplateFontHeight(tmpl, to), FontHeight(GetDlgItem(page.Window(), IDC_PAGE_EDIT)));
  EXPECT_TRUE(ChildRect(page.Window(), IDC_PAGE_LABEL) == tmpl.ItemRect(tmpl.FindItem(IDC_PAGE_LABEL), to));

  LayoutDialog later(IDD_LAYOUT_PAGE, kPageMap, 1);
  later.onInitDialog = [](LayoutDialog& self) { self.m_layout.SetGripper(false); };
  ASSERT_NE(nullptr, later.Create(IDD_LAYOUT_PAGE, dialog.Window()));
  EXPECT_EQ(to, later.m_layout.GetDpi());
  EXPECT_EQ(TemplateFontHeight(tmpl, to), FontHeight(GetDlgItem(later.Window(), IDC_PAGE_LABEL)));
}

TEST(DialogLayout, WithoutTheGripperNoGripIsMade) {
  LayoutDialog dialog(IDD_LAYOUT_EXTENDED, kAnchorMap, 1);
  dialog.onInitDialog = [](LayoutDialog& self) { self.m_layout.SetGripper(false); };
  ASSERT_NE(nullptr, dialog.Create(IDD_LAYOUT_EXTENDED, nullptr));
  SIZE size = ClientSize(dialog.Window());
  ResizeClient(dialog.Window(), size.cx + 20, size.cy + 20);
  EXPECT_EQ(nullptr, GetDlgItem(dialog.Window(), kSizeGripId));
  EXPECT_EQ(nullptr, dialog.m_layout.GetGripperWindow());
}

// --- the batch ----------------------------------------------------------------------------

// Stands between the layout and the real calls and hands out a new handle for every move,
// as DeferWindowPos may, so that a move given a stale handle shows.
struct BatchWatch {
  static BatchWatch* current;
  HDWP real = nullptr;
  HDWP issued = nullptr;
  UINT_PTR next = 0x5000;
  int moves = 0;
  int staleHandles = 0;
  int ends = 0;
  DeferredMoveCalls saved = gDeferredMoves;

  BatchWatch() {
    current = this;
    gDeferredMoves = {Begin, Defer, End};
  }
  ~BatchWatch() {
    gDeferredMoves = saved;
    current = nullptr;
  }
  HDWP Issue() { return issued = reinterpret_cast<HDWP>(next += 8); }

  static HDWP WINAPI Begin(int count) {
    current->real = BeginDeferWindowPos(count);
    return current->Issue();
  }
  static HDWP WINAPI Defer(HDWP hdwp, HWND hwnd, HWND after, int x, int y, int cx, int cy,
                           UINT flags) {
    if (hdwp != current->issued) ++current->staleHandles;
    ++current->moves;
    current->real = DeferWindowPos(current->real, hwnd, after, x, y, cx, cy, flags);
    return current->Issue();
  }
  static BOOL WINAPI End(HDWP hdwp) {
    if (hdwp != current->issued) ++current->staleHandles;
    ++current->ends;
    return EndDeferWindowPos(current->real);
  }
};
BatchWatch* BatchWatch::current;

TEST(DialogLayout, EachMoveGoesToTheHandleThePreviousOneReturned) {
  LayoutDialog dialog(IDD_LAYOUT_EXTENDED, kAnchorMap, kAnchorCount);
  ASSERT_NE(nullptr, dialog.Create(IDD_LAYOUT_EXTENDED, nullptr));
  SIZE size = ClientSize(dialog.Window());
  RECT wide = ChildRect(dialog.Window(), IDC_WIDE);
  {
    BatchWatch watch;
    ResizeClient(dialog.Window(), size.cx + 50, size.cy);
    EXPECT_EQ(int(kAnchorCount) + 1, watch.moves);  // the controls and the grip
    EXPECT_EQ(1, watch.ends);
    EXPECT_EQ(0, watch.staleHandles);
  }
  EXPECT_EQ(wide.right + 50, ChildRect(dialog.Window(), IDC_WIDE).right);
}

// --- nested areas and rules ---------------------------------------------------------------

void RulesMap(LayoutMap& map) {
  map.Control(IDC_RULE_ANCHOR, LAYOUT_TOP | LAYOUT_RIGHT);
  // Right half of the dialog below y 30.
  map.BeginContainer(std::make_unique<RatioRule>(0.5), std::make_unique<OffsetRule>(30),
                     std::make_unique<OffsetRule>(-7), std::make_unique<OffsetRule>(-7));
  map.Control(IDC_RULE_RATIO, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT);
  map.EndContainer();
  // The column under the anchor control, which moves in the same pass.
  map.BeginContainer(std::make_unique<ControlEdgeRule>(IDC_RULE_ANCHOR, LAYOUT_LEFT),
                     std::make_unique<ControlEdgeRule>(IDC_RULE_ANCHOR, LAYOUT_BOTTOM, 2),
                     std::make_unique<ControlEdgeRule>(IDC_RULE_ANCHOR, LAYOUT_RIGHT),
                     std::make_unique<OffsetRule>(-7));
  map.Control(IDC_RULE_BELOW, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT);
  map.EndContainer();
}

TEST(DialogLayout, RulesFollowControlsPlacedEarlierInTheSamePass) {
  LayoutDialog dialog(IDD_RULES, RulesMap);
  ASSERT_NE(nullptr, dialog.Create(IDD_RULES, nullptr));
  HWND hwnd = dialog.Window();
  // 7 across and 2 down; 30 down (the area's top) and 10 down (the edit's margin in it).
  RECT seven = {0, 0, 7, 2}, thirty = {0, 0, 0, 30}, ten = {0, 0, 0, 10};
  MapDialogRect(hwnd, &seven);
  MapDialogRect(hwnd, &thirty);
  MapDialogRect(hwnd, &ten);
  SIZE size = ClientSize(hwnd);
  // Wide enough for the anchor control; then so narrow that it starts left of the dialog.
  for (LONG width : {size.cx + 90, size.cx + 3, 120L}) {
    SCOPED_TRACE(width);
    ResizeClient(hwnd, width, size.cy + 20);
    SIZE client = ClientSize(hwnd);
    RECT anchor = ChildRect(hwnd, IDC_RULE_ANCHOR);
    RECT below = ChildRect(hwnd, IDC_RULE_BELOW);
    RECT ratio = ChildRect(hwnd, IDC_RULE_RATIO);
    EXPECT_EQ(client.cx - seven.right, anchor.right);
    EXPECT_EQ(anchor.left, below.left);
    EXPECT_EQ(anchor.right, below.right);
    EXPECT_EQ(anchor.bottom + seven.bottom, below.top);
    EXPECT_EQ(client.cx / 2 + seven.right, ratio.left);
    EXPECT_EQ(client.cx - seven.right, ratio.right);
    EXPECT_EQ(thirty.bottom + ten.bottom, ratio.top);
    if (width == 120) {
      EXPECT_LT(anchor.left, 0);
    }
  }
}

// x in the low 16 bits, y in the high ones, as a pass stores them.
HANDLE Packed(int x, int y) {
  return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(MAKELONG(WORD(x), WORD(y))));
}

TEST(DialogLayout, PendingPositionsAreSignedAndBelongToTheirPass) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  HWND child =
      CreateWindowExA(0, "STATIC", "", WS_CHILD, 11, 12, 30, 40, parent, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, child);
  HANDLE pass = reinterpret_cast<HANDLE>(0x1230);
  SetPropA(child, "DialogLayout_HDWP", pass);
  SetPropA(child, "DialogLayout_TopLeft", Packed(-120, 5));
  SetPropA(child, "DialogLayout_BottomRight", Packed(-3, -25536));
  RECT pending = GetPendingRect(child, pass);
  EXPECT_TRUE(pending == (RECT{-120, 5, -3, -25536})) << Text(pending);
  // Another pass, or none: where the window is.
  for (HANDLE other : {reinterpret_cast<HANDLE>(0x4560), HANDLE(nullptr)}) {
    RECT r = GetPendingRect(child, other);
    EXPECT_TRUE(r == (RECT{11, 12, 41, 52})) << Text(r);
  }
  RemovePropA(child, "DialogLayout_HDWP");
  RemovePropA(child, "DialogLayout_TopLeft");
  RemovePropA(child, "DialogLayout_BottomRight");
  DestroyWindow(parent);
}

}  // namespace
