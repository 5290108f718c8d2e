// The shortcuts in byte order, for the list of bindings that the next keys can complete.
// Built on first use after a change, so that loading thousands of bindings costs one sort.
#ifndef TAMBRELPLUG_SHORTCUTINDEX_H
#define TAMBRELPLUG_SHORTCUTINDEX_H

#include <stddef.h>

#include <unordered_map>
#include <vector>

#include "CheatSheet.h"

class ShortcutIndex {
 public:
  // A binding not in the index yet. text and programs (the numbers of the programs its
  // filter names; empty for every program) stay valid, and unchanged, as long as it is in
  // the index: they are the plugin's own. A changed shortcut is removed and added again.
  void Add(int actionId, const char* text, size_t length, const std::vector<int>* programs);
  void Remove(int actionId);

  // The bindings for program (a number of the filters' programs, 0 for any other) whose
  // shortcut begins with a non-empty end of typed, or all of them when there are none; up
  // to max of them in order, and how many there are. typed is at most 16. leads, if given,
  // says whether some shortcut begins with such an end.
  size_t Completions(const char* typed, size_t length, int program, SheetRow* rows, size_t max,
                     bool* leads = nullptr);

 private:
  struct Entry {
    const char* text;
    size_t length;
    int actionId;
    const std::vector<int>* programs;
  };
  void Sort();

  std::vector<Entry> m_entries;
  std::unordered_map<int, size_t> m_position;  // of each binding's entry
  bool m_sorted = true;
};

#endif
