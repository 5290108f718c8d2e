#include "SuffixTrie.h"

#include <limits.h>
#include <string.h>

SuffixTrie::SuffixTrie() { Clear(); }

void SuffixTrie::Clear() {
  m_nodes.assign(1, Node());
  memset(m_rootChild, 0, sizeof m_rootChild);
  memset(m_secondChild, 0, sizeof m_secondChild);
  m_free = 0;
  m_freeCount = 0;
  m_more.clear();
}

uint32_t SuffixTrie::Child(uint32_t node, int c) const {
  if (node == 0) return m_rootChild[c];
  int first = m_nodes[node].character;
  if (m_rootChild[first] == node) return m_secondChild[first * kAlphabetSize + c];
  for (uint32_t at = m_nodes[node].firstChild; at != 0; at = m_nodes[at].nextSibling) {
    int here = m_nodes[at].character;
    if (here >= c) return here == c ? at : 0;
  }
  return 0;
}

uint32_t SuffixTrie::AddChild(uint32_t parent, int c) {
  uint32_t fresh;
  if (m_free != 0) {
    fresh = m_free;
    m_free = m_nodes[fresh].nextSibling;
    --m_freeCount;
  } else {
    fresh = static_cast<uint32_t>(m_nodes.size());
    m_nodes.emplace_back();
  }
  Node& node = m_nodes[fresh];
  node = Node();
  node.character = static_cast<uint8_t>(c);
  if (parent == 0) {
    m_rootChild[c] = fresh;
    return fresh;
  }
  int first = m_nodes[parent].character;
  if (m_rootChild[first] == parent) m_secondChild[first * kAlphabetSize + c] = fresh;
  uint32_t* link = &m_nodes[parent].firstChild;
  while (*link != 0 && m_nodes[*link].character < c) link = &m_nodes[*link].nextSibling;
  node.nextSibling = *link;
  *link = fresh;
  return fresh;
}

void SuffixTrie::Unlink(uint32_t parent, uint32_t child) {
  if (parent == 0) {
    m_rootChild[m_nodes[child].character] = 0;
    return;
  }
  int first = m_nodes[parent].character;
  if (m_rootChild[first] == parent) m_secondChild[first * kAlphabetSize + m_nodes[child].character] = 0;
  uint32_t* link = &m_nodes[parent].firstChild;
  while (*link != child) link = &m_nodes[*link].nextSibling;
  *link = m_nodes[child].nextSibling;
}

void SuffixTrie::SetAdmission(AdmissionProc admission, const void* context) {
  m_admission = admission;
  m_admissionContext = context;
}

uint32_t SuffixTrie::Find(const char* text, size_t length) const {
  uint32_t at = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(text[i]));
    if (c < 0 || (at = Child(at, c)) == 0) return kNoNode;
  }
  return at;
}

void SuffixTrie::Elect(const char* text, size_t length) {
  uint32_t at = Find(text, length);
  if (at != kNoNode) ElectAt(at);
}

void SuffixTrie::ElectAt(uint32_t at) {
  Node& node = m_nodes[at];
  node.winner = 0;
  if (!node.ends) return;
  if (m_admission == nullptr) {
    node.winner = node.best;
    return;
  }
  // The ids here come in ascending order: best, then the others.
  int forEvery = 0;
  auto consider = [&](int id) {
    Admission admission = m_admission(m_admissionContext, id);
    if (admission == kThisProgram && node.winner == 0) node.winner = id;
    if (admission == kEveryProgram && forEvery == 0) forEvery = id;
  };
  consider(node.best);
  for (auto it = m_more.lower_bound(std::make_pair(at, INT_MIN)); it != m_more.end() && it->first == at; ++it)
    consider(it->second);
  if (node.winner == 0) node.winner = forEvery;
}

void SuffixTrie::Add(const char* text, size_t length, int actionId) {
  uint32_t at = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(text[i]));
    if (c < 0) return;  // not normalised: such a text can never be typed
    uint32_t next = Child(at, c);
    at = next != 0 ? next : AddChild(at, c);
  }
  Node& node = m_nodes[at];
  if (!node.ends) {
    node.ends = 1;
    node.best = actionId;
  } else if (actionId < node.best) {
    m_more.emplace(at, node.best);
    node.best = actionId;
  } else {
    m_more.emplace(at, actionId);
  }
  ElectAt(at);
}

void SuffixTrie::Remove(const char* text, size_t length, int actionId) {
  uint32_t path[kMaxShortcut + 2];
  size_t depth = 0;
  uint32_t at = 0;
  path[0] = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(text[i]));
    if (c < 0 || depth > kMaxShortcut || (at = Child(at, c)) == 0) return;
    path[++depth] = at;
  }
  Node& node = m_nodes[at];
  if (!node.ends) return;
  if (node.best == actionId) {
    auto next = m_more.lower_bound(std::make_pair(at, INT_MIN));
    if (next != m_more.end() && next->first == at) {
      node.best = next->second;
      m_more.erase(next);
    } else {
      node.ends = 0;
    }
  } else {
    auto it = m_more.find(std::make_pair(at, actionId));
    if (it == m_more.end()) return;
    m_more.erase(it);
  }
  ElectAt(at);
  // Prune the branch that now leads nowhere, so that removed shortcuts cost nothing.
  for (; depth > 0; --depth) {
    uint32_t index = path[depth];
    if (m_nodes[index].ends || m_nodes[index].firstChild != 0) break;
    Unlink(path[depth - 1], index);
    m_nodes[index].nextSibling = m_free;
    m_free = index;
    ++m_freeCount;
  }
}

bool SuffixTrie::Match(const char* typed, size_t length, int* actionId) const {
  const Node* found = m_nodes[0].winner != 0 ? &m_nodes[0] : nullptr;
  uint32_t at = 0;
  for (size_t i = length; i-- > 0;) {
    int c = AlphabetIndex(static_cast<unsigned char>(typed[i]));
    if (c < 0) break;
    at = Child(at, c);
    if (at == 0) break;
    if (m_nodes[at].winner != 0) found = &m_nodes[at];  // deeper is longer
  }
  if (found == nullptr) return false;
  *actionId = found->winner;
  return true;
}
