#include "Shell.h"

#include <windows.h>

#include <commctrl.h>
#include <libxml/xmlversion.h>
#include <objbase.h>

#include <memory>

#include "DrawExports.h"
#include "Engine.h"
#include "MainDlg.h"
#include "Messages.h"
#include "MessageLoop.h"
#include "OneCopy.h"
#include "UniqueHandle.h"

static const char kOverlayClass[] = "DialogOverlayControl";

void RegisterOverlayClass() {
  WNDCLASSA overlay = {};
  overlay.style = CS_NOCLOSE;
  overlay.lpfnWndProc = DefWindowProcA;
  overlay.hInstance = GetModuleHandleA(nullptr);
  overlay.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  overlay.lpszClassName = kOverlayClass;
  RegisterClassA(&overlay);
}

// conf.xml's folder, watched from the message loop: a change that another program makes
// reaches the engine on the thread of the messages and the hook, without a timer that polls.
class ConfigWatch : public Waitable {
 public:
  explicit ConfigWatch(TambrelEngine* engine) : m_engine(engine) {}
  HANDLE WaitHandle() override { return m_engine->ConfigWatchHandle(); }
  void OnSignaled() override { m_engine->OnConfigFolderChanged(); }

 private:
  TambrelEngine* m_engine;
};

static int Run(int showCommand) {
  MessageLoop loop;
  MainDlg mainDlg;
  xmlCheckVersion(20623);
  RegisterOverlayClass();

  int result = 0;
  // The hook goes in last, once the windows are made: until the loop runs, nothing would
  // answer it, and every key typed anywhere would wait.
  std::unique_ptr<TambrelEngine> engine(new TambrelEngine(TambrelEngine::kHookLater));
  if (TambrelEngine::Instance() == nullptr) {
    engine.reset();
    ReportError("Main initialization failed!");
  } else if (mainDlg.Create() == nullptr) {
    ReportError("User interface could not be created!");
    engine.reset();  // still shut down, or the tray icon would stay behind
  } else if (!engine->InstallHook()) {
    // As when the engine's own start-up fails. Reported first: the window's end posts the
    // quit message, which would close a message box at once.
    ReportError("Main initialization failed!");
    mainDlg.Destroy();
    engine.reset();
  } else {
    if (engine->Options().autoShow) ShowWindow(mainDlg.Window(), showCommand);
    ConfigWatch watch(engine.get());
    loop.AddWaitable(&watch);
    result = loop.Run();
    loop.RemoveWaitable(&watch);
    // The main dialog window is gone; the engine's shut-down relies on no window of ours.
    engine.reset();
  }
  UnregisterOverlayClass();
  return result;
}

void UnregisterOverlayClass() { UnregisterClassA(kOverlayClass, GetModuleHandleA(nullptr)); }

int RunTambrel(int showCommand) {
  UniqueKernelHandle sessionName;
  int exitCode = 0;
  if (!TakeSessionName(&sessionName, &exitCode)) return exitCode;
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // a failure is not fatal
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  BindTheme();
  int result = Run(showCommand);
  UnbindTheme();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
