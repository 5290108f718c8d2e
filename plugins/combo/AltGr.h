// AltGr, the right Alt key of most European keyboard layouts, which types @ { [ ] } \ and the
// euro sign there. Windows hands it to a low-level keyboard hook as two keys: a left Ctrl
// whose scan code is 0x21D (a value no real key has; undocumented, seen only by hooks, not
// flagged injected), then the right Alt, both with one time stamp, and their releases alike;
// GetAsyncKeyState then reports Ctrl and Alt down. So AltGr+E looks like Ctrl+Alt+E, which a
// binding would take, and the euro sign would be lost. Two things follow, both only shown by
// Windows (Wine's hook never sees the 0x21D key, and its layouts are not Windows'):
//  - a key pressed while AltGr is held fires no combination and passes through whole, and the
//    capture box records none (the hook tells AltGr's Ctrl by its scan code);
//  - a Ctrl+Alt combination that types a character on a layout the user has installed (real
//    Ctrl+Alt types the AltGr characters too) gets a warning naming the layout and the
//    character, found outside the hook.
#ifndef TAMBRELPLUG_ALTGR_H
#define TAMBRELPLUG_ALTGR_H

#include <windows.h>

#include <stddef.h>

#include <string>
#include <vector>

// Whether a hook's key event is the left Ctrl that Windows makes up for AltGr.
inline bool IsAltGrControl(const KBDLLHOOKSTRUCT& key) { return key.vkCode == VK_LCONTROL && key.scanCode == 0x21D; }

// The keyboard layouts to warn about, each with the character that a key with Ctrl and Alt
// (and Shift) held types there.
class KeyboardLayouts {
 public:
  virtual ~KeyboardLayouts() = default;
  virtual size_t Count() const = 0;
  virtual std::string Name(size_t layout) const = 0;  // "German"
  // 0 when the key types nothing with those modifiers on that layout.
  virtual wchar_t CtrlAltCharacter(size_t layout, UINT vk, bool shift) const = 0;
};

// The layouts installed for the user (GetKeyboardLayoutList), asked through ToUnicodeEx,
// without touching the keyboard state that a dead key leaves.
class InstalledLayouts : public KeyboardLayouts {
 public:
  InstalledLayouts();
  size_t Count() const override { return m_layouts.size(); }
  std::string Name(size_t layout) const override;
  wchar_t CtrlAltCharacter(size_t layout, UINT vk, bool shift) const override;

 private:
  std::vector<HKL> m_layouts;
};

// "On German, Ctrl+Alt+Q types @", one such line per layout where the combination types a
// character, joined by "; "; empty for a combination without exactly Ctrl and Alt (and
// perhaps Shift). comboText is the combination as the page shows it.
std::string AltGrWarning(const KeyboardLayouts& layouts, int vk, int modifiers, const std::string& comboText);

#endif
