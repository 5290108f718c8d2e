#include "WindowsShortcuts.h"

#include <windows.h>

#include "ComboTable.h"

namespace {

const int kCtrl = kComboCtrl, kAlt = kComboAlt, kShift = kComboShift, kWin = kComboWin;

// Ctrl+Alt+Del is the secure attention sequence: Winlogon registers it with the system first,
// "ensuring that no other application has hooked that key sequence" (Microsoft Learn,
// "Initializing Winlogon"; "Responsibilities of Winlogon": it reaches Winlogon through
// special hooks into the User32 server). No WH_KEYBOARD_LL hook is called for it.
const WindowsShortcut kKeeps[] = {
    {VK_DELETE, kCtrl | kAlt, "Ctrl+Alt+Del", "opens the Windows Security screen"},
};

// Win+L locks the session (Microsoft Learn, Keyboard Filter, "Predefined key combinations",
// Security keys: "Win+L: Lock the device"); the hook is called for it, but swallowing it does
// not keep Windows from locking: only the DisableLockWorkstation policy does.
const WindowsShortcut kActsToo[] = {
    {'L', kWin, "Win+L", "locks the computer"},
};

// What Windows binds by default, and a hook that swallows the key takes away. From Microsoft
// Learn, Keyboard Filter, "Predefined key combinations" (the shell, application and
// accessibility keys and the Windows keys it can block), in the words of Windows 10 and 11
// where that list keeps Windows 8's: Win+V opens the clipboard history (Windows 10 1809 and
// later), Win+Period the emoji panel. Left out: what an application binds (Ctrl+F4), what
// differs from one version to the next (Win+C, Win+K, Win+Q, Win+W, Win+Z, Win+Shift+Down),
// and Ctrl+Shift+Esc, which that list files with Ctrl+Alt+Del and whose hook behaviour it
// does not state.
const WindowsShortcut kDefaults[] = {
    {VK_LWIN, 0, "Win", "opens the Start menu"},
    {VK_RWIN, 0, "Win", "opens the Start menu"},
    {VK_ESCAPE, kCtrl, "Ctrl+Esc", "opens the Start menu"},
    {VK_TAB, kAlt, "Alt+Tab", "switches between windows"},
    {VK_F4, kAlt, "Alt+F4", "closes the active window"},
    {VK_SPACE, kAlt, "Alt+Space", "opens the window menu"},
    {VK_SNAPSHOT, kAlt | kShift, "Alt+Shift+PrtScn", "turns high contrast on or off"},
    {VK_NUMLOCK, kAlt | kShift, "Alt+Shift+Num Lock", "turns Mouse Keys on or off"},
    {'B', kWin, "Win+B", "moves the focus to the notification area"},
    {'D', kWin, "Win+D", "shows the desktop"},
    {'E', kWin, "Win+E", "opens File Explorer"},
    {'H', kWin, "Win+H", "starts dictation"},
    {'I', kWin, "Win+I", "opens Settings"},
    {'M', kWin, "Win+M", "minimizes all windows"},
    {'P', kWin, "Win+P", "switches the display mode for presenting"},
    {'R', kWin, "Win+R", "opens the Run dialog box"},
    {'T', kWin, "Win+T", "cycles through the programs on the taskbar"},
    {'U', kWin, "Win+U", "opens the accessibility settings"},
    {'V', kWin, "Win+V", "opens the clipboard history"},
    {VK_TAB, kWin, "Win+Tab", "opens Task view"},
    {VK_OEM_PERIOD, kWin, "Win+Period", "opens the emoji panel"},
    {VK_OEM_COMMA, kWin, "Win+Comma", "peeks at the desktop"},
    {VK_OEM_PLUS, kWin, "Win+Plus", "zooms in with Magnifier"},
    {VK_OEM_MINUS, kWin, "Win+Minus", "zooms out with Magnifier"},
    {VK_ESCAPE, kWin, "Win+Esc", "closes Magnifier"},
    {VK_HOME, kWin, "Win+Home", "minimizes all but the active window"},
    {VK_UP, kWin, "Win+Up", "maximizes the active window"},
    {VK_DOWN, kWin, "Win+Down", "minimizes the active window"},
    {VK_LEFT, kWin, "Win+Left", "snaps the active window to the left"},
    {VK_RIGHT, kWin, "Win+Right", "snaps the active window to the right"},
    {VK_UP, kShift | kWin, "Shift+Win+Up", "stretches the active window from the top to the bottom of the screen"},
    {VK_LEFT, kShift | kWin, "Shift+Win+Left", "moves the active window to the monitor on the left"},
    {VK_RIGHT, kShift | kWin, "Shift+Win+Right", "moves the active window to the monitor on the right"},
    {VK_SPACE, kWin, "Win+Space", "switches the keyboard layout"},
    {VK_PAUSE, kWin, "Win+Pause", "shows the System properties"},
    {VK_F1, kWin, "Win+F1", "opens Windows Help"},
};

template <size_t N>
const WindowsShortcut* Table(const WindowsShortcut (&table)[N], size_t* count) {
  *count = N;
  return table;
}

}  // namespace

const WindowsShortcut* WindowsShortcuts(WindowsShortcutKind kind, size_t* count) {
  switch (kind) {
    case kWindowsKeeps: return Table(kKeeps, count);
    case kWindowsActsToo: return Table(kActsToo, count);
    case kWindowsDefault: return Table(kDefaults, count);
  }
  *count = 0;
  return nullptr;
}

const WindowsShortcut* FindWindowsShortcut(int vk, int modifiers, WindowsShortcutKind* kind) {
  for (WindowsShortcutKind k : {kWindowsKeeps, kWindowsActsToo, kWindowsDefault}) {
    size_t count = 0;
    const WindowsShortcut* table = WindowsShortcuts(k, &count);
    for (size_t i = 0; i < count; ++i)
      if (table[i].vk == vk && table[i].modifiers == modifiers) {
        if (kind != nullptr) *kind = k;
        return &table[i];
      }
  }
  return nullptr;
}

bool WindowsKeeps(int vk, int modifiers) {
  WindowsShortcutKind kind;
  return FindWindowsShortcut(vk, modifiers, &kind) != nullptr && kind == kWindowsKeeps;
}

std::string WindowsShortcutWarning(int vk, int modifiers) {
  WindowsShortcutKind kind;
  const WindowsShortcut* found = FindWindowsShortcut(vk, modifiers, &kind);
  if (found == nullptr) return std::string();
  switch (kind) {
    case kWindowsKeeps: return std::string("Windows keeps ") + found->name + "; this binding never fires";
    case kWindowsActsToo: return std::string(found->name) + " also " + found->what;
    case kWindowsDefault: return std::string(found->name) + " no longer " + found->what + " while this binding exists";
  }
  return std::string();
}

// Windows' combinations that the hook never sees stay Windows' whatever the key does.
std::string WindowsShortcutsOfKey(int vk, const char* keyName) {
  std::string text;
  for (WindowsShortcutKind kind : {kWindowsActsToo, kWindowsDefault}) {
    size_t count = 0;
    const WindowsShortcut* table = WindowsShortcuts(kind, &count);
    for (size_t i = 0; i < count; ++i) {
      if (table[i].vk != vk) continue;
      if (!text.empty()) text += "; ";
      text += table[i].name;
      text += kind == kWindowsActsToo ? " also " : " no longer ";
      text += table[i].what;
      if (kind == kWindowsDefault) text += std::string(" while ") + keyName + " is the Tambrel key";
    }
  }
  return text;
}
