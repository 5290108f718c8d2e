#include "ComboPage.h"

#include "PluginResources.h"
#include "TambrelPlugin.h"

namespace {

const char kBoxPageProperty[] = "TambrelComboPage";
const char kBoxProcProperty[] = "TambrelComboBoxProc";
const UINT kShowTaken = WM_APP + 1;

}  // namespace

const LayoutMapEntry ComboPage::kLayout[3] = {
    {IDC_COMBO_KEYS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_COMBO_PROGRAMS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_COMBO_WARNING, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
};

ComboPage::ComboPage() : SettingsPage(IDD_COMBO_PAGE, PLUGIN_SHORTCUTTYPE, kLayout) {}

void ComboPage::SetCombination(int vk, int modifiers, const std::string& text, const std::string& warning) {
  m_vk = vk;
  m_modifiers = modifiers;
  if (!IsOpen()) return;
  SetDlgItemTextA(Window(), IDC_COMBO_KEYS, text.c_str());
  // A static without a background of its own leaves its old text behind: the page paints
  // under it anew.
  HWND line = Item(IDC_COMBO_WARNING);
  SetWindowTextA(line, warning.c_str());
  RECT area;
  GetWindowRect(line, &area);
  MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(Window(), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ComboPage::Take(int vk, int modifiers) {
  m_vk = vk;
  m_modifiers = modifiers;
  if (IsOpen()) PostMessageA(Window(), kShowTaken, 0, 0);
}

bool ComboPage::OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // The warning is written straight on the page's own background, as the labels are.
  if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(IDC_COMBO_WARNING)) {
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
  }
  if (message != kShowTaken) return false;
  std::string text, warning;
  if (m_describe != nullptr) m_describe(m_describeContext, m_vk, m_modifiers, &text, &warning);
  SetCombination(m_vk, m_modifiers, text, warning);
  *result = 0;
  return true;
}

void ComboPage::OnInit() {
  MakeUnicodeEdit(IDC_COMBO_PROGRAMS);
  m_capturing = false;
  HWND box = Item(IDC_COMBO_KEYS);
  SetPropA(box, kBoxPageProperty, reinterpret_cast<HANDLE>(this));
  SetPropA(box, kBoxProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(box, GWLP_WNDPROC)));
  SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc));
}

// The focus says when the hook captures: a click into the box, or a tab to it, starts it;
// leaving the box, or the window losing the activation, ends it.
LRESULT CALLBACK ComboPage::BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(box, kBoxProcProperty));
  ComboPage* page = static_cast<ComboPage*>(GetPropA(box, kBoxPageProperty));
  switch (message) {
    case WM_SETFOCUS:
      if (page != nullptr) page->m_capturing = true;
      break;
    case WM_KILLFOCUS:
      if (page != nullptr) page->m_capturing = false;
      break;
    case WM_NCDESTROY:
      if (page != nullptr) page->m_capturing = false;
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(box, kBoxProcProperty);
      RemovePropA(box, kBoxPageProperty);
      break;
  }
  return CallWindowProcA(original, box, message, wParam, lParam);
}

ComboPage& TheComboPage() {
  static ComboPage page;
  return page;
}
