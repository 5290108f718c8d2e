// The real main dialog over a started engine whose plugins are the built-in ones, linked
// into the test program: the dialogs and the plugin pages are driven in-process.
#ifndef TAMBREL_TESTS_UIFIXTURE_H
#define TAMBREL_TESTS_UIFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Engine.h"
#include "MainDlg.h"
#include "MessageLoop.h"
#include "PluginGuids.h"
#include "TestSupport.h"

// One binding of a conf.xml: a key sequence bound to a command.
std::string SequenceToCommand(const char* shortcut, const char* command);

class UiTest : public ::testing::Test {
 protected:
  UiTest();
  ~UiTest() override;

  // Writes conf.xml (hook off, so the test's own keys are never swallowed, unless the
  // options say otherwise) and starts the engine and the main dialog.
  void Start(const std::string& actions, const std::string& options = "");
  void Stop();  // destroys the dialog and shuts the engine down, which writes conf.xml

  // Every queued message through the loop's filters, as the program's loop does it.
  void Pump();

  HWND Item(int id) { return dialog->Item(id); }
  void Click(int id);
  std::string Text(HWND window);
  std::string RowText(int row, int column);
  int SelectedRow();
  void SelectRow(int row);
  std::string ComboText(int id);  // the text of the chosen item, empty when none
  void ChooseInCombo(int id, const char* text);
  void SelectTab(int tab);
  // A control of the plugin page shown on the current tab.
  HWND PageItem(int id);

  CapturedBoxes boxes;  // no message box may wait for a user
  TempWorkDir dir;
  MessageLoop loop;
  std::unique_ptr<TambrelEngine> engine;
  std::unique_ptr<MainDlg> dialog;
};

#endif
