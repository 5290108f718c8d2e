// The settings window: the engine's switches and the plugins. Closing it only hides it.
#ifndef TAMBREL_SETTINGSDLG_H
#define TAMBREL_SETTINGSDLG_H

#include "Dialog.h"
#include "DialogLayout.h"

class SettingsDlg : public Dialog {
 public:
  SettingsDlg();
  void RefreshOptions(bool withPlugin);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  DialogLayout m_layout;
};

#endif
