// hookpad: executable thunks that bind a Windows hook to an object.
//
// A thunk puts a caller-chosen context and the hook's own handle in front of the three hook
// arguments, so the procedure is called as proc(context, hook, code, wParam, lParam) and
// its result goes back to the system unchanged. The procedure must be __stdcall.
#ifndef HOOKPAD_H
#define HOOKPAD_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct HookHeap* HHOOKHEAP;  // opaque: the address of the thunk page

typedef LRESULT(__stdcall* HookThunkProc)(void* context, HHOOK hook, int code, WPARAM wParam,
                                           LPARAM lParam);

#define HOOKPAD_NO_SLOT 0xFFFFFFFFu

#ifdef HOOKPAD_BUILD
#define HOOKPAD_API
#else
#define HOOKPAD_API __declspec(dllimport)
#endif

HOOKPAD_API HHOOKHEAP __stdcall AllocHookHeap(void);
HOOKPAD_API DWORD __stdcall AllocHook(HHOOKHEAP heap, int hookType, HookThunkProc proc,
                                      void* context, HMODULE module, DWORD threadId);
HOOKPAD_API BOOLEAN __stdcall FreeHook(HHOOKHEAP heap, DWORD slot);
HOOKPAD_API void __stdcall FreeHookHeap(HHOOKHEAP heap);

#ifdef __cplusplus
}
#endif

#endif
