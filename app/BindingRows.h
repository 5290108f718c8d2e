// The rows of the binding list, in the order the list shows them: byte-wise by shortcut text
// (capitals before small letters), and for equal texts by action id, the order in which the
// bindings were made. The list asks for a row's texts only when it draws the row, so this is
// all it holds: sorted once, then kept in order by moving only the rows of bindings that
// changed. A search shows only the rows whose shortcut text (which names a binding's
// programs) or action text holds the text searched for, in the same order.
#ifndef TAMBREL_BINDINGROWS_H
#define TAMBREL_BINDINGROWS_H

#include <string>
#include <utility>
#include <vector>

class BindingRows {
 public:
  struct Row {
    Row(std::string shortcut, int actionId, std::string actionText = std::string())
        : text(std::move(shortcut)), id(actionId), action(std::move(actionText)) {}
    std::string text;    // the shortcut text the row is placed by
    int id;
    std::string action;  // the action text, for the search
  };

  void Assign(std::vector<Row> rows);  // in any order
  // The rows shown: all of them, or those the search lets through.
  int Count() const;
  int IdAt(int row) const;  // 0 for a row that is not shown
  int RowOf(int id) const;  // -1 when no row shows the binding
  int Total() const { return static_cast<int>(m_entries.size()); }
  // Moves the binding's row to where its text puts it now, or adds the row there.
  void Place(int id, const char* text, const char* action = "");
  void Remove(int id);

  // Shows only the rows whose texts hold this text, ignoring case; empty text shows all.
  // Typing on narrows: a text that holds the last one looks only at the rows shown.
  void SetFilter(const char* text);
  bool Filtered() const { return !m_filter.empty(); }

 private:
  struct Entry {
    std::string text;
    int id;
    std::string folded;  // shortcut and action text, case folded, for the search
  };
  static Entry MakeEntry(const Row& row);
  int EntryOf(int id) const;
  void Refilter();

  std::vector<Entry> m_entries;
  std::string m_filter;     // case folded; empty: every row shows
  std::vector<int> m_shown;  // while filtered, the entries shown, ascending
};

// Lower case for a search that ignores case, in the system code page; the bytes of a
// double-byte character are kept as they are.
std::string FoldCase(const char* text, size_t length);

#endif
