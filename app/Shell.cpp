#include "Shell.h"

#include <objbase.h>

#include <memory>

#include "Engine.h"
#include "Messages.h"

static int RunMessageLoop() {
  MSG msg;
  for (;;) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int RunTambrel(int /*showCommand*/) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // failure is not fatal
  int result = 0;
  std::unique_ptr<TambrelEngine> engine(new TambrelEngine);
  if (TambrelEngine::Instance() == nullptr) {
    engine.reset();
    ReportError("Main initialization failed!");
  } else {
    result = RunMessageLoop();
    engine.reset();
  }
  CoUninitialize();
  return result;
}
