#include "SuffixTrie.h"

#include <string.h>

#include <algorithm>

SuffixTrie::SuffixTrie() { Clear(); }

void SuffixTrie::Clear() {
  m_nodes.clear();
  m_free.clear();
  NewNode();
}

uint32_t SuffixTrie::NewNode() {
  uint32_t index;
  if (!m_free.empty()) {
    index = m_free.back();
    m_free.pop_back();
  } else {
    index = static_cast<uint32_t>(m_nodes.size());
    m_nodes.emplace_back();
  }
  Node& node = m_nodes[index];
  memset(node.child, 0, sizeof node.child);
  node.best = 0;
  node.actions.clear();
  return index;
}

void SuffixTrie::Add(const char* text, size_t length, int actionId) {
  uint32_t at = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(text[i]));
    if (c < 0) return;  // not normalised: such a text can never be typed
    if (m_nodes[at].child[c] == 0) {
      uint32_t fresh = NewNode();  // may move m_nodes
      m_nodes[at].child[c] = fresh;
    }
    at = m_nodes[at].child[c];
  }
  std::vector<int>& actions = m_nodes[at].actions;
  actions.insert(std::lower_bound(actions.begin(), actions.end(), actionId), actionId);
  m_nodes[at].best = actions.front();
}

void SuffixTrie::Remove(const char* text, size_t length, int actionId) {
  uint32_t path[kMaxShortcut + 2];
  int edge[kMaxShortcut + 2];
  size_t depth = 0;
  uint32_t at = 0;
  path[0] = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(text[i]));
    if (c < 0 || depth > kMaxShortcut || m_nodes[at].child[c] == 0) return;
    edge[depth] = c;
    at = m_nodes[at].child[c];
    path[++depth] = at;
  }
  std::vector<int>& actions = m_nodes[at].actions;
  auto it = std::lower_bound(actions.begin(), actions.end(), actionId);
  if (it == actions.end() || *it != actionId) return;
  actions.erase(it);
  if (!actions.empty()) m_nodes[at].best = actions.front();
  // Prune the branch that now leads nowhere, so that removed shortcuts cost nothing.
  for (; depth > 0; --depth) {
    Node& node = m_nodes[path[depth]];
    if (!node.actions.empty()) break;
    bool leaf = true;
    for (uint32_t child : node.child)
      if (child != 0) leaf = false;
    if (!leaf) break;
    m_nodes[path[depth - 1]].child[edge[depth - 1]] = 0;
    std::vector<int>().swap(node.actions);
    m_free.push_back(path[depth]);
  }
}

bool SuffixTrie::Match(const char* typed, size_t length, int* actionId) const {
  const Node* found = m_nodes[0].actions.empty() ? nullptr : &m_nodes[0];
  uint32_t at = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(typed[i]));
    if (c < 0) break;
    at = m_nodes[at].child[c];
    if (at == 0) break;
    if (!m_nodes[at].actions.empty()) found = &m_nodes[at];  // deeper is longer
  }
  if (found == nullptr) return false;
  *actionId = found->best;
  return true;
}
