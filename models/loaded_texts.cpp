#include "models/loaded_texts.h"

#include <algorithm>
#include <array>
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
// numbers' texts are their digits as they stand. The records are walked a
// stretch at a time with no call, only noting those whose text may start
// so, and handed on after it: a walk that calls out keeps little of what
// it needs in registers.
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
  constexpr int32_t kStretch = 1024;
  std::array<int32_t, kStretch> noted;
  std::array<uint32_t, kStretch> notes;
  // Note(bytes) says whether a record is noted and what of it, reading its
  // bytes First to Last; Hand(record, bytes, note) hands it on.
  const auto walk = [&](int32_t first, int32_t last, const auto& note, const auto& hand) {
    for (int32_t from = 0; from < count; from += kStretch) {
      int32_t n = 0;
      table_.VisitRows(from, std::min(from + kStretch, count), first, last, [&](int32_t record, const TRow& row) {
        uint32_t what = 0;
        if (note(row.Buffer() + offset, what)) {
          noted[static_cast<size_t>(n)] = record;
          notes[static_cast<size_t>(n++)] = what;
        }
      });
      for (int32_t k = 0; k < n; ++k) {
        const int32_t record = noted[static_cast<size_t>(k)];
        hand(record, table_.MemTableLocate(record)->Buffer() + offset, notes[static_cast<size_t>(k)]);
      }
    }
  };
  if (type == 'C') {
    walk(
        offset, offset + length - 1,
        [&](const char* bytes, uint32_t&) {
          int32_t lead = 0;
          while (lead < length && IsBlank(bytes[lead])) ++lead;
          return lead < length && starts[static_cast<unsigned char>(bytes[lead])];
        },
        [&](int32_t record, const char* bytes, uint32_t) {
          found(record, CharacterFieldText(std::string_view(bytes, static_cast<size_t>(length))));
        });
    return;
  }
  // A fixed-text column shows a number in its own form, never as its digits.
  const TPlainNumberFields plain(type == 'N' && !column.FixedText && number_detail::DefaultRounding() ? length : 0,
                                 column.Mode == 0 ? 4 : column.Decimals);
  std::string scratch;
  // Noted: a number's own text that starts so (its start and first
  // character), or 0 for a text to be made.
  const auto hand = [&](int32_t record, const char* bytes, uint32_t text) {
    if (text != 0) {
      found(record, std::string_view(bytes + (text >> 8), length - (text >> 8)));
    } else if (const std::string_view made = RecordText(record, col, scratch); StartsWithOneOf(made, starts)) {
      found(record, made);
    }
  };
  const auto walkNumbers = [&](int32_t first, const auto& read) {
    walk(
        first, offset + length - 1,
        [&](const char* bytes, uint32_t& text) {
          text = read(bytes);
          return text == 0 || starts[text & 0xff];
        },
        hand);
  };
  // Most number fields are a word long: the walk then asks nothing else,
  // and reads the word that ends where the field ends.
  if (plain.Words()) {
    walkNumbers(offset + length - 8, [&plain](const char* p) { return plain.ReadWord(p); });
  } else {
    walkNumbers(offset, [&plain](const char* p) { return plain.Read(p); });
  }
}

void TLoadedTexts::Prefetch(int32_t record, int32_t col) const {
  if (col < 0 || col >= static_cast<int32_t>(columns_.size())) return;
  const int32_t field = columns_[static_cast<size_t>(col)].Field;
  if (const TRow* row = field >= 0 ? table_.MemTableLocate(record) : nullptr)
    __builtin_prefetch(table_.FieldBytes(field, row->Buffer()).data());
}

}  // namespace vm
