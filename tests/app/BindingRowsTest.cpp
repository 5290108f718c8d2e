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

}  // namespace
