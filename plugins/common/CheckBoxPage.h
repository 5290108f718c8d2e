// A plugin's settings page of one check box: it shows one yes/no setting of the plugin that
// opened it and sets it at every click.
#ifndef TAMBRELPLUG_CHECKBOXPAGE_H
#define TAMBRELPLUG_CHECKBOXPAGE_H

#include "SettingsPage.h"
#include "TambrelPlugin.h"

template <class Owner, int kBox, bool (Owner::*Get)() const, void (Owner::*Set)(bool)>
class CheckBoxPage : public SettingsPage {
 public:
  explicit CheckBoxPage(UINT templateId) : SettingsPage(templateId, PLUGIN_GENERAL, kLayout) {}
  bool Open(Owner* owner, HWND parent, const RECT& rect) {
    if (IsOpen()) return false;
    m_owner = owner;
    if (!SettingsPage::Open(parent, rect)) return false;
    CheckDlgButton(Window(), kBox, (owner->*Get)() ? BST_CHECKED : BST_UNCHECKED);
    return true;
  }
  bool OwnedBy(const Owner* plugin) const { return IsOpen() && m_owner == plugin; }

 protected:
  bool OnPageMessage(UINT message, WPARAM wParam, LPARAM, LRESULT*) override {
    if (message != WM_COMMAND || LOWORD(wParam) != kBox || HIWORD(wParam) != BN_CLICKED) return false;
    (m_owner->*Set)(IsDlgButtonChecked(Window(), kBox) == BST_CHECKED);
    return true;
  }

 private:
  static constexpr LayoutMapEntry kLayout[] = {{kBox, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT}};
  Owner* m_owner = nullptr;
};

template <class Owner, int kBox, bool (Owner::*Get)() const, void (Owner::*Set)(bool)>
constexpr LayoutMapEntry CheckBoxPage<Owner, kBox, Get, Set>::kLayout[];

#endif
