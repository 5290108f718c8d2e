// Where a key event comes from, as the hook's record tells: Tambrel's own typing and a
// sandboxed program's keys drive nothing; keys another program of the user's level injected
// count as typed.
#ifndef TAMBREL_TESTS_KEYSOURCES_H
#define TAMBREL_TESTS_KEYSOURCES_H

#include "TambrelPlugin.h"

struct KeySource {
  const char* what;
  DWORD flags;  // LLKHF_UP is added for releases
  ULONG_PTR extraInfo;
  bool drives;
};

const KeySource kKeySources[] = {
    {"own input", LLKHF_INJECTED, TAMBREL_OWN_INPUT, false},
    {"lower integrity", LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED, 0, false},
    {"another program at our level", LLKHF_INJECTED, 0x1234, true},
};

inline KBDLLHOOKSTRUCT KeyFrom(const KeySource& source, DWORD vk, UINT message) {
  KBDLLHOOKSTRUCT key = {};
  key.vkCode = vk;
  key.scanCode = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  key.flags = source.flags | (message == WM_KEYUP || message == WM_SYSKEYUP ? LLKHF_UP : 0);
  key.time = GetTickCount();
  key.dwExtraInfo = source.extraInfo;
  return key;
}

#endif
