#include "ShortcutIndex.h"

#include <string.h>

#include <algorithm>

namespace {

const size_t kMaxRanges = 17;  // the typed text's non-empty ends, and one more

// Byte order of the texts, then the action id: the order of the main window's list.
int Compare(const char* a, size_t aLength, const char* b, size_t bLength) {
  int c = memcmp(a, b, std::min(aLength, bLength));
  if (c != 0) return c;
  return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

}  // namespace

void ShortcutIndex::Add(int actionId, const char* text, size_t length, const std::vector<int>* programs) {
  m_position[actionId] = m_entries.size();
  m_entries.push_back(Entry{text, length, actionId, programs});
  m_sorted = false;
}

// The last entry takes the place of the removed one: removing every binding (a reload drops
// them all) costs as much as adding them, not their number squared.
void ShortcutIndex::Remove(int actionId) {
  auto it = m_position.find(actionId);
  if (it == m_position.end()) return;
  size_t at = it->second;
  m_position.erase(it);
  if (at + 1 != m_entries.size()) {
    m_entries[at] = m_entries.back();
    m_position[m_entries[at].actionId] = at;
    m_sorted = false;
  }
  m_entries.pop_back();
}

void ShortcutIndex::Sort() {
  std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
    int c = Compare(a.text, a.length, b.text, b.length);
    return c != 0 ? c < 0 : a.actionId < b.actionId;
  });
  for (size_t i = 0; i < m_entries.size(); ++i) m_position[m_entries[i].actionId] = i;
  m_sorted = true;
}

size_t ShortcutIndex::Completions(const char* typed, size_t length, int program, SheetRow* rows, size_t max,
                                 bool* leads) {
  if (!m_sorted) Sort();
  // Each non-empty end of the typed text marks the range of shortcuts that begin with it;
  // a shortcut can lie in several (typed ABA: ABAX begins with ABA and with A). Each entry
  // is listed once, with the longest typed end it begins with.
  struct Range {
    size_t begin, end, typed;
  };
  Range ranges[kMaxRanges];
  size_t count = 0;
  for (size_t start = 0; start < length && count < kMaxRanges; ++start) {
    const char* end = typed + start;
    size_t n = length - start;
    auto less = [&](const Entry& e, int) { return Compare(e.text, std::min(e.length, n), end, n) < 0; };
    auto greater = [&](int, const Entry& e) { return Compare(end, n, e.text, std::min(e.length, n)) < 0; };
    size_t begin = static_cast<size_t>(std::lower_bound(m_entries.begin(), m_entries.end(), 0, less) - m_entries.begin());
    size_t stop = static_cast<size_t>(std::upper_bound(m_entries.begin(), m_entries.end(), 0, greater) - m_entries.begin());
    if (begin < stop) ranges[count++] = Range{begin, stop, n};
  }
  if (leads != nullptr) *leads = count > 0;
  // Nothing leads on: every binding, as one range.
  if (count == 0) ranges[count++] = Range{0, m_entries.size(), 0};
  // Walk the union of the ranges in order, skipping bindings for other programs.
  std::sort(ranges, ranges + count, [](const Range& a, const Range& b) { return a.begin < b.begin; });
  size_t total = 0, shown = 0, covered = 0;
  for (size_t r = 0; r < count; ++r) {
    for (size_t i = std::max(ranges[r].begin, covered); i < ranges[r].end; ++i) {
      const Entry& entry = m_entries[i];
      if (entry.programs != nullptr && !entry.programs->empty() &&
          std::find(entry.programs->begin(), entry.programs->end(), program) == entry.programs->end())
        continue;
      ++total;
      if (shown == max) continue;
      size_t typedHere = 0;
      for (size_t q = 0; q < count; ++q)
        if (i >= ranges[q].begin && i < ranges[q].end) typedHere = std::max(typedHere, ranges[q].typed);
      rows[shown++] = SheetRow{entry.actionId, entry.text, typedHere};
    }
    covered = std::max(covered, ranges[r].end);
  }
  return total;
}
