// What the user-interface benchmark (UiBench.cpp, the driver) and its probe plugin inside the
// real tambrel.exe (UiProbePlugin.cpp) share: one named section of memory and the commands
// the driver sends to the plugin's window.
#ifndef TAMBREL_UIPROBE_H
#define TAMBREL_UIPROBE_H

#include <windows.h>

// The section's name is this prefix and the driver's process id, which the driver writes
// into probe.txt in the working folder.
const char kProbeBoardPrefix[] = "TambrelUiProbe-";

struct ProbeBoard {
  LONGLONG opTicks;     // performance counter ticks the last timed command took
  LONGLONG paintTicks;  // and for a click, the repaint after it
  HWND window;          // the plugin's message window, for the commands below
  LONG rows;            // rows in the binding list after the last command
};

// Commands: SendMessage(board->window, kProbeCommand, command, argument). Each returns
// nonzero when done; the timed ones leave their time in opTicks.
const UINT kProbeCommand = WM_APP + 0x1B;
enum ProbeCommandId {
  kSelectRow = 1,    // argument: row; not timed
  kSaveShortcut,     // Save after typing a new shortcut (argument: a seed for its text)
  kCopyBinding,      // Copy the selected binding
  kDeleteBinding,    // Delete the selected binding
  kHideMain,         // the engine's ShowDialog(0, false), which writes conf.xml
  kShowMain,         // the engine's ShowDialog(0, true), and the window's paint
  kQuit,             // the engine's Quit, after the command has returned
  kSearchKey,        // a key typed into the search box (argument: its character; 27 is Escape)
};

// A shortcut of ten characters from the sequence alphabet's letters and digits, for a seed.
// No K: a shortcut saved among K0 ... K9999 then neither ends on one of them nor is part of
// one, so that the save shows no warning box.
inline void ProbeShortcut(unsigned seed, char out[11]) {
  static const char kChars[] = "ABCDEFGHIJLMNOPQRSTUVWXYZ0123456789";
  unsigned x = seed * 2654435761u + 12345u;
  for (int i = 0; i < 10; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    out[i] = kChars[x % 35];
  }
  out[10] = '\0';
}

#endif
