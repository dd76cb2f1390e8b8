// The texts a load from an in-memory table writes into the cells of a blank
// view, made from a row's record when they are read instead.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/values/values.h"
#include "models/string_table.h"

namespace vm {

class TStringBase;

class TLoadedTexts final : public TRowTexts {
 public:
  // How a column's cells are written: the field read (-1: the column is not
  // bound and stays empty) and the Mode and Decimals of its format, or the
  // text a fixed-text cell keeps.
  struct TColumn {
    int32_t Field = -1;
    int32_t Mode = 0;
    int32_t Decimals = 0;
    bool FixedText = false;
  };

  TLoadedTexts(const TStringBase& table, std::vector<TColumn> columns);
  std::string_view RecordText(int32_t record, int32_t col, std::string& scratch) const override;
  void FindStarting(int32_t col, int32_t count, const std::array<bool, 256>& starts,
                    const TFound& found) const override;
  // Asks for the bytes RecordText will read from memory, without waiting
  // for them: rows read in an order other than their records' come from
  // anywhere in the table.
  void Prefetch(int32_t record, int32_t col) const;

 private:
  const TStringBase& table_;
  std::vector<TColumn> columns_;
  // Read into again and again, so that its text keeps its room.
  mutable TCommonVar value_;
};

}  // namespace vm
