// hookpad: the thunk page, its slots, and hooks installed and called through thunks.
#include <gtest/gtest.h>
#include <string.h>

#include "HookHeapLayout.h"
#include "HookPad.h"

using namespace hookpad;

namespace {

struct HeapGuard {
  HHOOKHEAP heap = AllocHookHeap();
  ~HeapGuard() { FreeHookHeap(heap); }
  HeapHeader* Header() { return reinterpret_cast<HeapHeader*>(heap); }
};

// The tests' own writes into the page, which hookpad keeps read-execute.
class WritablePage {
 public:
  explicit WritablePage(void* page) : m_page(page) { VirtualProtect(m_page, 1, PAGE_READWRITE, &m_old); }
  ~WritablePage() {
    DWORD unused;
    VirtualProtect(m_page, 1, m_old, &unused);
  }

 private:
  void* m_page;
  DWORD m_old = 0;
};

DWORD Protection(const void* address) {
  MEMORY_BASIC_INFORMATION region = {};
  VirtualQuery(address, &region, sizeof region);
  return region.Protect;
}

// A cheap hook for filling slots: a message filter hook on this thread only.
DWORD AllocThreadHook(HHOOKHEAP heap, HookThunkProc proc, void* context) {
  return AllocHook(heap, WH_MSGFILTER, proc, context, nullptr, GetCurrentThreadId());
}

struct Seen {
  void* context = nullptr;
  HHOOK hook = nullptr;
  int code = -1;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  int calls = 0;
};

LRESULT __stdcall Record(void* context, HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  Seen* seen = static_cast<Seen*>(context);
  seen->context = context;
  seen->hook = hook;
  seen->code = code;
  seen->wParam = wParam;
  seen->lParam = lParam;
  ++seen->calls;
  return 0x5A5A;
}

HHOOK SlotHook(HeapHeader* header, DWORD slot) {
  HHOOK hook;
  memcpy(&hook, header->thunks + slot * kThunkSize + kThunkHookOffset, sizeof hook);
  return hook;
}

TEST(HookPad, FreshHeapLayout) {
  HeapGuard guard;
  ASSERT_NE(nullptr, guard.heap);
  HeapHeader* header = guard.Header();
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(kGuard1, header->guard1);
  EXPECT_EQ(kGuard2, header->guard2);
  EXPECT_EQ(reinterpret_cast<BYTE*>(header) + sizeof(HeapHeader), header->data);
  EXPECT_EQ(info.dwPageSize - sizeof(HeapHeader), header->dataSize);
  EXPECT_EQ(header->dataSize / (1 + kThunkSize), header->slotCount);
  EXPECT_EQ(header->data, header->inUse);
  EXPECT_EQ(header->data + header->slotCount, header->thunks);
  for (DWORD i = 0; i < header->slotCount; ++i) ASSERT_EQ(0, header->inUse[i]);
#if defined(__i386__)
  if (info.dwPageSize == 4096) {
    EXPECT_EQ(184u, header->slotCount);
  }
#endif
  EXPECT_EQ(DWORD(PAGE_EXECUTE_READ), Protection(header));
}

// Never writable and executable at once: read-execute whenever a thunk can run, and no page
// of the process is both while hooks are installed.
TEST(HookPad, ThePageIsNeverWritableAndExecutable) {
  HeapGuard guard;
  Seen seen;
  DWORD slot = AllocThreadHook(guard.heap, Record, &seen);
  EXPECT_TRUE(FreeHook(guard.heap, slot));
  EXPECT_EQ(DWORD(PAGE_EXECUTE_READ), Protection(guard.heap));
  EXPECT_EQ(0, guard.Header()->inUse[slot]);
  EXPECT_EQ(slot, AllocThreadHook(guard.heap, Record, &seen));  // written again, and it runs
  EXPECT_EQ(DWORD(PAGE_EXECUTE_READ), Protection(guard.heap));
  EXPECT_EQ(0x5A5A, reinterpret_cast<HOOKPROC>(guard.Header()->thunks + slot * kThunkSize)(1, 2, 3));

  MEMORY_BASIC_INFORMATION region;
  for (const BYTE* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;) {
    const DWORD kWritableCode = PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (region.State == MEM_COMMIT && (region.Protect & kWritableCode) != 0)
      ADD_FAILURE() << "writable code at " << region.BaseAddress << ", protection " << region.Protect;
    const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
}

TEST(HookPad, SlotsLowestFreeFirstUntilFull) {
  HeapGuard guard;
  HeapHeader* header = guard.Header();
  Seen seen;
  for (DWORD i = 0; i < header->slotCount; ++i) ASSERT_EQ(i, AllocThreadHook(guard.heap, Record, &seen));
  EXPECT_EQ(HOOKPAD_NO_SLOT, AllocThreadHook(guard.heap, Record, &seen));
  EXPECT_TRUE(FreeHook(guard.heap, 3));
  EXPECT_EQ(0, header->inUse[3]);
  EXPECT_EQ(3u, AllocThreadHook(guard.heap, Record, &seen));
}

TEST(HookPad, FreeHookRefusesBadSlots) {
  HeapGuard guard;
  HeapHeader* header = guard.Header();
  EXPECT_FALSE(FreeHook(guard.heap, 0));                   // free slot
  EXPECT_FALSE(FreeHook(guard.heap, header->slotCount));   // past the end
  EXPECT_FALSE(FreeHook(guard.heap, HOOKPAD_NO_SLOT));
}

TEST(HookPad, InvalidHeapsAreRefused) {
  Seen seen;
  EXPECT_EQ(HOOKPAD_NO_SLOT, AllocThreadHook(nullptr, Record, &seen));
  EXPECT_FALSE(FreeHook(nullptr, 0));
  FreeHookHeap(nullptr);

  HeapGuard guard;
  HeapHeader* header = guard.Header();
  WritablePage writable(header);
  header->guard2 = 0;
  EXPECT_EQ(HOOKPAD_NO_SLOT, AllocThreadHook(guard.heap, Record, &seen));
  EXPECT_FALSE(FreeHook(guard.heap, 0));
  FreeHookHeap(guard.heap);  // refused: the page stays
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(header, &region, sizeof region);
  EXPECT_EQ(DWORD(MEM_COMMIT), region.State);
  header->guard2 = kGuard2;
  header->guard1 = 0;
  EXPECT_EQ(HOOKPAD_NO_SLOT, AllocThreadHook(guard.heap, Record, &seen));
  header->guard1 = kGuard1;
}

TEST(HookPad, ThunkPassesContextAndHookFirstAndReturnsTheResult) {
  HeapGuard guard;
  Seen seen;
  DWORD slot = AllocThreadHook(guard.heap, Record, &seen);
  ASSERT_NE(HOOKPAD_NO_SLOT, slot);
  HeapHeader* header = guard.Header();
  HOOKPROC thunk = reinterpret_cast<HOOKPROC>(header->thunks + slot * kThunkSize);
  LRESULT result = thunk(0x1234, static_cast<WPARAM>(0xCAFE), static_cast<LPARAM>(0xBEEF));
  EXPECT_EQ(0x5A5A, result);
  EXPECT_EQ(&seen, seen.context);
  EXPECT_EQ(SlotHook(header, slot), seen.hook);
  EXPECT_NE(nullptr, seen.hook);
  EXPECT_EQ(0x1234, seen.code);
  EXPECT_EQ(WPARAM(0xCAFE), seen.wParam);
  EXPECT_EQ(LPARAM(0xBEEF), seen.lParam);
}

LRESULT __stdcall CountKeys(void* context, HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  Seen* seen = static_cast<Seen*>(context);
  KBDLLHOOKSTRUCT* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && key->vkCode == VK_F13) {
    seen->hook = hook;
    seen->wParam = wParam;
    ++seen->calls;
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

TEST(HookPad, RealLowLevelKeyboardHookThroughAThunk) {
  HeapGuard guard;
  Seen seen;
  DWORD slot = AllocHook(guard.heap, WH_KEYBOARD_LL, CountKeys, &seen, nullptr, 0);
  ASSERT_NE(HOOKPAD_NO_SLOT, slot);
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_F13;
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(2u, SendInput(2, inputs, sizeof(INPUT)));
  for (int i = 0; i < 50 && seen.calls < 2; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  EXPECT_EQ(2, seen.calls);
  EXPECT_EQ(SlotHook(guard.Header(), slot), seen.hook);
  EXPECT_EQ(WPARAM(WM_KEYUP), seen.wParam);
  EXPECT_TRUE(FreeHook(guard.heap, slot));
}

TEST(HookPad, PageOutlivesAHookThatCannotBeRemoved) {
  HHOOKHEAP heap = AllocHookHeap();
  HeapHeader* header = reinterpret_cast<HeapHeader*>(heap);
  Seen seen;
  DWORD kept = AllocThreadHook(heap, Record, &seen);
  DWORD broken = AllocThreadHook(heap, Record, &seen);
  HHOOK real = SlotHook(header, broken);
  HHOOK bogus = reinterpret_cast<HHOOK>(static_cast<uintptr_t>(0x0BAD0000));
  {
    WritablePage writable(header);
    memcpy(header->thunks + broken * kThunkSize + kThunkHookOffset, &bogus, sizeof bogus);
  }
  EXPECT_FALSE(FreeHook(heap, broken));  // refused: stays in use
  EXPECT_EQ(1, header->inUse[broken]);
  FreeHookHeap(heap);
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(header, &region, sizeof region);
  EXPECT_EQ(DWORD(MEM_COMMIT), region.State);  // still mapped
  EXPECT_EQ(0, header->inUse[kept]);           // the other hook was removed
  UnhookWindowsHookEx(real);
}

}  // namespace
