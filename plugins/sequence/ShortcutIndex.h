// The shortcuts in byte order, for the list of bindings that the next keys can complete.
// Built on first use after a change, so that loading thousands of bindings costs one sort.
#ifndef TAMBRELPLUG_SHORTCUTINDEX_H
#define TAMBRELPLUG_SHORTCUTINDEX_H

#include <stddef.h>

#include <vector>

#include "CheatSheet.h"

class ShortcutIndex {
 public:
  // A binding not in the index yet; text stays valid, and unchanged, as long as it is in it
  // (the plugin's own storage). A changed shortcut is removed and added again.
  void Add(int actionId, const char* text, size_t length);
  void Remove(int actionId);

  // The bindings whose shortcut begins with a non-empty end of typed, or every binding when
  // there are none; up to max of them in order, and how many there are. typed is at most 16.
  size_t Completions(const char* typed, size_t length, SheetRow* rows, size_t max);

 private:
  struct Entry {
    const char* text;
    size_t length;
    int actionId;
  };
  void Sort();

  std::vector<Entry> m_entries;
  bool m_sorted = true;
};

#endif
