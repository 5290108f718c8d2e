#include "KeyNames.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Engine.h"

// Lookups take the first match, so the order matters: "BACKSPACE" before "BACK", and so on.
const BuiltInKey kBuiltInKeys[] = {
    {"BACKSPACE", 8, "BACKSPACE key"},
    {"BACK", 8, "BACKSPACE key"},
    {"TAB", 9, "TAB key"},
    {"ENTER", 13, "ENTER key"},
    {"RETURN", 13, "ENTER key"},
    {"SHIFT", 16, "SHIFT key"},
    {"CTRL", 17, "CTRL key"},
    {"CONTROL", 17, "CTRL key"},
    {"ALT", 18, "ALT key"},
    {"MENU", 18, "ALT key"},
    {"PAUSE", 19, "PAUSE key"},
    {"CAPSLOCK", 20, "CAPS LOCK key"},
    {"CAPITAL", 20, "CAPS LOCK key"},
    {"ESC", 27, "ESC key"},
    {"ESCAPE", 27, "ESC key"},
    {"SPACE", 32, "SPACEBAR"},
    {"PAGEUP", 33, "PAGE UP key"},
    {"PGUP", 33, "PAGE UP key"},
    {"PRIOR", 33, "PAGE UP key"},
    {"PAGEDOWN", 34, "PAGE DOWN key"},
    {"PGDN", 34, "PAGE DOWN key"},
    {"NEXT", 34, "PAGE DOWN key"},
    {"END", 35, "END key"},
    {"HOME", 36, "HOME key"},
    {"LEFT", 37, "LEFT ARROW key"},
    {"UP", 38, "UP ARROW key"},
    {"RIGHT", 39, "RIGHT ARROW key"},
    {"DOWN", 40, "DOWN ARROW key"},
    {"PRINTSCREEN", 44, "PRINT SCREEN key"},
    {"SNAPSHOT", 44, "PRINT SCREEN key"},
    {"INS", 45, "INS key"},
    {"INSERT", 45, "INS key"},
    {"DEL", 46, "DEL key"},
    {"DELETE", 46, "DEL key"},
    {"HELP", 47, "HELP key"},
    {"LWIN", 91, "Left Windows key"},
    {"RWIN", 92, "Right Windows key"},
    {"APPS", 93, "Applications key"},
    {"NUMPAD0", 96, "Numeric keypad 0 key"},
    {"NUMPAD1", 97, "Numeric keypad 1 key"},
    {"NUMPAD2", 98, "Numeric keypad 2 key"},
    {"NUMPAD3", 99, "Numeric keypad 3 key"},
    {"NUMPAD4", 100, "Numeric keypad 4 key"},
    {"NUMPAD5", 101, "Numeric keypad 5 key"},
    {"NUMPAD6", 102, "Numeric keypad 6 key"},
    {"NUMPAD7", 103, "Numeric keypad 7 key"},
    {"NUMPAD8", 104, "Numeric keypad 8 key"},
    {"NUMPAD9", 105, "Numeric keypad 9 key"},
    {"NUMPADMUL", 106, "Numeric keypad multiply key"},
    {"NUMPADADD", 107, "Numeric keypad add key"},
    {"NUMPADENTER", 108, "Numeric keypad enter key"},
    {"NUMPADSUB", 109, "Numeric keypad subtract key"},
    {"NUMPADDEC", 110, "Numeric keypad decimal key"},
    {"NUMPADDIV", 111, "Numeric keypad divide key"},
    {"F1", 112, "F1 key"},
    {"F2", 113, "F2 key"},
    {"F3", 114, "F3 key"},
    {"F4", 115, "F4 key"},
    {"F5", 116, "F5 key"},
    {"F6", 117, "F6 key"},
    {"F7", 118, "F7 key"},
    {"F8", 119, "F8 key"},
    {"F9", 120, "F9 key"},
    {"F10", 121, "F10 key"},
    {"F11", 122, "F11 key"},
    {"F12", 123, "F12 key"},
    {"F13", 124, "F13 key"},
    {"F14", 125, "F14 key"},
    {"F15", 126, "F15 key"},
    {"F16", 127, "F16 key"},
    {"F17", 128, "F17 key"},
    {"F18", 129, "F18 key"},
    {"F19", 130, "F19 key"},
    {"F20", 131, "F20 key"},
    {"F21", 132, "F21 key"},
    {"F22", 133, "F22 key"},
    {"F23", 134, "F23 key"},
    {"F24", 135, "F24 key"},
    {"NUMLOCK", 144, "NUM LOCK key"},
    {"SCROLLLOCK", 145, "SCROLL LOCK key"},
    {"SCROLL", 145, "SCROLL LOCK key"},
    {"LSHIFT", 160, "Left SHIFT key"},
    {"RSHIFT", 161, "Right SHIFT key"},
    {"LCONTROL", 162, "Left CONTROL key"},
    {"RCONTROL", 163, "Right CONTROL key"},
    {"LALT", 164, "Left ALT key"},
    {"LMENU", 164, "Left ALT key"},
    {"RALT", 165, "Right ALT key"},
    {"RMENU", 165, "Right ALT key"},
    {"SLEEP", 95, "Computer Sleep key"},
    {"BROWSER_BACK", 166, "Browser Back key"},
    {"BROWSER_FORWARD", 167, "Browser Forward key"},
    {"BROWSER_REFRESH", 168, "Browser Refresh key"},
    {"BROWSER_STOP", 169, "Browser Stop key"},
    {"BROWSER_SEARCH", 170, "Browser Search key "},
    {"BROWSER_FAVORITES", 171, "Browser Favorites key"},
    {"BROWSER_HOME", 172, "Browser Start and Home key"},
    {"VOLUME_MUTE", 173, "Volume Mute key"},
    {"VOLUME_DOWN", 174, "Volume Down key"},
    {"VOLUME_UP", 175, "Volume Up key"},
    {"MEDIA_NEXT_TRACK", 176, "Next Track key"},
    {"MEDIA_PREV_TRACK", 177, "Previous Track key"},
    {"MEDIA_STOP", 178, "Stop Media key"},
    {"MEDIA_PLAY_PAUSE", 179, "Play/Pause Media key"},
    {"LAUNCH_MAIL", 180, "Start Mail key"},
    {"LAUNCH_MEDIA_SELECT", 181, "Select Media key"},
    {"LAUNCH_APP1", 182, "Start Application 1 key"},
    {"LAUNCH_APP2", 183, "Start Application 2 key"},
    {"ATTN", 246, "Attn key"},
    {"CRSEL", 247, "CrSel key"},
    {"EXSEL", 248, "ExSel key"},
    {"EREOF", 249, "Erase EOF key"},
    {"PLAY", 250, "Play key"},
    {"ZOOM", 251, "Zoom key"},
    {"PA1", 253, "PA1 key"},
    {"OEM_CLEAR", 254, "Clear key"},
    {"SELECT", 41, "SELECT key"},
    {"PRINT", 42, "PRINT key"},
    {"EXECUTE", 43, "EXECUTE key"},
    {"CLEAR", 12, "CLEAR key"},
    {";", 186, "; key"},
    {"/", 191, "/ key"},
    {"`", 192, "` key"},
    {"[", 219, "[ key"},
    {"\\", 220, "\\ key"},
    {"]", 221, "] key"},
    {"'", 222, "'"},
    {"OEM_8", 223, "Used for miscellaneous characters; it can vary by keyboard."},
    {"OEM_102", 226, "Either the angle bracket key or the backslash key on the RT 102-key keyboard"},
    {"IME_KANA", 21, "Input Method Editor (IME) Kana mode"},
    {"IME_HANGUEL", 21, "IME Hanguel mode (maintained for compatibility; use HANGUL)"},
    {"IME_HANGUL", 21, "IME Hangul mode"},
    {"IME_JUNJA", 23, "IME Junja mode"},
    {"IME_FINAL", 24, "IME final mode"},
    {"IME_HANJA", 25, "IME Hanja mode"},
    {"IME_KANJI", 25, "IME Kanji mode"},
    {"IME_CONVERT", 28, "IME convert"},
    {"IME_NONCONVERT", 29, "IME nonconvert"},
    {"IME_ACCEPT", 30, "IME accept"},
    {"IME_MODECHANGE", 31, "IME mode change request"},
    {"IME_PROCESSKEY", 229, "IME PROCESS key"},
};
const size_t kBuiltInKeyCount = sizeof kBuiltInKeys / sizeof kBuiltInKeys[0];

KeyInfo* TambrelEngine::GetKeyByCode(KeyInfo* out, int vk) {
  for (const KeyInfo& key : m_keys) {
    if (key.vk == vk) {
      *out = key;
      return out;
    }
  }
  KeyInfo key;
  memset(&key, 0, sizeof key);
  key.vk = vk;
  int n = 0;
  WORD chars[2] = {};
  // Virtual-key codes are one byte; a "#number" from conf.xml or a macro can be anything,
  // and the layout has nothing to say about the rest.
  if (vk >= 0 && vk <= 0xFF) {
    BYTE state[256] = {};  // no key down, so no Shift: the key's base character
    // ToAscii wants the key's scan code; MapVirtualKey gives it for the current layout.
    n = ToAscii(static_cast<UINT>(vk), MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC),
                state, chars, 0);
  }
  if (n > 0) {
    // Up to two characters, packed into the buffer byte by byte.
    key.name[0] = static_cast<char>(chars[0] & 0xFF);
    if (n > 1) key.name[1] = static_cast<char>(chars[0] >> 8);
    if (n == 1 && key.name[0] >= 'a' && key.name[0] <= 'z') key.name[0] -= 'a' - 'A';
    key.nameLength = n > 1 ? 2 : 1;
    snprintf(key.text, sizeof key.text, "%s key", key.name);
  } else {
    snprintf(key.name, sizeof key.name, "#%d", vk);
    key.nameLength = static_cast<int>(strlen(key.name));
    snprintf(key.text, sizeof key.text, "Key #%d", vk);
  }
  *out = key;
  return out;
}

KeyInfo* TambrelEngine::GetKeyByName(KeyInfo* out, const char* name) {
  // "#number" names a virtual key whether or not the table has it. strtol, unlike atoi,
  // is defined for numbers too large for an int: they come out as the largest one.
  int code = name[0] == '#' ? static_cast<int>(strtol(name + 1, nullptr, 10)) : 0;
  if (code == 0) {
    int length = static_cast<int>(strlen(name));
    for (const KeyInfo& key : m_keys) {
      if (key.nameLength == length && _stricmp(key.name, name) == 0) {
        *out = key;
        return out;
      }
    }
    // A single character that the table lacks: the key that types it in this layout.
    if (length == 1) {
      DWORD scan = OemKeyScan(static_cast<unsigned char>(name[0])) & 0xFF;
      code = static_cast<int>(MapVirtualKeyA(scan, MAPVK_VSC_TO_VK));
    }
  }
  return GetKeyByCode(out, code);
}
