// The about box: name, picture and version. Closing it only hides it.
#ifndef TAMBREL_ABOUTDLG_H
#define TAMBREL_ABOUTDLG_H

#include "Dialog.h"

class AboutDlg : public Dialog {
 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

#endif
