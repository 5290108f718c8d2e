// The dialog base: the object behind a dialog procedure, answers through DWLP_MSGRESULT or
// the return value, and modal runs.
#include <gtest/gtest.h>

#include "Dialog.h"
#include "TestDialogs.h"

namespace {

const UINT kAsk = WM_APP + 1;
const UINT kFinish = WM_APP + 2;

class Probe : public Dialog {
 public:
  bool endOnInit = false;
  int initCalls = 0;
  bool destroyed = false;
  HBRUSH brush = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));

 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    switch (message) {
      case WM_INITDIALOG:
        ++initCalls;
        if (endOnInit) PostMessageA(Window(), kFinish, 0, 0);
        return false;
      case kAsk: *result = 0x1234; return true;
      case WM_CTLCOLORDLG: *result = reinterpret_cast<LRESULT>(brush); return true;
      case kFinish: EndModal(7); return true;
      case WM_NCDESTROY: destroyed = true; return false;
    }
    return false;
  }
};

TEST(Dialog, MessagesReachTheObjectAndAnswersComeBack) {
  Probe probe;
  HWND hwnd = probe.Create(IDD_DESIGN_EXTENDED, nullptr);
  ASSERT_NE(nullptr, hwnd);
  EXPECT_EQ(hwnd, probe.Window());
  EXPECT_EQ(1, probe.initCalls);
  // SendMessage to a dialog returns what the procedure put into DWLP_MSGRESULT...
  EXPECT_EQ(0x1234, SendMessageA(hwnd, kAsk, 0, 0));
  // ...except for the messages whose answer is the procedure's return value.
  HDC hdc = GetDC(hwnd);
  EXPECT_EQ(reinterpret_cast<LRESULT>(probe.brush),
            SendMessageA(hwnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc),
                         reinterpret_cast<LPARAM>(hwnd)));
  ReleaseDC(hwnd, hdc);
  probe.Destroy();
  EXPECT_TRUE(probe.destroyed);
  EXPECT_EQ(nullptr, probe.Window());
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Dialog, ModalRunReturnsWhatEndModalWasGiven) {
  Probe probe;
  probe.endOnInit = true;
  EXPECT_EQ(7, probe.RunModal(IDD_DESIGN_EXTENDED, nullptr));
  EXPECT_EQ(nullptr, probe.Window());
}

TEST(Dialog, AnObjectGoneFirstTakesItsWindowWithoutHearingFromIt) {
  HWND hwnd;
  {
    Probe probe;
    hwnd = probe.Create(IDD_DESIGN_EXTENDED, nullptr);
    ASSERT_NE(nullptr, hwnd);
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
