#include "documents/designer/designer_rules.h"

#include <algorithm>
#include <cmath>

#include "config/settings_syntax.h"
#include "config/sysvars.h"
#include "documents/compiler/keyword_tables.h"
#include "foundation/files/fileutils.h"
#include "foundation/tables/key_cols.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

bool NameTaken(std::string_view text, const std::vector<std::string>& names, int32_t exceptRow) {
  const std::string wanted = UpperStr(text);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (static_cast<int32_t>(i) != exceptRow && UpperStr(names[i]) == wanted) return true;
  return false;
}

bool BlankNameAcceptable(std::string_view text, const std::vector<std::string>& existing) {
  const std::string name = UpperStr(text);
  return IsValidFieldName(name) && !NameTaken(name, existing, -1) && !IsReservedWord(text);
}

bool BaseDialogAcceptable(const TBaseDialogTexts& t, const std::vector<std::string>& fileNames,
                          const std::vector<std::string>& aliases, int32_t exceptRow) {
  return HasPlainFileExt(t.FileName, ".DBF") && IsValidFieldName(t.Alias) && !t.Comment.empty() &&
         !NameTaken(t.FileName, fileNames, exceptRow) && !NameTaken(t.Alias, aliases, exceptRow) &&
         !IsReservedWord(t.Alias);
}

namespace {

bool IsDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A spin's text: digits only, at most 255; -1 otherwise.
int32_t SpinValue(std::string_view s) {
  return IsValidIntStr(s, 255) && IsDigits(s) ? TrimStrToInt(s) : -1;
}

}  // namespace

bool FieldDecimalsEnabled(const TFieldDialogTexts& t) { return FieldTypeFromName(t.TypeName) == 'N'; }

bool FieldDialogAcceptable(const TFieldDialogTexts& t, const std::vector<std::string>& names,
                           int32_t exceptRow) {
  const int32_t length = SpinValue(t.Length);
  if (!IsValidFieldName(t.Name) || length < 2) return false;
  if (FieldDecimalsEnabled(t)) {
    const int32_t decimals = SpinValue(t.Decimals);
    if (decimals < 0 || decimals > length - 2) return false;
  }
  // A field already named by a word of the document language keeps its
  // name: the tables and their documents were made with it; only a new
  // name must be free of those words.
  const bool keptName = exceptRow >= 0 && static_cast<std::size_t>(exceptRow) < names.size() &&
                        UpperStr(names[static_cast<std::size_t>(exceptRow)]) == UpperStr(t.Name);
  return !NameTaken(t.Name, names, exceptRow) && IndexOfReservedField(t.Name) < 0 &&
         (keptName || !IsReservedWord(t.Name));
}

TFieldDialogTexts FieldDialogTexts(const TFieldRecord& field) {
  return {field.Name, FieldTypeName(field.FieldType), std::to_string(field.Length),
          std::to_string(field.Decimals)};
}

TFieldRecord FieldFromDialog(const TFieldDialogTexts& t) {
  TFieldRecord f;
  f.Name = UpperStr(t.Name);
  f.Length = TrimStrToInt(t.Length);
  f.FieldType = FieldTypeFromName(t.TypeName);
  if (f.FieldType == 'N') {
    f.Decimals = std::max(0, std::min(TrimStrToInt(t.Decimals), f.Length - 2));
  } else if (f.FieldType == 'D') {
    f.Length = 8;
  }
  return f;
}

char FieldNameKey(char c) {
  const char u = RusUpCase(c);
  const auto b = static_cast<unsigned char>(u);
  const bool ok = c == '\b' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || u == '_' ||
                  (b >= 0xC0 && b <= 0xDF);
  return ok ? u : '\0';
}

bool BookAcceptable(std::string_view alias, const std::vector<std::string>& aliases,
                    std::string_view name, const std::vector<std::string>& existing) {
  return std::find(aliases.begin(), aliases.end(), alias) != aliases.end() &&
         IsValidFieldName(name) && !NameTaken(TrimBlanks(name), existing, -1);
}

bool AutoParamAcceptable(std::string_view name, std::string_view typeName, std::string_view value,
                         const std::vector<std::string>& names, int32_t exceptRow) {
  if (!IsValidFieldName(name)) return false;
  if (FieldTypeFromName(typeName) == 'N' && !IsValidNumStr(value, 16, 4)) return false;
  return !NameTaken(name, names, exceptRow) && FindSysVar(name) < 0 && !IsReservedWord(name);
}

void SetSortKeysFromText(TSpravDef& book, std::string text) {
  FreeKeyCols(book.SortKeys, book.SortKeyCount);
  while (!text.empty()) {
    const int n = CutIntItem(text);
    if (n < 1 || n > book.ColumnCount || FindKeyCol(book.SortKeys.get(), n - 1)) continue;
    AddKeyCol(book.SortKeys, book.SortKeyCount)->Number = n - 1;
  }
}

std::string SortKeysText(const TSpravDef& book) {
  std::string s;
  for (const TKeyCol* k = book.SortKeys.get(); k; k = k->Next.get()) {
    if (!s.empty()) s += ',';
    s += std::to_string(k->Number + 1);
  }
  return s;
}

void SetEditColumnsFromText(TSpravDef& book, std::string text) {
  book.EditableColumns.reset();
  while (!text.empty()) {
    const int n = CutIntItem(text);
    if (n >= 1 && n <= book.ColumnCount && n <= 256) book.EditableColumns.set(n - 1);
  }
}

std::string EditColumnsText(const TSpravDef& book) {
  std::string s;
  for (int32_t n = 1; n <= std::min(book.ColumnCount, 256); ++n) {
    if (!book.EditableColumns.test(static_cast<std::size_t>(n - 1))) continue;
    if (!s.empty()) s += ',';
    s += std::to_string(n);
  }
  return s;
}

int32_t MemoCaretLine(int32_t errorLine, std::string_view memo) {
  if (errorLine < 1) return -1;
  const auto lines = 1 + static_cast<int32_t>(std::count(memo.begin(), memo.end(), '\n'));
  return std::min(errorLine - 1, lines - 1);
}

int32_t FindInMemo(std::string_view text, std::string_view what, int32_t caret) {
  if (what.empty() || caret < 0 || static_cast<std::size_t>(caret) > text.size()) return -1;
  const std::size_t at = UpperStr(text).find(UpperStr(what), static_cast<std::size_t>(caret));
  return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

char KindOfTypeName(std::string_view typeName) { return FieldTypeFromName(typeName); }

int32_t RoundHalfEven(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

int32_t ScrollPercentShown(int32_t stored) { return RoundHalfEven(stored / 480.0 * 100.0); }

int32_t ScrollStoredFromText(std::string_view text) {
  const int32_t percent = std::clamp(TrimStrToInt(text), 1, 1000);
  return RoundHalfEven(percent / 100.0 * 480.0);
}

int32_t PasswordFromSpinText(std::string_view text) {
  const std::string t = TrimBlanks(text);
  const bool negative = !t.empty() && t[0] == '-';
  const std::string digits = negative ? t.substr(1) : t;
  if (digits.empty() || digits.size() > 2 || !IsDigits(digits)) return -1;
  const int32_t v = (negative ? -1 : 1) * std::stoi(digits);
  return v >= -1 && v <= 9 ? v : -1;
}

int32_t PasswordSpinShown(int32_t stored) { return std::clamp(stored, -1, 9); }

bool AskYesNo(const std::string& text, const std::string& caption) {
  return Ui().MsgBox(text, caption, kMbYesNoQuestion) == kIdYes;
}

bool PasswordConfirmed(std::string_view first, std::string_view second) {
  return UpperStr(TrimBlanks(first)) == UpperStr(TrimBlanks(second));
}

std::string PasswordFromDialog(std::string_view first) {
  return UpperStr(TrimBlanks(first).substr(0, 10));
}

void TArchiveEntryDialog::ChooseBase(const std::string& alias, bool keepValues) {
  Values.Base = alias;
  DateFields.clear();
  GroupFields.clear();
  const TDbaseStructure* base = Bases ? Bases->FindByAlias(alias) : nullptr;
  for (int32_t i = 0; base && i < base->FieldCount(); ++i) {
    const TFieldRecord& f = base->Fields[static_cast<std::size_t>(i)];
    if (f.FieldType == 'D') DateFields.push_back(f.Name);
    if (f.FieldType == 'N') GroupFields.push_back(f.Name);
  }
  std::sort(GroupFields.begin(), GroupFields.end());
  GroupFields.push_back("нет"_w);
  if (keepValues) return;
  Values.DateField = DateFields.empty() ? std::string() : DateFields.front();
  Values.GroupField = GroupFields.back();
}

bool TArchiveEntryDialog::CanConfirm() const {
  auto shown = [](const std::string& text, const std::vector<std::string>& items) {
    return !text.empty() && std::find(items.begin(), items.end(), text) != items.end();
  };
  return shown(Values.Base, BaseChoices) && shown(Values.DateField, DateFields) &&
         shown(Values.GroupField, GroupFields) &&
         (Values.LastRecord == "Удалять"_w || Values.LastRecord == "Оставлять"_w);
}

// Zone sizes are tenths of a millimetre of the character cell; 0.226 is
// the factor the stored layouts were made with, so it stays.
int32_t ZoneFontPoints(int32_t size) { return static_cast<int32_t>(std::nearbyint(size * 0.226)); }

int32_t ZoneFontSize(int32_t points) { return static_cast<int32_t>(std::nearbyint(points / 0.226)); }

}  // namespace vm
