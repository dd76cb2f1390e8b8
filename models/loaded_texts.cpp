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

// The field's value is its text without the padding, and the cell's text
// that value without blanks at either end: both in one step, with no copy
// at all.
std::string_view CharacterFieldText(std::string_view text) {
  text = text.substr(0, TrimmedFieldLength(text.data(), text.size()));
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace

TLoadedTexts::TLoadedTexts(const TStringBase& table, std::vector<TColumn> columns)
    : table_(table), columns_(std::move(columns)) {}

std::string_view TLoadedTexts::RecordText(int32_t record, int32_t col, std::string& scratch) const {
  if (col < 0 || col >= static_cast<int32_t>(columns_.size())) return {};
  const TColumn& column = columns_[static_cast<size_t>(col)];
  const TRow* row = column.Field >= 0 ? table_.MemTableLocate(record) : nullptr;
  if (!row) return {};
  if (table_.FieldType(column.Field) == 'C') return CharacterFieldText(table_.FieldBytes(column.Field, row->Buffer()));
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

// A text is made only where the field's bytes cannot tell it: a text
// field's first character is its first byte past the blanks, and most
// numbers' texts are their digits as they stand.
void TLoadedTexts::FindStarting(int32_t col, int32_t count, const std::array<bool, 256>& starts,
                                const TFound& found) const {
  if (col < 0 || col >= static_cast<int32_t>(columns_.size())) return;
  const TColumn& column = columns_[static_cast<size_t>(col)];
  if (column.Field < 0) return;
  // Plain names, not a structured binding: clang 14 lets no lambda capture one.
  const auto place = table_.FieldPlace(column.Field);
  const auto offset = place.first;
  const auto length = place.second;
  const char type = table_.FieldType(column.Field);
  if (type == 'C') {
    table_.VisitRows(0, count, offset, [&](int32_t record, const TRow& row) {
      const std::string_view bytes(row.Buffer() + offset, static_cast<size_t>(length));
      size_t lead = 0;
      while (lead < bytes.size() && IsBlank(bytes[lead])) ++lead;
      if (lead < bytes.size() && starts[static_cast<unsigned char>(bytes[lead])])
        found(record, CharacterFieldText(bytes));
    });
    return;
  }
  // A fixed-text column shows a number in its own form, never as its digits.
  const TPlainNumberFields plain(type == 'N' && !column.FixedText && number_detail::DefaultRounding() ? length : 0,
                                 column.Mode == 0 ? 4 : column.Decimals);
  std::string scratch;
  const auto walk = [&](const auto& read) {
    table_.VisitRows(0, count, offset, [&](int32_t record, const TRow& row) {
      const char* const bytes = row.Buffer() + offset;
      if (const uint32_t text = read(bytes)) {
        if (starts[text & 0xff]) found(record, std::string_view(bytes + (text >> 8), length - (text >> 8)));
      } else if (const std::string_view made = RecordText(record, col, scratch); StartsWithOneOf(made, starts)) {
        found(record, made);
      }
    });
  };
  // Most number fields are a word long: the walk then asks nothing else.
  if (plain.Words()) {
    walk([&plain](const char* p) { return plain.ReadWord(p); });
  } else {
    walk([&plain](const char* p) { return plain.Read(p); });
  }
}

void TLoadedTexts::Prefetch(int32_t record, int32_t col) const {
  if (col < 0 || col >= static_cast<int32_t>(columns_.size())) return;
  const int32_t field = columns_[static_cast<size_t>(col)].Field;
  if (const TRow* row = field >= 0 ? table_.MemTableLocate(record) : nullptr)
    __builtin_prefetch(table_.FieldBytes(field, row->Buffer()).data());
}

}  // namespace vm
