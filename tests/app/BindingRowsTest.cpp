// The order of the binding list's rows, kept up by moving single rows.
#include <gtest/gtest.h>

#include "BindingRows.h"

namespace {

std::vector<int> Ids(const BindingRows& rows) {
  std::vector<int> ids;
  for (int row = 0; row < rows.Count(); ++row) ids.push_back(rows.IdAt(row));
  return ids;
}

TEST(BindingRows, SortByBytesThenIdAndMoveOnlyTheRowThatChanged) {
  BindingRows rows;
  rows.Assign({{"b", 1}, {"B", 2}, {"a", 3}, {"B", 4}, {"", 5}});
  EXPECT_EQ(Ids(rows), (std::vector<int>{5, 2, 4, 3, 1}));  // capitals before small letters

  rows.Place(2, "c");   // moves down
  rows.Place(1, "A");   // moves up
  rows.Place(6, "B");   // new: after the other B, being made later
  rows.Place(3, "a");   // unchanged
  EXPECT_EQ(Ids(rows), (std::vector<int>{5, 1, 4, 6, 3, 2}));
  rows.Remove(4);
  rows.Remove(9);  // never there
  EXPECT_EQ(Ids(rows), (std::vector<int>{5, 1, 6, 3, 2}));
  EXPECT_EQ(rows.RowOf(3), 3);
  EXPECT_EQ(rows.RowOf(4), -1);
  EXPECT_EQ(rows.IdAt(-1), 0);
  EXPECT_EQ(rows.IdAt(5), 0);
}

// The search: shortcut text (with a binding's programs) or action text, any case; rows
// keep their order, and edits while searching leave only matching rows shown.
TEST(BindingRows, ASearchShowsTheRowsWhoseTextsHoldItInTheirOrder) {
  BindingRows rows;
  rows.Assign({{"NP [notepad.exe]", 1, "C:\\Tools\\Edit.exe"},
               {"CALC", 2, "calc.exe"},
               {"Ctrl+Alt+N", 3, "Notes"},
               {"ZZ", 4, "\xC4rger.txt"}});  // an A with umlaut in Windows-1252
  rows.SetFilter("N");
  EXPECT_EQ(Ids(rows), (std::vector<int>{3, 1}));  // NOTES and notepad, not calc
  rows.SetFilter("no");
  EXPECT_EQ(Ids(rows), (std::vector<int>{3, 1}));
  rows.SetFilter("NOTEPAD.");
  EXPECT_EQ(Ids(rows), (std::vector<int>{1}));
  EXPECT_EQ(rows.RowOf(1), 0);
  EXPECT_EQ(rows.RowOf(3), -1);  // hidden
  EXPECT_EQ(rows.IdAt(1), 0);
  rows.SetFilter("exe");  // wider again: every row looked at
  EXPECT_EQ(Ids(rows), (std::vector<int>{2, 1}));
  rows.SetFilter("\xE4RGER");
  EXPECT_EQ(Ids(rows), (std::vector<int>{4}));
  rows.SetFilter("n\nc");  // no match spans the shortcut and the action
  EXPECT_EQ(rows.Count(), 0);

  rows.SetFilter("calc");
  rows.Place(5, "CALCULATOR", "");  // made while searching: it matches
  rows.Place(2, "CX", "cmd.exe");   // edited so that it no longer does
  rows.Place(1, "NP [notepad.exe]", "calc.exe");  // same place, new action text
  EXPECT_EQ(Ids(rows), (std::vector<int>{5, 1}));
  rows.Remove(5);
  EXPECT_EQ(Ids(rows), (std::vector<int>{1}));
  EXPECT_EQ(rows.Total(), 4);
  rows.SetFilter("");
  EXPECT_EQ(Ids(rows), (std::vector<int>{2, 3, 1, 4}));
}

}  // namespace
