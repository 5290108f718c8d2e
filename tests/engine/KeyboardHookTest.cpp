// The hook procedure, driven as hookpad's thunk drives it, with synthetic key events and
// test plugins; and ExecuteAction, which only queues while the hook procedure runs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "PlaceholderPlugin.h"

namespace {

const LRESULT kSwallowed = 1;
const LRESULT kPassed = 0;  // what CallNextHookEx gives when no other hook follows

// FakeHooks, keeping the procedure and context that the engine installs.
struct CapturedHook {
  static HookThunkProc proc;
  static void* context;
  FakeHooks fake;
  CapturedHook() {
    proc = nullptr;
    gHookApi.allocHook = Capture;
  }
  static DWORD __stdcall Capture(HHOOKHEAP, int, HookThunkProc p, void* c, HMODULE, DWORD) {
    proc = p;
    context = c;
    return 7;
  }
};
HookThunkProc CapturedHook::proc;
void* CapturedHook::context;

bool IsUp(UINT message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

std::string Event(UINT message, DWORD vk) {
  const char* kind = message == WM_KEYDOWN ? "down" : message == WM_KEYUP ? "up"
                     : message == WM_SYSKEYDOWN ? "sysdown" : "sysup";
  char text[32];
  snprintf(text, sizeof text, "%s %02lX", kind, static_cast<unsigned long>(vk));
  return text;
}

LRESULT Send(UINT message, DWORD vk, int code = HC_ACTION, DWORD flags = 0, ULONG_PTR extraInfo = 0) {
  KBDLLHOOKSTRUCT key = {};
  key.vkCode = vk;
  key.scanCode = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  key.flags = flags | (IsUp(message) ? LLKHF_UP : 0);
  key.time = GetTickCount();
  key.dwExtraInfo = extraInfo;
  return CapturedHook::proc(CapturedHook::context, nullptr, code, message,
                            reinterpret_cast<LPARAM>(&key));
}

// A plugin that watches keys: logs what it is asked, swallows on request.
class KeyPlugin : public PlaceholderPlugin {
 public:
  KeyPlugin(const char* name, std::vector<std::string>* log) : m_name(name), m_log(log) {}
  bool WantsKeyEvents() override {
    ++wantsCalls;
    return wants;
  }
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override {
    m_log->push_back(m_name + " " + Event(message, key->vkCode));
    if (onKey) onKey(key->vkCode, message);
    return swallows && swallows(key->vkCode, message);
  }
  bool wants = true;
  int wantsCalls = 0;
  std::function<bool(DWORD vk, UINT message)> swallows;
  std::function<void(DWORD vk, UINT message)> onKey;

 private:
  std::string m_name;
  std::vector<std::string>* m_log;
};

// An action plugin whose Execute logs the binding and the thread it runs on.
class ActionPlugin : public PlaceholderPlugin {
 public:
  explicit ActionPlugin(std::vector<std::string>* log) : m_action(log) {}
  ActionType* GetActionType() override { return &m_action; }

 private:
  class Action : public ActionType {
   public:
    explicit Action(std::vector<std::string>* log) : m_log(log) {}
    void Load(int, xmlNode*) override {}
    void Apply(int) override {}
    void Save(int, xmlNode*) override {}
    void Select(int) override {}
    void Remove(int) override {}
    int Execute(int actionId) override {
      m_log->push_back("Execute " + std::to_string(actionId) +
                       (GetCurrentThreadId() == m_thread ? "" : " on another thread"));
      return 40 + actionId;
    }
    const char* GetActionText(int) override { return "test"; }
    const char* GetName() override { return "Test Action"; }
    bool HasPage() override { return false; }
    void CreatePage(HWND, RECT) override {}
    void DestroyPage() override {}
    void ShowPage(bool) override {}

   private:
    std::vector<std::string>* m_log;
    DWORD m_thread = GetCurrentThreadId();
  };
  Action m_action;
};

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class KeyboardHook : public ::testing::Test {
 protected:
  KeyboardHook() {
    // Registry order: A, B, then the action plugin.
    for (Plugin* plugin : {static_cast<Plugin*>(&a), static_cast<Plugin*>(&b),
                           static_cast<Plugin*>(&actions)}) {
      PluginRecord record = {};
      record.plugin = plugin;
      record.active = true;
      engine.Registry().Add(record);
    }
    engine.SetActive(true);
  }
  PluginRecord& RecordOf(int id) { return *engine.FindPlugin(id); }

  TempWorkDir dir;
  CapturedBoxes boxes;
  CapturedHook hook;
  std::vector<std::string> log;
  // The plugins outlive the engine, which calls Release on them at shut-down.
  KeyPlugin a{"A", &log};
  KeyPlugin b{"B", &log};
  ActionPlugin actions{&log};
  TambrelEngine engine;
};

struct RuleCase {
  const char* what;
  bool active, toggled, aSwallows, bSwallows, bWants, bActive;
  int code;
  LRESULT result;
  std::vector<std::string> asked;
};

TEST_F(KeyboardHook, DecidesEachKeyDown) {
  ASSERT_NE(nullptr, CapturedHook::proc);
  const RuleCase cases[] = {
      {"inactive: passed, nobody asked", false, true, true, true, true, true, HC_ACTION,
       kPassed, {}},
      {"nobody swallows: passed", true, false, false, false, true, true, HC_ACTION, kPassed,
       {"A down 41", "B down 41"}},
      {"toggled: swallowed, all asked", true, true, false, false, true, true, HC_ACTION,
       kSwallowed, {"A down 41", "B down 41"}},
      {"one swallows: the next is still asked", true, false, true, false, true, true,
       HC_ACTION, kSwallowed, {"A down 41", "B down 41"}},
      {"both swallow: swallowed once", true, false, true, true, true, true, HC_ACTION,
       kSwallowed, {"A down 41", "B down 41"}},
      {"a plugin that wants no keys is not given any", true, false, false, true, false, true,
       HC_ACTION, kPassed, {"A down 41"}},
      {"an inactive plugin is not asked", true, false, false, true, true, false, HC_ACTION,
       kPassed, {"A down 41"}},
      {"non-zero code: passed, nobody asked", true, true, true, true, true, true, 1, kPassed,
       {}},
      {"negative code: passed, nobody asked", true, true, true, true, true, true, -1, kPassed,
       {}},
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.what);
    engine.SetActive(c.active);
    engine.SetToggled(c.toggled);
    a.swallows = [&c](DWORD, UINT) { return c.aSwallows; };
    b.swallows = [&c](DWORD, UINT) { return c.bSwallows; };
    b.wants = c.bWants;
    RecordOf(2).active = c.bActive;
    a.wantsCalls = b.wantsCalls = 0;
    log.clear();
    EXPECT_EQ(c.result, Send(WM_KEYDOWN, 'A', c.code));
    EXPECT_EQ(c.asked, log);
    bool asked = c.active && c.code == HC_ACTION;
    EXPECT_EQ(asked ? 1 : 0, a.wantsCalls);
    EXPECT_EQ(asked && c.bActive ? 1 : 0, b.wantsCalls);
    Send(WM_KEYUP, 'A');  // let the next case start with no key down
  }
}

TEST_F(KeyboardHook, ToggleSetByAPluginCountsForThatEvent) {
  a.onKey = [this](DWORD vk, UINT message) {
    if (vk == 'T' && message == WM_KEYDOWN) engine.SetToggled(true);
  };
  EXPECT_EQ(kSwallowed, Send(WM_KEYDOWN, 'T'));
  EXPECT_EQ(kSwallowed, Send(WM_KEYDOWN, 'X'));
}

// A key-up goes where its key-down went. Plugin A swallows the key-down of Q (only that);
// plugin B ends the toggle on the release of P, as the sequence trigger does on the last
// key of a shortcut.
enum Op { kDown, kUp, kSysDown, kSysUp, kToggleOn, kToggleOff, kInactive, kRehook };
struct Step {
  Op op;
  DWORD vk = 0;
  LRESULT result = kPassed;
};
struct Sequence {
  const char* what;
  std::vector<Step> steps;
};

TEST_F(KeyboardHook, KeyUpFollowsItsKeyDown) {
  a.swallows = [](DWORD vk, UINT message) { return vk == 'Q' && message == WM_KEYDOWN; };
  b.onKey = [this](DWORD vk, UINT message) {
    if (vk == 'P' && message == WM_KEYUP && engine.IsToggled()) engine.SetToggled(false);
  };
  const Sequence sequences[] = {
      {"Shift held across the toggle is released in the program",
       {{kDown, VK_LSHIFT, kPassed}, {kToggleOn}, {kDown, 'A', kSwallowed},
        {kUp, 'A', kSwallowed}, {kUp, VK_LSHIFT, kPassed}}},
      {"the release that ends the toggle does not leak",
       {{kToggleOn}, {kDown, 'P', kSwallowed}, {kUp, 'P', kSwallowed}, {kDown, 'X', kPassed},
        {kUp, 'X', kPassed}}},
      {"a key-down swallowed by a plugin takes its key-up along",
       {{kDown, 'Q', kSwallowed}, {kUp, 'Q', kSwallowed}, {kDown, 'W', kPassed},
        {kUp, 'W', kPassed}}},
      {"a key-up without a key-down follows the toggle",
       {{kUp, 'A', kPassed}, {kToggleOn}, {kUp, 'A', kSwallowed}}},
      {"the release clears the key: a second key-up follows the toggle",
       {{kDown, 'A', kPassed}, {kToggleOn}, {kUp, 'A', kPassed}, {kUp, 'A', kSwallowed}}},
      {"auto-repeat: once a key-down has passed, the program holds the key",
       {{kDown, 'A', kPassed}, {kToggleOn}, {kDown, 'A', kSwallowed}, {kUp, 'A', kPassed}}},
      {"auto-repeat: a repeat passed after the toggle ended",
       {{kToggleOn}, {kDown, 'A', kSwallowed}, {kToggleOff}, {kDown, 'A', kPassed},
        {kUp, 'A', kPassed}}},
      {"Alt: system key-down and a plain key-up pair up",
       {{kToggleOn}, {kSysDown, VK_LMENU, kSwallowed}, {kToggleOff}, {kUp, VK_LMENU, kSwallowed},
        {kSysDown, 'F', kPassed}, {kToggleOn}, {kSysUp, 'F', kPassed}}},
      {"an engine made inactive keeps a swallowed key's release, asking nobody",
       {{kToggleOn}, {kDown, 'A', kSwallowed}, {kDown, 'B', kSwallowed}, {kInactive},
        {kUp, 'A', kSwallowed}, {kDown, 'C', kPassed}, {kUp, 'C', kPassed}}},
      {"a new hook starts with no key down",
       {{kDown, 'Q', kSwallowed}, {kRehook}, {kUp, 'Q', kPassed}}},
  };
  for (const Sequence& sequence : sequences) {
    SCOPED_TRACE(sequence.what);
    engine.SetActive(true);
    engine.SetToggled(false);
    engine.SetHookActive(false);  // a fresh hook: no key is down
    engine.SetHookActive(true);
    log.clear();
    std::vector<std::string> seen;  // plugins see every event while the engine is active
    for (size_t i = 0; i < sequence.steps.size(); ++i) {
      const Step& step = sequence.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      UINT message = 0;
      switch (step.op) {
        case kDown: message = WM_KEYDOWN; break;
        case kUp: message = WM_KEYUP; break;
        case kSysDown: message = WM_SYSKEYDOWN; break;
        case kSysUp: message = WM_SYSKEYUP; break;
        case kToggleOn: engine.SetToggled(true); break;
        case kToggleOff: engine.SetToggled(false); break;
        case kInactive: engine.SetActive(false); break;
        case kRehook: engine.SetHookActive(false); engine.SetHookActive(true); break;
      }
      if (message == 0) continue;
      if (engine.IsActive()) {
        seen.push_back("A " + Event(message, step.vk));
        seen.push_back("B " + Event(message, step.vk));
      }
      EXPECT_EQ(step.result, Send(message, step.vk));
    }
    EXPECT_EQ(seen, log);
  }
}

TEST_F(KeyboardHook, ExecuteActionRunsAtOnceOutsideTheHook) {
  int id = engine.AddAction({0, 3});
  EXPECT_EQ(40 + id, engine.ExecuteAction(id));
  EXPECT_EQ(std::vector<std::string>{"Execute " + std::to_string(id)}, log);
  EXPECT_EQ(0, engine.ExecuteAction(id + 1));  // unknown
}

TEST_F(KeyboardHook, ExecuteActionInsideTheHookRunsAfterItInOrder) {
  for (int i = 0; i < 4; ++i) engine.AddAction({0, 3});  // bindings 1 to 4
  std::vector<int> results;
  a.onKey = [&](DWORD vk, UINT message) {
    if (message != WM_KEYDOWN) return;
    if (vk == 'E') {
      for (int id : {3, 1, 99, 2}) results.push_back(engine.ExecuteAction(id));
      Send(WM_KEYDOWN, 'N');  // the hook re-entered, as SendInput does
      results.push_back(engine.ExecuteAction(4));  // still inside the outer call
    } else if (vk == 'N') {
      results.push_back(engine.ExecuteAction(1));
    }
  };
  log.clear();
  EXPECT_EQ(kPassed, Send(WM_KEYDOWN, 'E'));
  EXPECT_EQ(std::vector<int>({0, 0, 0, 0, 0, 0}), results);
  const std::vector<std::string> events = {"A down 45", "A down 4E", "B down 4E", "B down 45"};
  EXPECT_EQ(events, log);  // nothing ran inside the hook

  engine.Actions().erase(2);  // removed before its turn: it does not run
  PumpMessages();
  std::vector<std::string> expected = events;
  for (const char* line : {"Execute 3", "Execute 1", "Execute 1", "Execute 4"})
    expected.push_back(line);
  EXPECT_EQ(expected, log);
  log.clear();
  PumpMessages();
  EXPECT_TRUE(log.empty());  // each ran once
}

// Tambrel's own typing and a sandboxed program's keys reach every plugin, go on untouched
// whatever the plugins ask and the toggle state, and can neither toggle nor run a binding.
// Keys injected at the user's own level count as typed.
TEST_F(KeyboardHook, OwnAndLowIntegrityKeysPassAndDriveNothing) {
  int id = engine.AddAction({0, 3});
  a.swallows = [](DWORD, UINT) { return true; };
  a.onKey = [&](DWORD vk, UINT message) {
    if (vk != 'T' || message != WM_KEYUP) return;
    engine.SetToggled(!engine.IsToggled());
    engine.ExecuteAction(id);
  };
  const struct {
    const char* what;
    DWORD flags;
    ULONG_PTR extraInfo;
    bool drives;
  } kSources[] = {
      {"own input", LLKHF_INJECTED, TAMBREL_OWN_INPUT, false},
      {"lower integrity", LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED, 0, false},
      {"another program's input", LLKHF_INJECTED, 0x1234, true},
  };
  for (const auto& source : kSources) {
    SCOPED_TRACE(source.what);
    for (bool toggled : {false, true}) {
      engine.SetToggled(toggled);
      log.clear();
      LRESULT expected = source.drives ? kSwallowed : kPassed;
      EXPECT_EQ(expected, Send(WM_KEYDOWN, 'T', HC_ACTION, source.flags, source.extraInfo));
      EXPECT_EQ(expected, Send(WM_KEYUP, 'T', HC_ACTION, source.flags | LLKHF_UP, source.extraInfo));
      EXPECT_EQ(std::vector<std::string>({"A down 54", "B down 54", "A up 54", "B up 54"}), log);
      EXPECT_EQ(source.drives ? !toggled : toggled, engine.IsToggled());
      PumpMessages();
      EXPECT_EQ(source.drives ? 5u : 4u, log.size());  // "Execute 1" after the hook
    }
  }
  // Their key-downs count as passed: the user's release of a key that a macro pressed
  // reaches the program too.
  engine.SetToggled(true);
  EXPECT_EQ(kPassed, Send(WM_KEYDOWN, VK_LSHIFT, HC_ACTION, LLKHF_INJECTED, TAMBREL_OWN_INPUT));
  EXPECT_EQ(kPassed, Send(WM_KEYUP, VK_LSHIFT));
}

// The engine's window in this process; other test programs running at the same time have
// theirs among the message-only windows too.
HWND OwnEngineWindow() {
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, "TambrelEngine", nullptr); window != nullptr;
       window = FindWindowExA(HWND_MESSAGE, window, "TambrelEngine", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) return window;
  }
  return nullptr;
}

// Any program can post to the engine's window: the message names no binding, and only what
// the engine queued itself runs.
TEST_F(KeyboardHook, APostedMessageRunsOnlyWhatTheEngineQueued) {
  int id = engine.AddAction({0, 3});
  HWND window = OwnEngineWindow();
  ASSERT_NE(nullptr, window);
  for (WPARAM wParam : {WPARAM(0), WPARAM(id), WPARAM(id + 1)}) PostMessageA(window, WM_APP + 1, wParam, id);
  PumpMessages();
  EXPECT_TRUE(log.empty()) << log.front();

  a.onKey = [&](DWORD, UINT) { engine.ExecuteAction(id); };
  Send(WM_KEYDOWN, 'E');
  SendMessageA(window, WM_APP + 1, 0, 0);  // a stranger's message first: it runs the queue
  PumpMessages();
  EXPECT_EQ(std::vector<std::string>({"A down 45", "B down 45", "Execute 1"}), log);
}

TEST(KeyboardHookQueue, WindowLivesWithTheEngineAndTakesQueuedActionsAlong) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  CapturedHook hook;
  std::vector<std::string> log;
  KeyPlugin keys("A", &log);
  ActionPlugin actions(&log);
  {
    TambrelEngine engine;
    ASSERT_NE(nullptr, OwnEngineWindow());
    for (Plugin* plugin : {static_cast<Plugin*>(&keys), static_cast<Plugin*>(&actions)}) {
      PluginRecord record = {};
      record.plugin = plugin;
      record.active = true;
      engine.Registry().Add(record);
    }
    engine.SetActive(true);
    int id = engine.AddAction({0, 2});
    keys.onKey = [&](DWORD, UINT) { engine.ExecuteAction(id); };
    Send(WM_KEYDOWN, 'E');
  }
  EXPECT_EQ(nullptr, OwnEngineWindow());
  PumpMessages();
  EXPECT_EQ(std::vector<std::string>{"A down 45"}, log);

  FakeHooks failing(false, true);  // a failed start-up leaves no window either
  TambrelEngine failed;
  EXPECT_EQ(nullptr, TambrelEngine::Instance());
  EXPECT_EQ(nullptr, OwnEngineWindow());
}

// A hookpad whose first page has one slot, which the dropped hook keeps.
std::vector<std::string> gHookCalls;
char gPages[2][8];
int gPagesMade;

int PageOf(HHOOKHEAP heap) { return reinterpret_cast<char*>(heap) == gPages[0] ? 0 : 1; }
HHOOKHEAP __stdcall OnePageAfterAnother() { return reinterpret_cast<HHOOKHEAP>(gPages[gPagesMade++]); }
DWORD __stdcall OneSlotOnPageZero(HHOOKHEAP heap, int, HookThunkProc, void*, HMODULE, DWORD) {
  gHookCalls.push_back("AllocHook(" + std::to_string(PageOf(heap)) + ")");
  if (PageOf(heap) == 0 && gHookCalls.size() > 1) return HOOKPAD_NO_SLOT;
  return 10 * PageOf(heap) + 1;
}
BOOLEAN __stdcall DroppedHookStays(HHOOKHEAP, DWORD slot) {
  gHookCalls.push_back("FreeHook(" + std::to_string(slot) + ")");
  return slot != 1;
}
void __stdcall RecordPageFreed(HHOOKHEAP heap) { gHookCalls.push_back("FreeHookHeap(" + std::to_string(PageOf(heap)) + ")"); }

// Raw key events that the hook never saw, posted as the system posts them; then the engine
// window's own timer is waited for, past its grace time.
void MissKeys(HWND window, int keys) {
  Sleep(50);  // later than the last key the hook saw
  for (int i = 0; i < keys; ++i) PostMessageA(window, WM_INPUT, RIM_INPUT, 0);
  DWORD until = GetTickCount() + kWatchdogGraceMs + 400;
  while (static_cast<LONG>(until - GetTickCount()) > 0) {
    PumpMessages();
    Sleep(10);
  }
}

// When the watchdog's timer comes and more than two keys went by unseen, the hook is installed
// again, on a fresh page once dropped hooks hold every slot.
TEST(KeyboardHookWatchdog, ReinstallsAfterKeysTheHookMissedOnAFreshPageWhenNeeded) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  HookApi saved = gHookApi;
  gHookApi = {OnePageAfterAnother, OneSlotOnPageZero, DroppedHookStays, RecordPageFreed};
  gHookCalls.clear();
  gPagesMade = 0;
  {
    TambrelEngine engine;
    ASSERT_TRUE(engine.HookInstalled());
    HWND window = OwnEngineWindow();
    MissKeys(window, 2);  // one key, maybe swallowed by a hook ahead of ours
    EXPECT_EQ(std::vector<std::string>{"AllocHook(0)"}, gHookCalls);
    MissKeys(window, 3);
    EXPECT_TRUE(engine.HookInstalled());
  }
  gHookApi = saved;
  const std::vector<std::string> expected = {"AllocHook(0)", "FreeHook(1)",  "AllocHook(0)",    "AllocHook(1)",
                                             "FreeHook(11)", "FreeHookHeap(1)", "FreeHookHeap(0)"};
  EXPECT_EQ(expected, gHookCalls);
}

int gInstalls;
DWORD __stdcall CountedCapture(HHOOKHEAP heap, int type, HookThunkProc proc, void* context, HMODULE module, DWORD thread) {
  ++gInstalls;
  return CapturedHook::Capture(heap, type, proc, context, module, thread);
}

// The hook that the watchdog installs again knows which keys are held and what became of
// their key-downs: a key swallowed while the old hook was dropped does not leak its key-up.
// Windows that keeps dropping the hook gets one log line a minute.
TEST_F(KeyboardHook, TheWatchdogsNewHookKeepsTheFateOfHeldKeysAndLogsOnceAMinute) {
  gHookApi.allocHook = CountedCapture;
  gInstalls = 0;
  engine.Options().log = true;
  a.swallows = [](DWORD vk, UINT message) { return vk == 'Q' && message == WM_KEYDOWN; };
  EXPECT_EQ(kSwallowed, Send(WM_KEYDOWN, 'Q'));
  EXPECT_EQ(kPassed, Send(WM_KEYDOWN, VK_LSHIFT));
  MissKeys(OwnEngineWindow(), 3);
  ASSERT_EQ(1, gInstalls);
  EXPECT_EQ(kSwallowed, Send(WM_KEYUP, 'Q'));
  EXPECT_EQ(kPassed, Send(WM_KEYUP, VK_LSHIFT));

  EXPECT_EQ(kPassed, Send(WM_KEYDOWN, 'W'));
  MissKeys(OwnEngineWindow(), 3);
  ASSERT_EQ(2, gInstalls);
  std::string log = ReadWholeFile(dir.File("tambrel.log"));
  const std::string line = "The keyboard hook had stopped receiving keys; it is installed again";
  ASSERT_NE(std::string::npos, log.find(line));
  EXPECT_EQ(std::string::npos, log.find(line, log.find(line) + 1));
}

}  // namespace
