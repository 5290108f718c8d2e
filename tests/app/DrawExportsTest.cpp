// The drawing services that plugin pages call on the program.
#include <gtest/gtest.h>

#include "DrawExports.h"

namespace {

struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT rect = {0, 0, 8, 8};
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void Clear() { FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }
  COLORREF Pixel() { return GetPixel(dc, 4, 4); }
};

TEST(DrawExports, WithoutThemePaintsOnlyForThePageKinds) {
  UnbindTheme();
  ASSERT_FALSE(ThemeBound());
  Canvas canvas;
  const struct {
    int kind;
    bool paints;
  } cases[] = {{1, true}, {8, true}, {16, true}, {0, false}, {2, false}, {4, false}, {32, false}};
  for (const auto& c : cases) {
    canvas.Clear();
    DrawDialogBackground(nullptr, canvas.dc, &canvas.rect, c.kind);
    EXPECT_EQ(c.paints ? GetSysColor(COLOR_BTNFACE) : RGB(0, 0, 0), canvas.Pixel()) << c.kind;
  }
}

TEST(DrawExports, ThemeIsUsedForEveryKindWhenPresent) {
  BindTheme();
  if (!ThemeBound()) GTEST_SKIP() << "no uxtheme.dll with DrawThemeParentBackground here";
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 8, 8, parent, nullptr, nullptr, nullptr);
  Canvas canvas;
  canvas.Clear();
  DrawDialogBackground(child, canvas.dc, &canvas.rect, 0);  // kind 0: the theme call all the same
  DestroyWindow(parent);
  UnbindTheme();
  EXPECT_FALSE(ThemeBound());
}

TEST(DrawExports, ItemTextIsDrawnFromTheControlAndEmptyTextIsNoFailure) {
  HWND label = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  Canvas canvas;
  DRAWITEMSTRUCT item = {};
  item.hwndItem = label;
  item.hDC = canvas.dc;
  item.rcItem = canvas.rect;
  canvas.Clear();
  DrawDialogItem(&item, 6);
  EXPECT_EQ(TRANSPARENT, GetBkMode(canvas.dc));
  EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel());  // nothing to draw
  SetWindowTextA(label, "WWWW");
  DrawDialogItem(&item, 6);
  DestroyWindow(label);
}

}  // namespace
