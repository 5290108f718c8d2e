// The rows of the binding list, in the order the list shows them: byte-wise by shortcut text
// (capitals before small letters), and for equal texts by action id, the order in which the
// bindings were made. The list asks for a row's texts only when it draws the row, so this is
// all it holds: sorted once, then kept in order by moving only the rows of bindings that
// changed.
#ifndef TAMBREL_BINDINGROWS_H
#define TAMBREL_BINDINGROWS_H

#include <string>
#include <vector>

class BindingRows {
 public:
  struct Row {
    std::string text;  // the shortcut text the row was placed by
    int id;
  };

  void Assign(std::vector<Row> rows);  // in any order
  int Count() const { return static_cast<int>(m_rows.size()); }
  int IdAt(int row) const;  // 0 for a row that is not there
  int RowOf(int id) const;  // -1 when no row shows the binding
  // Moves the binding's row to where its text puts it now, or adds the row there.
  void Place(int id, const char* text);
  void Remove(int id);

 private:
  std::vector<Row> m_rows;
};

#endif
