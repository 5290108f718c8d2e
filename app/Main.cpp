#include <windows.h>

#include "DllSearch.h"
#include "Shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  // First, before anything can load a DLL by name.
  RestrictDllSearch();
  return RunTambrel(showCommand);
}
