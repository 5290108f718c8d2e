#define HOOKPAD_BUILD
#include "HookPad.h"

#include <string.h>

#include "HookHeapLayout.h"

using namespace hookpad;

static HINSTANCE gModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  gModule = instance;
  return TRUE;
}

static HeapHeader* ValidHeap(HHOOKHEAP heap) {
  HeapHeader* header = reinterpret_cast<HeapHeader*>(heap);
  if (header == nullptr || header->guard1 != kGuard1 || header->guard2 != kGuard2) return nullptr;
  return header;
}

static BYTE* Thunk(HeapHeader* header, DWORD slot) { return header->thunks + slot * kThunkSize; }

// The page is never writable and executable at once: it is read-execute while thunks can run,
// and read-write only while AllocHook and FreeHook write it. A thunk called meanwhile would
// fault, so hooks are installed and removed on the thread their thunks run on (a low-level
// hook runs only while that thread waits for messages). Back to read-execute, the processor
// is told that the code changed.
static DWORD PageSize(const HeapHeader* header) { return header->dataSize + sizeof(HeapHeader); }

static bool MakeWritable(HeapHeader* header) {
  DWORD old;
  return VirtualProtect(header, PageSize(header), PAGE_READWRITE, &old) != FALSE;
}

static bool MakeExecutable(HeapHeader* header) {
  DWORD old;
  if (!VirtualProtect(header, PageSize(header), PAGE_EXECUTE_READ, &old)) return false;
  FlushInstructionCache(GetCurrentProcess(), header, PageSize(header));
  return true;
}

static void WriteThunk(BYTE* thunk, HookThunkProc proc, void* context) {
#if defined(__i386__)
  WORD codeSelector;
  __asm__("movw %%cs, %0" : "=r"(codeSelector));
  thunk[0] = 0x58;   // pop eax          (return address)
  thunk[1] = 0xBA;   // mov edx, imm32   (hook handle, written after SetWindowsHookEx)
  thunk[6] = 0x52;   // push edx
  thunk[7] = 0xBA;   // mov edx, imm32   (context)
  thunk[12] = 0x52;  // push edx
  thunk[13] = 0x50;  // push eax         (return address back on top)
  thunk[14] = 0xEA;  // jmp far ptr16:32
  memcpy(thunk + kThunkContextOffset, &context, 4);
  memcpy(thunk + kThunkProcOffset, &proc, 4);
  memcpy(thunk + 19, &codeSelector, 2);
#else
  static const BYTE kCode[kThunkSize] = {
      0x48, 0x83, 0xEC, 0x38,        // sub rsp, 38h: shadow space, fifth argument, alignment
      0x4C, 0x89, 0x44, 0x24, 0x20,  // mov [rsp+20h], r8   lParam -> fifth argument
      0x4C, 0x8B, 0xCA,              // mov r9, rdx         wParam -> fourth
      0x4C, 0x8B, 0xC1,              // mov r8, rcx         code   -> third
      0x48, 0xBA, 0, 0, 0, 0, 0, 0, 0, 0,  // mov rdx, hook handle
      0x48, 0xB9, 0, 0, 0, 0, 0, 0, 0, 0,  // mov rcx, context
      0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0,  // mov rax, procedure
      0xFF, 0xD0,                    // call rax
      0x48, 0x83, 0xC4, 0x38,        // add rsp, 38h
      0xC3,                          // ret
  };
  memcpy(thunk, kCode, kThunkSize);
  memcpy(thunk + kThunkContextOffset, &context, sizeof context);
  memcpy(thunk + kThunkProcOffset, &proc, sizeof proc);
#endif
}

static void WriteThunkHook(BYTE* thunk, HHOOK hook) { memcpy(thunk + kThunkHookOffset, &hook, sizeof hook); }

static HHOOK ThunkHook(const BYTE* thunk) {
  HHOOK hook;
  memcpy(&hook, thunk + kThunkHookOffset, sizeof hook);
  return hook;
}

extern "C" HHOOKHEAP __stdcall AllocHookHeap(void) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  BYTE* page = static_cast<BYTE*>(VirtualAlloc(nullptr, info.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
  if (page == nullptr) return nullptr;
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(page, &region, sizeof region);

  HeapHeader* header = reinterpret_cast<HeapHeader*>(page);
  header->guard1 = kGuard1;
  header->data = page + sizeof(HeapHeader);
  header->dataSize = static_cast<DWORD>(region.RegionSize - sizeof(HeapHeader));
  DWORD slots = header->dataSize / (1 + kThunkSize);
  header->slotCount = slots > 0xFFFFFFFEu ? 0xFFFFFFFEu : slots;
  header->thunks = header->data + header->slotCount;
  header->inUse = header->data;
  memset(header->data, 0, header->dataSize);
  header->guard2 = kGuard2;  // last: the heap is valid from here on
  if (!MakeExecutable(header)) {
    VirtualFree(page, 0, MEM_RELEASE);
    return nullptr;
  }
  return reinterpret_cast<HHOOKHEAP>(page);
}

extern "C" DWORD __stdcall AllocHook(HHOOKHEAP heap, int hookType, HookThunkProc proc,
                                     void* context, HMODULE module, DWORD threadId) {
  HeapHeader* header = ValidHeap(heap);
  if (header == nullptr) return HOOKPAD_NO_SLOT;
  DWORD slot = 0;
  while (slot < header->slotCount && header->inUse[slot]) ++slot;
  if (slot == header->slotCount) return HOOKPAD_NO_SLOT;

  BYTE* thunk = Thunk(header, slot);
  if (!MakeWritable(header)) return HOOKPAD_NO_SLOT;
  WriteThunk(thunk, proc, context);
  WriteThunkHook(thunk, nullptr);
  if (!MakeExecutable(header)) return HOOKPAD_NO_SLOT;  // no thunk of it can run: nothing to install
  // A low-level hook is called on this thread only while it waits for messages, so the real
  // handle is in place before the first call.
  HHOOK hook = SetWindowsHookExA(hookType, reinterpret_cast<HOOKPROC>(thunk),
                                 module != nullptr ? module : gModule, threadId);
  if (hook == nullptr) return HOOKPAD_NO_SLOT;
  if (!MakeWritable(header)) {
    UnhookWindowsHookEx(hook);
    return HOOKPAD_NO_SLOT;
  }
  WriteThunkHook(thunk, hook);
  header->inUse[slot] = 1;
  if (!MakeExecutable(header)) {
    // The page is left writable: its thunks cannot run, so the hook goes again.
    UnhookWindowsHookEx(hook);
    header->inUse[slot] = 0;
    return HOOKPAD_NO_SLOT;
  }
  return slot;
}

extern "C" BOOLEAN __stdcall FreeHook(HHOOKHEAP heap, DWORD slot) {
  HeapHeader* header = ValidHeap(heap);
  if (header == nullptr) return FALSE;
  if (slot >= header->slotCount || !header->inUse[slot]) return FALSE;
  // A refused unhook keeps the slot in use: the system may still call its thunk.
  if (!UnhookWindowsHookEx(ThunkHook(Thunk(header, slot)))) return FALSE;
  // The hook is gone either way; a page that stays read-only only keeps the slot taken.
  if (MakeWritable(header)) {
    header->inUse[slot] = 0;
    MakeExecutable(header);
  }
  return TRUE;
}

extern "C" void __stdcall FreeHookHeap(HHOOKHEAP heap) {
  HeapHeader* header = ValidHeap(heap);
  if (header == nullptr) return;
  bool stillHooked = false;
  for (DWORD slot = 0; slot < header->slotCount; ++slot) {
    if (header->inUse[slot] && !FreeHook(heap, slot)) stillHooked = true;
  }
  // A hook that could not be removed may still be called; its thunk must stay mapped.
  if (stillHooked) return;
  VirtualFree(header, 0, MEM_RELEASE);
}
