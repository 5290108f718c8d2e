#include "ComboTable.h"

#include <algorithm>

namespace {

bool Admits(const std::vector<int>& programs, int program) {
  return std::find(programs.begin(), programs.end(), program) != programs.end();
}

}  // namespace

void ComboTable::Set(int actionId, int vk, int modifiers, const std::vector<int>& programs) {
  auto it = m_bindings.find(actionId);
  if (it != m_bindings.end()) {
    Unlink(actionId, it->second);
  } else {
    it = m_bindings.emplace(actionId, Binding()).first;
  }
  Binding& binding = it->second;
  binding.vk = vk > 0 && vk < kComboKeys ? vk : 0;
  binding.modifiers = modifiers & (kComboModifierStates - 1);
  binding.programs = programs;
  if (binding.vk == 0) return;
  size_t cell = Cell(static_cast<unsigned>(binding.vk), binding.modifiers);
  std::vector<Entry>& entries = m_cells[cell];
  auto at = std::lower_bound(entries.begin(), entries.end(), actionId,
                             [](const Entry& e, int id) { return e.actionId < id; });
  entries.insert(at, Entry{actionId, &binding.programs});
  if (!binding.programs.empty()) ++m_filtered[cell];
  m_keyStates[binding.vk] |= static_cast<unsigned short>(1u << binding.modifiers);
}

void ComboTable::Remove(int actionId) {
  auto it = m_bindings.find(actionId);
  if (it == m_bindings.end()) return;
  Unlink(actionId, it->second);
  m_bindings.erase(it);
}

void ComboTable::Unlink(int actionId, const Binding& binding) {
  if (binding.vk == 0) return;
  size_t cell = Cell(static_cast<unsigned>(binding.vk), binding.modifiers);
  std::vector<Entry>& entries = m_cells[cell];
  entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.actionId == actionId; }),
                entries.end());
  if (!binding.programs.empty()) --m_filtered[cell];
  if (entries.empty()) m_keyStates[binding.vk] &= static_cast<unsigned short>(~(1u << binding.modifiers));
}

bool ComboTable::NeedsProgram(unsigned vk, int modifiers) const {
  return vk < kComboKeys && m_filtered[Cell(vk, modifiers & (kComboModifierStates - 1))] > 0;
}

int ComboTable::Winner(unsigned vk, int modifiers, int program) const {
  if (!HasKey(vk)) return 0;
  const std::vector<Entry>& entries = m_cells[Cell(vk, modifiers & (kComboModifierStates - 1))];
  int plain = 0;
  for (const Entry& entry : entries) {
    if (entry.programs->empty()) {
      if (plain == 0) plain = entry.actionId;
    } else if (program != 0 && Admits(*entry.programs, program)) {
      return entry.actionId;  // the entries are in action id order
    }
  }
  return plain;
}

// A binding for every program fires where no filter names the program, unless a lower one
// for every program shares its combination; where a filter names the program it can only
// lose more. One with a filter fires when it wins in one of its programs.
int ComboTable::ShadowOf(int actionId) const {
  auto it = m_bindings.find(actionId);
  if (it == m_bindings.end() || it->second.vk == 0) return 0;
  const Binding& binding = it->second;
  unsigned vk = static_cast<unsigned>(binding.vk);
  if (binding.programs.empty()) {
    int winner = Winner(vk, binding.modifiers, 0);
    return winner == actionId ? 0 : winner;
  }
  int first = 0;
  for (int program : binding.programs) {
    int winner = Winner(vk, binding.modifiers, program);
    if (winner == actionId) return 0;
    if (first == 0) first = winner;
  }
  return first;
}
