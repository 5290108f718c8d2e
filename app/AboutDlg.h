// The about box: name, picture and version. Closing it only hides it.
#ifndef TAMBREL_ABOUTDLG_H
#define TAMBREL_ABOUTDLG_H

#include "Dialog.h"
#include "DialogLayout.h"

class AboutDlg : public Dialog {
 public:
  AboutDlg();

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  void ShowPicture();

  // Nothing is anchored (the box has a fixed size); the layout keeps its font and controls
  // at the DPI of its monitor.
  DialogLayout m_layout;
  HBITMAP m_picture = nullptr;  // the picture's static owns it once it shows it
};

#endif
