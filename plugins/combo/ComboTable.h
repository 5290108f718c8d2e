// The key combinations of the bindings, looked up by key and modifier state in one step: the
// keyboard hook asks it on every key-down of a key that has a combination.
#ifndef TAMBRELPLUG_COMBOTABLE_H
#define TAMBRELPLUG_COMBOTABLE_H

#include <stddef.h>

#include <map>
#include <vector>

// Modifier bits, as conf.xml stores them; left and right keys count alike.
enum : int { kComboCtrl = 1, kComboAlt = 2, kComboShift = 4, kComboWin = 8 };
const int kComboModifierStates = 16;
const int kComboKeys = 256;

class ComboTable {
 public:
  // programs: the numbers of the programs its filter names (index + 1 of the plugin's list
  // of names), empty for every program. vk 0 is no combination: it never fires.
  void Set(int actionId, int vk, int modifiers, const std::vector<int>& programs);
  void Remove(int actionId);

  // Whether any combination uses this key: the modifiers need not be read otherwise.
  bool HasKey(unsigned vk) const { return vk < kComboKeys && m_keyStates[vk] != 0; }
  // Whether a binding on this combination has a program filter: then the program matters.
  bool NeedsProgram(unsigned vk, int modifiers) const;
  // The binding that fires on this combination in program (0: one that no filter names):
  // one with a filter that admits it beats one without; then the lowest action id. 0 when
  // none. Allocates nothing.
  int Winner(unsigned vk, int modifiers, int program) const;

  // The binding that fires instead of actionId wherever its filter lets it fire; 0 when it
  // fires somewhere, or is no combination.
  int ShadowOf(int actionId) const;

 private:
  struct Entry {
    int actionId;
    const std::vector<int>* programs;  // the binding's own, in m_bindings
  };
  struct Binding {
    int vk, modifiers;
    std::vector<int> programs;
  };
  static size_t Cell(unsigned vk, int modifiers) {
    return vk * kComboModifierStates + static_cast<unsigned>(modifiers);
  }
  void Unlink(int actionId, const Binding& binding);

  std::map<int, Binding> m_bindings;
  // Per key and modifier state, its bindings in action id order. Most are empty.
  std::vector<std::vector<Entry>> m_cells = std::vector<std::vector<Entry>>(kComboKeys * kComboModifierStates);
  std::vector<int> m_filtered = std::vector<int>(kComboKeys * kComboModifierStates);  // entries with a filter
  unsigned short m_keyStates[kComboKeys] = {};  // per key, a bit per modifier state in use
};

#endif
