// Typing while the user still holds modifiers: a key combination runs its action while its
// Ctrl, Alt, Shift or Win keys are down, and typed keys would come out as combinations of
// their own (Ctrl+Alt+T typing "hi" would give Ctrl+Alt+H, Ctrl+Alt+I).
#ifndef TAMBRELPLUG_HELDMODIFIERS_H
#define TAMBRELPLUG_HELDMODIFIERS_H

#include <windows.h>

#include <vector>

#include "TambrelPlugin.h"

// The modifier keys, each side on its own; a held set is a bit per entry.
extern const WORD kSidedModifiers[8];  // LCtrl RCtrl LAlt RAlt LShift RShift LWin RWin

// Which of them are down now, as the system has it.
unsigned HeldModifierKeys();

// input with the held keys released before it and pressed again after it. A mask key event
// (an unassigned key, down and up) comes before the releases when Alt or Win is among them,
// so that releasing them opens no menu bar and no Start menu.
std::vector<INPUT> WithModifiersReleased(const std::vector<INPUT>& input, unsigned held);

// What the library's own keyboard input carries in its extra information, so that the
// keyboard hook knows it: a key combination that a macro presses must not run it again.
const ULONG_PTR kOwnInputMark = TAMBREL_OWN_INPUT;

// A keyboard input record for one key, marked as the library's own.
INPUT KeyInput(WORD vk, bool release);

// Sends input as typed text: in one call with the held modifiers released around it, so that
// a key the user releases meanwhile stays released (its release comes after the whole call).
// Every record is marked as the library's own.
void SendTyped(const std::vector<INPUT>& input);

// The unassigned key sent before releasing Alt or Win.
const WORD kMaskKey = 0xE8;

#endif
