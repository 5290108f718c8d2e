#include "DialogTemplate.h"

#include <stdlib.h>

#include "DebugAssert.h"
#include "ResourceInstance.h"
#include "TemplateFields.h"

using namespace templatefields;

// Byte offsets inside DLGTEMPLATE and DLGTEMPLATEEX. An extended template has 0xFFFF
// where a classic one has the low word of its extended style.
namespace {
const int kSignature = 2;
const int kClassicStyle = 0, kClassicCount = 8, kClassicCx = 14, kClassicMenu = 18;
const int kExtendedStyle = 12, kExtendedCount = 16, kExtendedCx = 22, kExtendedMenu = 26;
const size_t kFaceChars = LF_FACESIZE - 1;  // room for the terminator
}  // namespace

DialogTemplate::DialogTemplate(UINT resourceId) { Load(resourceId); }

bool DialogTemplate::Load(UINT resourceId) {
  m_pTmpl = nullptr;
  m_extended = false;
  m_baseWidth = m_baseHeight = 0;
  m_baseDpi = 0;
  HINSTANCE instance = GetResourceInstance();
  HRSRC hRsrc = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(5));
  DK_ASSERT(hRsrc != 0);
  if (hRsrc == nullptr) return false;
  // A loaded resource belongs to the module and stays mapped while it is loaded; it is
  // never freed here.
  HGLOBAL hGlobal = LoadResource(instance, hRsrc);
  DK_ASSERT(hGlobal != 0);
  if (hGlobal == nullptr) return false;
  m_pTmpl = static_cast<const BYTE*>(LockResource(hGlobal));
  DK_ASSERT(m_pTmpl != 0);
  if (m_pTmpl == nullptr) return false;
  m_extended = Word(m_pTmpl, kSignature) == 0xFFFF;
  return true;
}

DWORD DialogTemplate::GetStyle() const {
  DK_ASSERT(m_pTmpl != 0);
  if (m_pTmpl == nullptr) return 0;
  return Dword(m_pTmpl, m_extended ? kExtendedStyle : kClassicStyle);
}

WORD DialogTemplate::GetItemCount() const {
  DK_ASSERT(m_pTmpl != 0);
  if (m_pTmpl == nullptr) return 0;
  return Word(m_pTmpl, m_extended ? kExtendedCount : kClassicCount);
}

short DialogTemplate::GetCx() const {
  DK_ASSERT(m_pTmpl != 0);
  if (m_pTmpl == nullptr) return 0;
  return Short(m_pTmpl, m_extended ? kExtendedCx : kClassicCx);
}

short DialogTemplate::GetCy() const {
  DK_ASSERT(m_pTmpl != 0);
  if (m_pTmpl == nullptr) return 0;
  return Short(m_pTmpl, (m_extended ? kExtendedCx : kClassicCx) + 2);
}

const WORD* DialogTemplate::MenuField() const {
  DK_ASSERT(m_pTmpl != 0);
  if (m_pTmpl == nullptr) return nullptr;
  return reinterpret_cast<const WORD*>(m_pTmpl + (m_extended ? kExtendedMenu : kClassicMenu));
}

LPCWSTR DialogTemplate::GetMenu() const {
  const WORD* pw = MenuField();
  return pw != nullptr ? ReadName(pw, true) : nullptr;
}

LPCWSTR DialogTemplate::GetWindowClass() const {
  const WORD* pw = MenuField();
  return pw != nullptr ? ReadName(SkipName(pw), true) : nullptr;
}

LPCWSTR DialogTemplate::GetTitle() const {
  const WORD* pw = MenuField();
  return pw != nullptr ? ReadName(SkipName(SkipName(pw)), true) : nullptr;
}

bool DialogTemplate::GetFont(LOGFONTW* font) const {
  // The whole record, face name included: callers hand it to CreateFontIndirectW.
  memset(font, 0, sizeof *font);
  if ((GetStyle() & DS_SETFONT) == 0) return false;
  // After the title: point size; in the extended layout weight, italic and character set;
  // then the face name.
  const WORD* pw = SkipName(SkipName(SkipName(MenuField())));
  font->lfHeight = *pw++;
  if (m_extended) {
    font->lfWeight = *pw++;
    font->lfItalic = LOBYTE(*pw++);
  }
  const WCHAR* face = reinterpret_cast<const WCHAR*>(pw);
  for (size_t i = 0; i < kFaceChars && face[i] != 0; ++i) font->lfFaceName[i] = face[i];
  return true;
}

UniqueFont DialogTemplate::CreatePointFont(const LOGFONTW& font, HDC hdc) {
  HDC dc = hdc != nullptr ? hdc : GetDC(nullptr);
  DK_ASSERT_TEXT(dc != nullptr, "hdcScreen != 0");
  if (dc == nullptr) return UniqueFont();
  // Points to device pixels, then to logical units of the context's mapping mode.
  POINT points[2] = {{0, MulDiv(font.lfHeight, GetDeviceCaps(dc, LOGPIXELSY), 72)}, {0, 0}};
  DPtoLP(dc, points, 2);
  LOGFONTW scaled = font;
  scaled.lfHeight = -abs(points[0].y - points[1].y);
  if (hdc == nullptr) ReleaseDC(nullptr, dc);
  return UniqueFont(CreateFontIndirectW(&scaled));
}

UniqueFont DialogTemplate::CreateFontForDpi(const LOGFONTW& font, UINT dpi) {
  LOGFONTW scaled = font;
  scaled.lfHeight = -MulDiv(abs(font.lfHeight), static_cast<int>(dpi), 72);
  return UniqueFont(CreateFontIndirectW(&scaled));
}

DialogItemTemplate DialogTemplate::GetFirstItem() const {
  DK_ASSERT(GetItemCount() > 0);
  if (m_pTmpl == nullptr) return DialogItemTemplate(*this);
  const WORD* pw = SkipName(SkipName(SkipName(MenuField())));
  if (GetStyle() & DS_SETFONT) {
    pw += m_extended ? 3 : 1;  // point size, weight, italic and character set
    while (*pw++ != 0) {       // face name
    }
  }
  return DialogItemTemplate(*this, AlignDword(pw));
}

DialogItemTemplate DialogTemplate::FindItem(UINT id) const {
  int count = GetItemCount();
  if (count == 0) return DialogItemTemplate(*this);
  DialogItemTemplate item = GetFirstItem();
  for (int i = 0; i < count; ++i) {
    if (item.GetId() == id) return item;
    // Never step past the last item: beyond it lies whatever follows the resource.
    if (i < count - 1) item = item.GetNext();
  }
  return DialogItemTemplate(*this);
}

void DialogTemplate::MeasureBaseUnits(UINT dpi) const {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC hdcScreen = (GetStyle() & DS_SETFONT) ? GetDC(nullptr) : nullptr;
  if (GetStyle() & DS_SETFONT) DK_ASSERT(hdcScreen != 0);
  if (hdcScreen == nullptr) {
    // No font of its own: the dialog uses the system font, whose units the system keeps for
    // the system DPI.
    LONG units = GetDialogBaseUnits();
    m_baseWidth = LOWORD(units);
    m_baseHeight = HIWORD(units);
    if (dpi != 0) {
      HDC screen = GetDC(nullptr);
      int systemDpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
      if (screen != nullptr) ReleaseDC(nullptr, screen);
      m_baseWidth = MulDiv(m_baseWidth, static_cast<int>(dpi), systemDpi);
      m_baseHeight = MulDiv(m_baseHeight, static_cast<int>(dpi), systemDpi);
    }
    return;
  }
  LOGFONTW description;
  GetFont(&description);
  // Pixel heights measure alike on any screen context, whatever DPI it reports.
  UniqueFont font = dpi != 0 ? CreateFontForDpi(description, dpi) : CreatePointFont(description, hdcScreen);
  HGDIOBJ previous = SelectObject(hdcScreen, font.Get());
  TEXTMETRICA metrics = {};
  GetTextMetricsA(hdcScreen, &metrics);
  SIZE extent = {};
  GetTextExtentPoint32A(hdcScreen, kAlphabet, sizeof kAlphabet - 1, &extent);
  // The average width of the alphabet, rounded, as the dialog manager measures it.
  m_baseWidth = (extent.cx / 26 + 1) / 2;
  m_baseHeight = metrics.tmHeight;
  // Deselect before the font goes: a font still selected into a context cannot be deleted.
  SelectObject(hdcScreen, previous);
  ReleaseDC(nullptr, hdcScreen);
}

bool DialogTemplate::DialogUnitsToPixels(RECT* rect, UINT dpi) const {
  DK_ASSERT(m_pTmpl != 0);
  if ((m_baseWidth == 0 && m_baseHeight == 0) || dpi != m_baseDpi) {
    MeasureBaseUnits(dpi);
    m_baseDpi = dpi;
  }
  rect->left = MulDiv(rect->left, m_baseWidth, 4);
  rect->top = MulDiv(rect->top, m_baseHeight, 8);
  rect->right = MulDiv(rect->right, m_baseWidth, 4);
  rect->bottom = MulDiv(rect->bottom, m_baseHeight, 8);
  return true;
}

RECT DialogTemplate::ItemRect(const DialogItemTemplate& item, UINT dpi) const {
  RECT units = {item.GetX(), item.GetY(), item.GetCx(), item.GetCy()};
  DialogUnitsToPixels(&units, dpi);
  return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}
