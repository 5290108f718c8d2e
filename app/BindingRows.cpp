#include "BindingRows.h"

#include <windows.h>

#include <string.h>

#include <algorithm>

// Row order. Each row keeps the text it was placed by, so the rows stay sorted by what they
// hold even when a plugin's text changes without telling the list: the searches below rely
// on that.
static bool Before(const std::string& aText, int aId, const std::string& bText, int bId) {
  int order = aText.compare(bText);  // unsigned bytes, as strcmp
  return order < 0 || (order == 0 && aId < bId);
}

std::string FoldCase(const char* text, size_t length) {
  // One table for the code page, made once: CharLowerBuff is a round trip through UTF-16.
  static unsigned char lower[256];
  static bool made = false;
  if (!made) {
    for (int b = 0; b < 256; ++b) {
      char c = static_cast<char>(b);
      if (b != 0 && !IsDBCSLeadByte(static_cast<BYTE>(b))) CharLowerBuffA(&c, 1);
      lower[b] = static_cast<unsigned char>(c);
    }
    made = true;
  }
  std::string folded(text, length);
  for (size_t i = 0; i < folded.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(folded[i]);
    if (IsDBCSLeadByte(c))
      ++i;  // its trail byte may look like a capital; the pair stays as it is
    else
      folded[i] = static_cast<char>(lower[c]);
  }
  return folded;
}

BindingRows::Entry BindingRows::MakeEntry(const Row& row) {
  // A line break never comes from the search box: no match spans the two texts.
  std::string both = row.text + '\n' + row.action;
  return Entry{row.text, row.id, FoldCase(both.data(), both.size())};
}

void BindingRows::Assign(std::vector<Row> rows) {
  m_entries.clear();
  m_entries.reserve(rows.size());
  for (const Row& row : rows) m_entries.push_back(MakeEntry(row));
  std::sort(m_entries.begin(), m_entries.end(),
            [](const Entry& a, const Entry& b) { return Before(a.text, a.id, b.text, b.id); });
  Refilter();
}

int BindingRows::Count() const {
  return static_cast<int>(Filtered() ? m_shown.size() : m_entries.size());
}

int BindingRows::IdAt(int row) const {
  if (row < 0 || row >= Count()) return 0;
  return m_entries[static_cast<size_t>(Filtered() ? m_shown[static_cast<size_t>(row)] : row)].id;
}

int BindingRows::EntryOf(int id) const {
  for (size_t entry = 0; entry < m_entries.size(); ++entry)
    if (m_entries[entry].id == id) return static_cast<int>(entry);
  return -1;
}

int BindingRows::RowOf(int id) const {
  int entry = EntryOf(id);
  if (entry < 0 || !Filtered()) return entry;
  auto it = std::lower_bound(m_shown.begin(), m_shown.end(), entry);
  return it != m_shown.end() && *it == entry ? static_cast<int>(it - m_shown.begin()) : -1;
}

void BindingRows::Place(int id, const char* text, const char* action) {
  Entry entry = MakeEntry(Row(text, id, action != nullptr ? action : ""));
  int old = EntryOf(id);
  if (old >= 0 && m_entries[static_cast<size_t>(old)].text == entry.text) {
    // Its place has not changed; its action text may have.
    m_entries[static_cast<size_t>(old)].folded.swap(entry.folded);
  } else {
    if (old >= 0) m_entries.erase(m_entries.begin() + old);
    auto at = std::lower_bound(m_entries.begin(), m_entries.end(), entry, [](const Entry& a, const Entry& b) {
      return Before(a.text, a.id, b.text, b.id);
    });
    m_entries.insert(at, std::move(entry));
  }
  Refilter();
}

void BindingRows::Remove(int id) {
  int entry = EntryOf(id);
  if (entry < 0) return;
  m_entries.erase(m_entries.begin() + entry);
  Refilter();
}

void BindingRows::SetFilter(const char* text) {
  std::string folded = FoldCase(text, strlen(text));
  if (folded == m_filter) return;
  bool narrower = Filtered() && folded.find(m_filter) != std::string::npos;
  m_filter.swap(folded);
  if (!narrower) {
    Refilter();
    return;
  }
  // Only what the last text let through can hold the new one.
  size_t kept = 0;
  for (int entry : m_shown)
    if (m_entries[static_cast<size_t>(entry)].folded.find(m_filter) != std::string::npos) m_shown[kept++] = entry;
  m_shown.resize(kept);
}

void BindingRows::Refilter() {
  m_shown.clear();
  if (!Filtered()) return;
  for (size_t entry = 0; entry < m_entries.size(); ++entry)
    if (m_entries[entry].folded.find(m_filter) != std::string::npos) m_shown.push_back(static_cast<int>(entry));
}
