#include "BindingRows.h"

#include <algorithm>
#include <utility>

// Row order. Each row keeps the text it was placed by, so the rows stay sorted by what they
// hold even when a plugin's text changes without telling the list: the searches below rely
// on that.
static bool Before(const BindingRows::Row& a, const BindingRows::Row& b) {
  int order = a.text.compare(b.text);  // unsigned bytes, as strcmp
  return order < 0 || (order == 0 && a.id < b.id);
}

void BindingRows::Assign(std::vector<Row> rows) {
  m_rows = std::move(rows);
  std::sort(m_rows.begin(), m_rows.end(), Before);
}

int BindingRows::IdAt(int row) const { return row >= 0 && row < Count() ? m_rows[row].id : 0; }

int BindingRows::RowOf(int id) const {
  for (size_t row = 0; row < m_rows.size(); ++row)
    if (m_rows[row].id == id) return static_cast<int>(row);
  return -1;
}

void BindingRows::Place(int id, const char* text) {
  Row row = {text, id};
  int old = RowOf(id);
  if (old >= 0) {
    if (m_rows[old].text == row.text) return;  // its place has not changed
    m_rows.erase(m_rows.begin() + old);
  }
  m_rows.insert(std::lower_bound(m_rows.begin(), m_rows.end(), row, Before), std::move(row));
}

void BindingRows::Remove(int id) {
  int row = RowOf(id);
  if (row >= 0) m_rows.erase(m_rows.begin() + row);
}
