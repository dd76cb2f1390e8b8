#include "models/loaded_texts.h"

#include <string_view>
#include <utility>

#include "foundation/tables/dbf_bytes.h"
#include "foundation/tables/string_base.h"
#include "foundation/values/value_text.h"
#include "language/table_views.h"

namespace vm {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TLoadedTexts::TLoadedTexts(const TStringBase& table, std::vector<TColumn> columns)
    : table_(table), columns_(std::move(columns)) {}

std::string_view TLoadedTexts::RecordText(int32_t record, int32_t col, std::string& scratch) const {
  if (col < 0 || col >= static_cast<int32_t>(columns_.size())) return {};
  const TColumn& column = columns_[static_cast<size_t>(col)];
  const TRow* row = column.Field >= 0 ? table_.MemTableLocate(record) : nullptr;
  if (!row) return {};
  if (table_.FieldType(column.Field) == 'C') {
    // The field's value is its text without the padding, and the cell's
    // text that value without blanks at either end: both in one step, with
    // no copy at all.
    std::string_view text = table_.FieldBytes(column.Field, row->Buffer());
    text = text.substr(0, TrimmedFieldLength(text.data(), text.size()));
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
  }
  // ValueToText writes Mode 0 with four decimals.
  if (std::string_view text; !column.FixedText && table_.NumberFieldText(column.Field, row->Buffer(),
                                                                         column.Mode == 0 ? 4 : column.Decimals,
                                                                         scratch, text))
    return text;
  table_.GetBufferValue(column.Field, row->Buffer(), value_);
  scratch = column.FixedText ? FixedCellText(value_)
                             : ValueToText(value_, value_.Kind == 'D' ? 0 : column.Mode, column.Decimals);
  return scratch;
}

void TLoadedTexts::Prefetch(int32_t record, int32_t col) const {
  if (col < 0 || col >= static_cast<int32_t>(columns_.size())) return;
  const int32_t field = columns_[static_cast<size_t>(col)].Field;
  if (const TRow* row = field >= 0 ? table_.MemTableLocate(record) : nullptr)
    __builtin_prefetch(table_.FieldBytes(field, row->Buffer()).data());
}

}  // namespace vm
