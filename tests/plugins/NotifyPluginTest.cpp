// The on-screen notice: its window, where it sits, when it shows, and that it stays put.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeEngine.h"
#include "Library.h"
#include "TriggerEngine.h"
#include "notify/NotifyPlugin.h"

namespace {

RECT WorkArea() {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// 470 x 45 pixels, 10 off the work area's right and bottom edges, at 96 DPI; scale times that.
bool AtTheCorner(HWND window, int scale = 1) {
  RECT work = WorkArea(), rect;
  GetWindowRect(window, &rect);
  return rect.left == work.right - 480 * scale && rect.top == work.bottom - 55 * scale &&
         rect.right == work.right - 10 * scale && rect.bottom == work.bottom - 10 * scale;
}

struct NotifyPluginTest : ::testing::Test {
  void SetUp() override {
    InitPluginLibrary(GetModuleHandleA(nullptr));
    plugin = new NotifyPlugin;
    window = plugin->NoticeWindow();
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override { plugin->Release(); }
  // The notice follows a toggle on its refresh timer.
  void Settle() {
    for (int i = 0; i < 5; ++i) {
      Sleep(15);
      PumpMessages();
    }
  }
  NotifyPlugin* plugin = nullptr;
  HWND window = nullptr;
};

TEST_F(NotifyPluginTest, IsALayeredTopmostToolWindowInTheCorner) {
  char name[32];
  GetClassNameA(window, name, sizeof name);
  EXPECT_STREQ("TambrelNotify", name);
  EXPECT_EQ(0x223u, GetClassLongPtrA(window, GCL_STYLE));
  EXPECT_EQ(0x80088, GetWindowLongA(window, GWL_EXSTYLE) & 0x80088);
  EXPECT_EQ(WS_POPUP, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & (WS_POPUP | WS_CHILD | WS_CAPTION));
  EXPECT_TRUE(AtTheCorner(window));
  COLORREF key = 1;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, nullptr, &flags));
  EXPECT_EQ(0u, key);
  EXPECT_EQ(static_cast<DWORD>(LWA_COLORKEY), flags);
  EXPECT_EQ(0x22, plugin->GetTypes());
  EXPECT_STREQ("\t\tNo additional information\n", plugin->GetDebugInfo(false, false, 0));
  EXPECT_STREQ("\t\tNo additional information\n", plugin->GetDebugInfo(true, false, 0));
}

TEST_F(NotifyPluginTest, ShownExactlyWhileEnabledAndToggled) {
  struct Step {
    bool setEnabled;  // else OnToggle
    bool value;
    bool visible;
  };
  const Step steps[] = {
      {false, true, false},  // toggled while disabled: nothing
      {true, true, true},    // enabling shows it
      {false, false, false}, {false, true, true},
      {true, false, false},  {true, true, true},
      {false, false, false}, {true, false, false},
  };
  HWND other = CreateWindowExA(0, "STATIC", "user's program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  HWND foreground = GetForegroundWindow();
  int index = 0;
  for (const Step& step : steps) {
    if (step.setEnabled)
      plugin->SetEnabled(step.value);
    else
      plugin->OnToggle(step.value);
    Settle();
    EXPECT_EQ(step.visible, IsWindowVisible(window) != FALSE) << "step " << index;
    EXPECT_EQ(foreground, GetForegroundWindow()) << "step " << index;
    ++index;
  }
  DestroyWindow(other);
}

TEST_F(NotifyPluginTest, StaysInPlaceAndFollowsTheDisplay) {
  plugin->SetEnabled(true);
  plugin->OnToggle(true);
  Settle();
  RECT before;
  GetWindowRect(window, &before);
  RECT proposed = {5, 5, 475, 50};
  SendMessageA(window, WM_MOVING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&proposed));
  EXPECT_TRUE(EqualRect(&before, &proposed));
  RECT now;
  GetWindowRect(window, &now);
  EXPECT_TRUE(EqualRect(&before, &now));

  SetWindowPos(window, nullptr, 20, 30, 100, 10, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(AtTheCorner(window));
  SendMessageA(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
  EXPECT_TRUE(AtTheCorner(window));
  EXPECT_TRUE(IsWindowVisible(window));
}

// On a monitor of twice the DPI (a synthetic WM_DPICHANGED: Wine has one DPI for all
// monitors) the notice is twice as large and as far from the edges; back, as it was.
TEST_F(NotifyPluginTest, AtTwiceTheDpiTheNoticeIsTwiceAsLargeAndAsFarFromTheEdges) {
  const UINT dpi = plugin->Dpi();
  plugin->SetEnabled(true);
  plugin->OnToggle(true);
  Settle();
  ASSERT_TRUE(AtTheCorner(window, dpi / 96));
  RECT unused = {};
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&unused));
  EXPECT_EQ(2 * dpi, plugin->Dpi());
  EXPECT_TRUE(AtTheCorner(window, 2 * dpi / 96));
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&unused));
  EXPECT_TRUE(AtTheCorner(window, dpi / 96));
}

TEST_F(NotifyPluginTest, PaintsItsTextInGreenOnTheSeeThroughBlack) {
  plugin->SetEnabled(true);
  plugin->OnToggle(true);
  Settle();
  UpdateWindow(window);
  RECT client;
  GetClientRect(window, &client);
  int green = 0, other = 0, left = client.right, right = -1;
  HDC dc = GetDC(window);
  for (int y = client.top; y < client.bottom; ++y)
    for (int x = client.left; x < client.right; ++x) {
      COLORREF pixel = GetPixel(dc, x, y);
      if (pixel == RGB(0, 255, 0)) {
        ++green;
        left = std::min(left, x);
        right = std::max(right, x);
      } else if (pixel != RGB(0, 0, 0)) {
        ++other;
      }
    }
  ReleaseDC(window, dc);
  // Letters not smoothed: any other shade would show as a dark fringe around the colour key.
  EXPECT_EQ(0, other);
  EXPECT_GT(green, 1000);  // large bold letters
  EXPECT_LT(left, 8);  // the line starts at the left edge and runs on
  EXPECT_GT(right, client.right / 2);
}

// Rows of a trigger, as the sequence plugin gives them; the test changes them as typing does.
struct FixedRows : SheetSource {
  std::vector<SheetRow> rows;
  FixedRows() { AddSheetSource(this); }
  ~FixedRows() { RemoveSheetSource(this); }
  size_t SheetRows(SheetRow* out, size_t max) override {
    for (size_t i = 0; i < rows.size() && i < max; ++i) out[i] = rows[i];
    return rows.size();
  }
};

// Up and Down on the key-down, inside the hook: the first press highlights the first row, the
// highlight stays within the rows and follows its binding as typing narrows them; Enter runs
// the highlighted binding as typing its shortcut would (the toggle goes off first). Keys the
// library typed itself, key-ups, and Enter with nothing highlighted do nothing.
TEST_F(NotifyPluginTest, UpDownHighlightARowAndEnterRunsIt) {
  FixedRows source;
  source.rows = {{7, "AB", 0}, {8, "AC", 0}, {9, "B", 0}};
  TriggerEngine engine;
  engine.notify = plugin->GetNotifyHandler();
  plugin->SetEngine(&engine);
  plugin->SetEnabled(true);
  EXPECT_TRUE(plugin->WantsKeyEvents());
  plugin->OnToggle(true);
  Settle();
  // True when the key is to be swallowed: only an Enter that ended the toggle needs it.
  auto key = [&](DWORD vk, UINT message = WM_KEYDOWN, ULONG_PTR extra = 0) {
    KBDLLHOOKSTRUCT record = {};
    record.vkCode = vk;
    record.dwExtraInfo = extra;
    return plugin->OnKeyEvent(&record, message);
  };
  auto text = [&] {
    Settle();
    char buffer[256] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer);
  };
  EXPECT_FALSE(key(VK_RETURN));  // nothing highlighted yet
  EXPECT_TRUE(engine.calls.empty());
  key(VK_UP);
  EXPECT_EQ(text(), "Tambrel is toggled\r\n> AB \r\nAC \r\nB ");
  for (int i = 0; i < 4; ++i) key(VK_DOWN);
  EXPECT_EQ(2, plugin->Highlighted());
  key(VK_UP);
  key(VK_DOWN, WM_KEYUP);
  key(VK_DOWN, WM_KEYDOWN, TAMBREL_OWN_INPUT);
  EXPECT_EQ(text(), "Tambrel is toggled\r\nAB \r\n> AC \r\nB ");

  source.rows.erase(source.rows.begin());  // A typed: AC moves up and keeps the highlight
  SheetChanged();
  EXPECT_EQ(text(), "Tambrel is toggled\r\n> AC \r\nB ");
  key(VK_RETURN, WM_KEYUP);
  key(VK_RETURN, WM_KEYDOWN, TAMBREL_OWN_INPUT);
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_TRUE(key(VK_RETURN));
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"toggle off", "execute 8"}));
  EXPECT_EQ(-1, plugin->Highlighted());

  // A highlighted binding that typing drops takes the highlight with it.
  engine.calls.clear();
  plugin->OnToggle(true);
  Settle();
  key(VK_DOWN);
  source.rows = {{9, "B", 0}};
  SheetChanged();
  EXPECT_EQ(text(), "Tambrel is toggled\r\nB ");
  EXPECT_FALSE(key(VK_RETURN));
  EXPECT_TRUE(engine.calls.empty());
  plugin->SetEngine(nullptr);
}

TEST(NotifyPluginRelease, DestroysTheWindowAndTheClass) {
  InitPluginLibrary(GetModuleHandleA(nullptr));
  NotifyPlugin* plugin = new NotifyPlugin;
  HWND window = plugin->NoticeWindow();
  plugin->Release();
  EXPECT_FALSE(IsWindow(window));
  WNDCLASSA info;
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "TambrelNotify", &info));
}

}  // namespace
