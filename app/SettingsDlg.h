// The settings window: the engine's switches and the plugins. Closing it only hides it.
#ifndef TAMBREL_SETTINGSDLG_H
#define TAMBREL_SETTINGSDLG_H

#include "Dialog.h"

class SettingsDlg : public Dialog {
 public:
  void RefreshOptions(bool withPlugin);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

#endif
