// The drawing services that plugin pages call on the program.
#include <gtest/gtest.h>

#include <limits.h>

#include <algorithm>

#include "DrawExports.h"

namespace {

struct Canvas {
  Canvas(int width, int height) : rect{0, 0, width, height} {}
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void Clear() { FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }
  COLORREF Pixel() { return GetPixel(dc, rect.right / 2, rect.bottom / 2); }
  // The bounds of what is not black; empty when all is.
  RECT Ink() {
    RECT ink = {LONG_MAX, LONG_MAX, -1, -1};
    for (int y = 0; y < rect.bottom; ++y)
      for (int x = 0; x < rect.right; ++x)
        if (GetPixel(dc, x, y) != RGB(0, 0, 0))
          ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                 std::max<LONG>(ink.bottom, y + 1)};
    return ink;
  }

  RECT rect;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(rect.right, rect.bottom, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
};

TEST(DrawExports, WithoutThemePaintsOnlyForThePageKinds) {
  UnbindTheme();
  ASSERT_FALSE(ThemeBound());
  Canvas canvas(8, 8);
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

// A dialog that paints its own background, as a themed one does.
const COLORREF kDialogColour = RGB(12, 34, 56);

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_ERASEBKGND) return DefWindowProcA(window, message, wParam, lParam);
  RECT rect;
  GetClientRect(window, &rect);
  HBRUSH brush = CreateSolidBrush(kDialogColour);
  FillRect(reinterpret_cast<HDC>(wParam), &rect, brush);
  DeleteObject(brush);
  return 1;
}

TEST(DrawExports, WithThemeAPageShowsItsDialogsBackgroundWhateverTheKind) {
  BindTheme();
  if (!ThemeBound()) GTEST_SKIP() << "no uxtheme.dll with DrawThemeParentBackground here";
  WNDCLASSA dialogClass = {};
  dialogClass.lpfnWndProc = DialogProc;
  dialogClass.hInstance = GetModuleHandleA(nullptr);
  dialogClass.lpszClassName = "DrawExportsDialog";
  RegisterClassA(&dialogClass);
  HWND dialog = CreateWindowExA(0, dialogClass.lpszClassName, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                dialogClass.hInstance, nullptr);
  HWND page = CreateWindowExA(0, "STATIC", "", WS_CHILD, 5, 5, 8, 8, dialog, nullptr, nullptr, nullptr);
  Canvas canvas(8, 8);
  for (int kind : {0, 1, 8, 32}) {
    canvas.Clear();
    DrawDialogBackground(page, canvas.dc, &canvas.rect, kind);
    EXPECT_EQ(kDialogColour, canvas.Pixel()) << kind;
  }
  DestroyWindow(dialog);
  UnregisterClassA(dialogClass.lpszClassName, dialogClass.hInstance);
  UnbindTheme();
  EXPECT_FALSE(ThemeBound());
}

TEST(DrawExports, ItemTextComesFromTheLabelRightAlignedFromTheTop) {
  HWND label = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  Canvas canvas(200, 60);
  SetTextColor(canvas.dc, RGB(255, 255, 255));
  DRAWITEMSTRUCT item = {};
  item.hwndItem = label;
  item.hDC = canvas.dc;
  item.rcItem = canvas.rect;
  canvas.Clear();
  DrawDialogItem(&item, 6);
  EXPECT_EQ(TRANSPARENT, GetBkMode(canvas.dc));
  EXPECT_EQ(-1, canvas.Ink().right);  // empty text: nothing drawn

  SetWindowTextA(label, "WWWW");
  DrawDialogItem(&item, 6);
  RECT ink = canvas.Ink();
  EXPECT_GE(ink.right, 196);
  EXPECT_GT(ink.left, 100);
  EXPECT_LT(ink.top, 6);  // no single line, so not centred
  EXPECT_LT(ink.bottom, 30);
  DestroyWindow(label);
}

}  // namespace
