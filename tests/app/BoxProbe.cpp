// Runs the real process entry with a hookpad that cannot give a thunk page, so that the
// start-up failure shows its real message boxes.
#include <windows.h>

#include "HookApi.h"
#include "Shell.h"

static HHOOKHEAP __stdcall NoHeap() { return nullptr; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  gHookApi.allocHookHeap = NoHeap;
  return RunTambrel(showCommand);
}
