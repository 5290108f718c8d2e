// The page of a key combination: a box that shows the combination and takes a new one while
// it has the focus (the keyboard hook hands it the keys), a line that says what the
// combination types on the user's keyboard layouts, if anything, and the programs it is for.
#ifndef TAMBRELPLUG_COMBOPAGE_H
#define TAMBRELPLUG_COMBOPAGE_H

#include <string>

#include "SettingsPage.h"

class ComboPage : public SettingsPage {
 public:
  ComboPage();
  // The combination in the box; vk 0 for none.
  int Key() const { return m_vk; }
  int Modifiers() const { return m_modifiers; }
  void SetCombination(int vk, int modifiers, const std::string& text, const std::string& warning);
  // A combination captured inside the keyboard hook: kept, and shown once the hook has
  // returned (its texts are made then, by describe), so the hook allocates nothing.
  void Take(int vk, int modifiers);
  typedef void (*Describer)(void* context, int vk, int modifiers, std::string* text, std::string* warning);
  void SetDescriber(Describer describe, void* context) {
    m_describe = describe;
    m_describeContext = context;
  }
  // Whether the box has the focus, so that the next key pressed is the new combination.
  bool Capturing() const { return IsOpen() && m_capturing; }

 protected:
  void OnInit() override;
  bool OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  static LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
  static const LayoutMapEntry kLayout[3];

  int m_vk = 0;
  int m_modifiers = 0;
  bool m_capturing = false;
  Describer m_describe = nullptr;
  void* m_describeContext = nullptr;
};

// The one page of the process, made on first use.
ComboPage& TheComboPage();

#endif
