// The order rows of a blank view sort in: their typed keys are read from
// the cell texts, and the rows are ordered by them as CompareValuesInOrder
// orders values (texts with case), equal rows keeping their order. Keys of
// different kinds (a conditional format may give a column's rows several)
// go by their kinds: numbers first, then texts, dates, and times with every
// other kind.
//
// Rows whose first keys are all texts, or all numbers, are sorted as one
// small entry each: the first sixteen bytes of the text's collation key, or
// the number's order key. The whole keys are read again only for the rows
// whose entries tie, so a book of a million rows sorts in little more
// memory than the entries take.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vm {

// Key Key (0 the first) of row Row: its text, valid until the next call,
// and in Kind the letter of the format that applies to the cell. Called for
// every row's first key, and again for the keys of rows that tie.
using TRowKeySource = std::function<std::string_view(int32_t row, int32_t key, char& kind)>;

// Row indexes 0..Rows-1 in sorted order; empty without keys.
std::vector<int32_t> SortedRowOrder(int32_t rows, int32_t keysPerRow, bool descending, const TRowKeySource& source);

}  // namespace vm
