// The shortcuts of all bindings, reversed, in one trie: walking it backwards from the end of
// the typed text finds every shortcut that ends the text in at most as many steps as the
// text is long, whatever the number of bindings.
#ifndef TAMBRELPLUG_SUFFIXTRIE_H
#define TAMBRELPLUG_SUFFIXTRIE_H

#include <stddef.h>
#include <stdint.h>

#include <set>
#include <utility>
#include <vector>

#include "ShortcutText.h"

// Whether a binding may fire in the program at hand: its shortcut's program filter admits the
// program, it has no filter, or its filter leaves the program out.
enum Admission { kEveryProgram, kThisProgram, kNotThisProgram };
typedef Admission (*AdmissionProc)(const void* context, int actionId);

class SuffixTrie {
 public:
  SuffixTrie();

  // How each binding stands with the program at hand; without it every binding is for every
  // program. After a change, Elect the shortcuts whose bindings it concerns.
  void SetAdmission(AdmissionProc admission, const void* context);

  // text must be normalised. One action id may be added under one text only.
  void Add(const char* text, size_t length, int actionId);
  void Remove(const char* text, size_t length, int actionId);
  void Clear();
  // The bindings under text choose again which of them fires.
  void Elect(const char* text, size_t length);

  // The binding to run for the typed text: the longest shortcut that ends it; of several
  // bindings with that shortcut one for this program before one for every program, then
  // the lowest action id; one whose filter leaves this program out never. False when none
  // ends it. Allocates nothing; each step looks at no more children than the alphabet has
  // letters.
  bool Match(const char* typed, size_t length, int* actionId) const;

  size_t NodeCount() const { return m_nodes.size() - m_freeCount; }

 private:
  // 20 bytes: a node has no table of children, but its children form a list in alphabet
  // order. Tens of thousands of shortcuts are a few nodes each, mostly with one child.
  struct Node {
    uint32_t firstChild;   // 0: none (the root is never a child)
    uint32_t nextSibling;  // 0: none; in the free list, the next free node
    int best;              // the lowest action id ending here, when ends is set
    int winner;            // the one that fires in the program at hand; 0 for none
    uint8_t character;     // alphabet index of the edge from the parent
    uint8_t ends;          // some action id ends here
  };

  static const uint32_t kNoNode = 0xFFFFFFFF;
  uint32_t Find(const char* text, size_t length) const;  // the node of text, or kNoNode
  void ElectAt(uint32_t node);
  uint32_t Child(uint32_t node, int c) const;
  uint32_t AddChild(uint32_t parent, int c);  // may move m_nodes
  void Unlink(uint32_t parent, uint32_t child);

  std::vector<Node> m_nodes;        // [0] is the root: the empty shortcut
  uint32_t m_rootChild[kAlphabetSize];  // the root has most children: a table of them
  // and so do its children: their children by the two characters, the root child's first.
  // Every shortcut's walk passes through them, and the check for unreachable bindings walks
  // every shortcut's every ending.
  uint32_t m_secondChild[kAlphabetSize * kAlphabetSize];
  uint32_t m_free = 0;              // first node of the free list, 0 when empty
  size_t m_freeCount = 0;
  // The other action ids ending at a node (node index, action id), for the rare bindings
  // that share a shortcut; best is never among them.
  std::multiset<std::pair<uint32_t, int>> m_more;
  AdmissionProc m_admission = nullptr;
  const void* m_admissionContext = nullptr;
};

#endif
