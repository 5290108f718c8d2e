#include "AltGr.h"

#include <algorithm>

#include "ComboTable.h"

namespace {

// ToUnicodeEx's flag that keeps the keyboard state as it is (Windows 10 1607 and later);
// earlier ones ignore it.
const UINT kKeepKeyboardState = 0x4;

// A character in the system code page, for the page's text; U+XXXX where it has none.
std::string Printable(wchar_t character) {
  char text[8] = "";
  BOOL lost = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &character, 1, text, sizeof text - 1, nullptr, &lost);
  if (length > 0 && !lost) return std::string(text, static_cast<size_t>(length));
  char code[12];
  wsprintfA(code, "U+%04X", static_cast<unsigned>(character));
  return code;
}

}  // namespace

InstalledLayouts::InstalledLayouts() {
  int count = GetKeyboardLayoutList(0, nullptr);
  if (count <= 0) return;
  m_layouts.resize(static_cast<size_t>(count));
  m_layouts.resize(static_cast<size_t>(std::max(0, GetKeyboardLayoutList(count, m_layouts.data()))));
}

std::string InstalledLayouts::Name(size_t layout) const {
  LANGID language = LOWORD(reinterpret_cast<UINT_PTR>(m_layouts[layout]));
  char name[80] = "";
  if (GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_SENGLANGUAGE, name, sizeof name) <= 0) return "?";
  return name;
}

wchar_t InstalledLayouts::CtrlAltCharacter(size_t layout, UINT vk, bool shift) const {
  HKL hkl = m_layouts[layout];
  BYTE state[256] = {};
  state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_MENU] = state[VK_LMENU] = 0x80;
  if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  UINT scan = MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, hkl);
  wchar_t typed[8] = {};
  int count = ToUnicodeEx(vk, scan, state, typed, 8, kKeepKeyboardState, hkl);
  if (count < 0) {
    // A dead key. Where the flag is not known, it is now stored for this thread: the same key
    // again combines with it and clears it.
    wchar_t again[8];
    ToUnicodeEx(vk, scan, state, again, 8, kKeepKeyboardState, hkl);
    count = 1;
  }
  // Ctrl alone gives control characters: those are no AltGr character.
  return count >= 1 && typed[0] >= 0x20 ? typed[0] : 0;
}

std::string AltGrWarning(const KeyboardLayouts& layouts, int vk, int modifiers, const std::string& comboText) {
  if (vk <= 0 || (modifiers & ~kComboShift) != (kComboCtrl | kComboAlt)) return std::string();
  std::string warning;
  std::vector<std::string> said;  // two layouts of one language may say the same
  for (size_t layout = 0; layout < layouts.Count(); ++layout) {
    wchar_t character = layouts.CtrlAltCharacter(layout, static_cast<UINT>(vk), (modifiers & kComboShift) != 0);
    if (character == 0) continue;
    std::string line = layouts.Name(layout) + ", " + comboText + " types " + Printable(character);
    if (std::find(said.begin(), said.end(), line) != said.end()) continue;
    said.push_back(line);
    warning += (warning.empty() ? "On " : "; on ") + line;
  }
  return warning;
}
