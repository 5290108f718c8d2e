// Program filters: names in any script, compared as the file system compares them, and the
// program a window belongs to as the user sees it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramFilter.h"
#include "XTools.h"
#include "execute/RunningProgram.h"

namespace {

// Two names that the Western code page would both show as "???????.exe".
const std::wstring kNotepad = L"\u0411\u043b\u043e\u043a\u043d\u043e\u0442.exe";
const std::wstring kExercise = L"\u0422\u0435\u0442\u0440\u0430\u0434\u044c.exe";

TEST(ProgramFilter, NamesOutsideTheCodePageCompareWholeInAnyCase) {
  EXPECT_TRUE(SameProgram(kNotepad.c_str(), L"\u0411\u041b\u041e\u041a\u041d\u041e\u0422.EXE"));
  EXPECT_TRUE(SameProgram(L"\u03c9\u03bc\u03ad\u03b3\u03b1.exe", L"\u03a9\u039c\u0388\u0393\u0391.EXE"));
  EXPECT_FALSE(SameProgram(kNotepad.c_str(), kExercise.c_str()));
  EXPECT_FALSE(SameProgram(kNotepad.c_str(), L"???????.exe"));
  ProgramNames names;
  EXPECT_EQ((std::vector<int>{1, 2}),
            names.Numbers(L"C:\\\u041f\u0440\u043e\u0433\\" + kNotepad + L"; " + kExercise + L";" +
                          L"\u0411\u041b\u041e\u041a\u041d\u041e\u0422.EXE"));
  EXPECT_EQ(1, names.NumberOf(L"\u0431\u043b\u043e\u043a\u043d\u043e\u0442.EXE"));
  EXPECT_EQ(2, names.NumberOf(kExercise.c_str()));
  EXPECT_EQ(0, names.NumberOf(L"???????.exe"));
  EXPECT_EQ(kNotepad + L"; " + kExercise, names.List({1, 2}, L"; "));
}

// A UWP app's window: the frame of ApplicationFrameHost.exe with the app's CoreWindow inside.
// Played by two processes of the tests' own (Wine has no UWP), with a real cross-process
// window tree: a copy of the probe program named ApplicationFrameHost.exe shows the frame,
// another named as the app puts its CoreWindow into it.
TEST(ProgramFilter, AUwpFrameCountsAsTheAppItHostsUnlessItHostsNone) {
  TempWorkDir dir;
  Probes probes;
  ASSERT_TRUE(probes.Start(dir, "ApplicationFrameHost", "Probe frame"));
  HWND frame = FindWindowA("STATIC", "Probe frame");
  ASSERT_NE(nullptr, frame);
  wchar_t name[MAX_PATH] = L"";
  // Minimised, a UWP app shows no CoreWindow: the frame is the host's.
  ProgramOfWindow(frame, name, MAX_PATH);
  EXPECT_STREQ(L"ApplicationFrameHost.exe", name);
  ProgramImage app = {L"calculator.exe", false};
  EXPECT_TRUE(ProgramWindows(app).empty());

  ASSERT_TRUE(probes.Run(dir, L"Calculator", "corewindow " + std::to_string(reinterpret_cast<INT_PTR>(frame))));
  ASSERT_TRUE(PumpUntil(
      [&] { return FindWindowExW(frame, nullptr, L"Windows.UI.Core.CoreWindow", nullptr) != nullptr; }, kTimeoutMs));
  ProgramOfWindow(frame, name, MAX_PATH);
  EXPECT_STREQ(L"Calculator.exe", name);
  EXPECT_EQ(std::vector<HWND>{frame}, ProgramWindows(app));  // "Switch to it" finds the app's window
  wchar_t small[5];
  ProgramOfWindow(frame, small, 5);  // cut to the buffer, never past it
  EXPECT_STREQ(L"Calc", small);

  probes.EndLast();  // the app's window goes with its process
  ASSERT_TRUE(PumpUntil(
      [&] { return FindWindowExW(frame, nullptr, L"Windows.UI.Core.CoreWindow", nullptr) == nullptr; }, kTimeoutMs));
  ProgramOfWindow(frame, name, MAX_PATH);
  EXPECT_STREQ(L"ApplicationFrameHost.exe", name);
  ProgramOfWindow(nullptr, name, MAX_PATH);
  EXPECT_STREQ(L"", name);
}

}  // namespace
