// The engine reaches hookpad through this table, so that tests can make the platform fail
// (no thunk page, no hook) without breaking the machine.
#ifndef TAMBREL_HOOKAPI_H
#define TAMBREL_HOOKAPI_H

#include "../hookpad/HookPad.h"

struct HookApi {
  HHOOKHEAP(__stdcall* allocHookHeap)(void);
  DWORD(__stdcall* allocHook)(HHOOKHEAP, int, HookThunkProc, void*, HMODULE, DWORD);
  BOOLEAN(__stdcall* freeHook)(HHOOKHEAP, DWORD);
  void(__stdcall* freeHookHeap)(HHOOKHEAP);
};

extern HookApi gHookApi;  // hookpad's exports unless a test puts its own in

#endif
