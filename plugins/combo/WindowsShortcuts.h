// Key combinations that Windows itself binds, in three tables by what a low-level keyboard
// hook can do about them: one it never sees (Ctrl+Alt+Del), one it sees while Windows acts on
// it anyway (Win+L), and Windows' defaults, which a hook that swallows the key takes away.
// Only Windows shows any of this: Wine has no secure attention sequence, no lock and no shell
// that binds Win+ keys. The sources of every entry are given beside the tables.
#ifndef TAMBRELPLUG_WINDOWSSHORTCUTS_H
#define TAMBRELPLUG_WINDOWSSHORTCUTS_H

#include <stddef.h>

#include <string>

enum WindowsShortcutKind {
  kWindowsKeeps,     // no hook ever sees it: a binding on it never fires
  kWindowsActsToo,   // the hook sees it, and Windows acts on it whatever the hook answers
  kWindowsDefault,   // Windows' own until a hook swallows its key
};

struct WindowsShortcut {
  int vk;
  int modifiers;      // kComboCtrl, kComboAlt, kComboShift, kComboWin: exactly these held
  const char* name;   // as the warnings name it, modifiers in the list's order: "Ctrl+Alt+Del"
  const char* what;   // what Windows does then: "opens File Explorer"
};

// A table: its entries and their count.
const WindowsShortcut* WindowsShortcuts(WindowsShortcutKind kind, size_t* count);

// Windows' entry for exactly this combination, and its kind; null when Windows has none.
const WindowsShortcut* FindWindowsShortcut(int vk, int modifiers, WindowsShortcutKind* kind);

// Whether no hook ever sees the combination, so that a binding on it never fires.
bool WindowsKeeps(int vk, int modifiers);

// What a binding on the combination is to be warned of: "Windows keeps Ctrl+Alt+Del; this
// binding never fires", "Win+L also locks the computer", "Win+E no longer opens File
// Explorer while this binding exists"; empty when Windows binds nothing there.
std::string WindowsShortcutWarning(int vk, int modifiers);

// The same for a key that is taken whatever the modifiers held (the Tambrel key, named by
// keyName): every combination of Windows on that key that a hook sees, "; " between them.
std::string WindowsShortcutsOfKey(int vk, const char* keyName);

#endif
