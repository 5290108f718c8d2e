// The shortcuts of all bindings, reversed, in one trie: walking it backwards from the end of
// the typed text finds every shortcut that ends the text in at most as many steps as the
// text is long, whatever the number of bindings.
#ifndef TAMBRELPLUG_SUFFIXTRIE_H
#define TAMBRELPLUG_SUFFIXTRIE_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "ShortcutText.h"

class SuffixTrie {
 public:
  SuffixTrie();

  // text must be normalised. One action id may be added under one text only.
  void Add(const char* text, size_t length, int actionId);
  void Remove(const char* text, size_t length, int actionId);
  void Clear();

  // The binding to run for the typed text: the longest shortcut that ends it, and of several
  // bindings with that shortcut the lowest action id. False when none ends it. Allocates
  // nothing.
  bool Match(const char* typed, size_t length, int* actionId) const;

  size_t NodeCount() const { return m_nodes.size() - m_free.size(); }

 private:
  struct Node {
    uint32_t child[kAlphabetSize];  // 0: none (the root is never a child)
    int best;                       // lowest action id ending here, valid when count > 0
    std::vector<int> actions;       // the action ids ending here, ascending
  };

  uint32_t NewNode();

  std::vector<Node> m_nodes;  // [0] is the root: the empty shortcut
  std::vector<uint32_t> m_free;
};

#endif
