// Layout of a thunk page, shared by the library and its tests.
#ifndef HOOKPAD_HOOKHEAPLAYOUT_H
#define HOOKPAD_HOOKHEAPLAYOUT_H

#include <windows.h>

namespace hookpad {

const DWORD kGuard1 = 0x2A2B2A2B;
const DWORD kGuard2 = 0x3A3B3A3B;

// The page starts with this header; then the in-use flags (one byte per slot), then the
// thunks, packed.
struct HeapHeader {
  DWORD guard1;
  BYTE* data;       // first byte after the header
  DWORD dataSize;   // page size less the header
  DWORD slotCount;  // dataSize / (1 + kThunkSize), at most 0xFFFFFFFE
  BYTE* thunks;     // data + slotCount
  BYTE* inUse;      // data
  DWORD guard2;
};

#if defined(__i386__)
// pop eax; mov edx, hook; push edx; mov edx, context; push edx; push eax; jmp far proc
const DWORD kThunkSize = 21;
const DWORD kThunkHookOffset = 2;
const DWORD kThunkContextOffset = 8;
const DWORD kThunkProcOffset = 15;
static_assert(sizeof(HeapHeader) == 28, "the 32-bit header is seven words");
#elif defined(__x86_64__)
// The 64-bit thunk makes a frame of its own: the fifth argument goes on the stack.
const DWORD kThunkSize = 52;
const DWORD kThunkHookOffset = 17;
const DWORD kThunkContextOffset = 27;
const DWORD kThunkProcOffset = 37;
#else
#error "hookpad has thunks for x86 and x86-64 only"
#endif

}  // namespace hookpad

#endif
