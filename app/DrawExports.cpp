#include "DrawExports.h"

#include <string>

#include "DllSearch.h"
#include "Engine.h"

typedef HRESULT(WINAPI* DrawThemeParentBackgroundProc)(HWND, HDC, const RECT*);

static HMODULE gTheme;
static DrawThemeParentBackgroundProc gDrawThemeParentBackground;

void BindTheme() {
  gTheme = LoadSystemLibrary(L"uxtheme.dll");
  if (gTheme == nullptr) return;
  gDrawThemeParentBackground = reinterpret_cast<DrawThemeParentBackgroundProc>(
      reinterpret_cast<void*>(GetProcAddress(gTheme, "DrawThemeParentBackground")));
  if (gDrawThemeParentBackground == nullptr) {
    FreeLibrary(gTheme);
    gTheme = nullptr;
  }
}

void UnbindTheme() {
  if (gTheme != nullptr) FreeLibrary(gTheme);
  gTheme = nullptr;
  gDrawThemeParentBackground = nullptr;
}

bool ThemeBound() { return gTheme != nullptr; }

TAMBREL_API void DrawDialogBackground(HWND window, HDC dc, RECT* rect, int kind) {
  if (gTheme != nullptr) {
    gDrawThemeParentBackground(window, dc, rect);
    return;
  }
  // 1, 8 and 16: an action type's page, a plugin's general page, a shortcut type's page.
  if (kind == 1 || kind == 8 || kind == 16) FillRect(dc, rect, GetSysColorBrush(COLOR_BTNFACE));
}

TAMBREL_API void DrawDialogItem(DRAWITEMSTRUCT* item, unsigned int /*format*/) {
  int length = GetWindowTextLengthA(item->hwndItem);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(item->hwndItem, &text[0], length + 1);
  SetBkMode(item->hDC, TRANSPARENT);
  // No DT_SINGLELINE: right-aligned from the top of the rectangle.
  DrawTextA(item->hDC, text.c_str(), length, &item->rcItem, DT_RIGHT | DT_VCENTER);
}

TAMBREL_API void WriteLogLine(int level, const char* text) {
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->WriteLog(level, text);
}
