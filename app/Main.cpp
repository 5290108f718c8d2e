#include <windows.h>

#include "Shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  return RunTambrel(showCommand);
}
