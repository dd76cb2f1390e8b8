// SOFTBASES: "ALIAS = STRUCTURE:[[NAME, T, W, D], ...], KEY:[FIELD, ...]"
// binds a temporary database: an empty table of the structure written,
// that lives while the document runs and is never read from or written to
// a file.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/form_bindings.h"
#include "foundation/tables/dbf.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

constexpr TParamSet kSoftBasesParams{kPkKey, kPkStructure};

// Field lengths are one byte in a table's header, and a date takes 8.
constexpr int32_t kMaxFieldWidth = 254;
constexpr int32_t kDateWidth = 8;

int32_t IntIn(std::string_view text, int32_t low, int32_t high) {
  int32_t value = 0;
  if (!TryStrToInt(text, value) || value < low || value > high) RaiseCompileError(8);
  return value;
}

TFieldRecord FieldDescription(const std::string& item, const std::vector<TFieldRecord>& fields) {
  const StringList parts = SplitParamList(BracketedInside(item, 94));
  if (parts.size() != 4) RaiseCompileError(96);
  TFieldRecord f;
  f.Name = parts[0];
  // A name the table could not hold would be cut short or lost unseen.
  if (!IsValidFieldName(f.Name)) RaiseCompileError(12);
  for (const TFieldRecord& other : fields)
    if (other.Name == f.Name) RaiseCompileError(95);
  if (parts[1].size() != 1 || (parts[1] != "C" && parts[1] != "D" && parts[1] != "N")) RaiseCompileError(97);
  f.FieldType = parts[1][0];
  f.Length = f.FieldType == 'D' ? IntIn(parts[2], kDateWidth, kDateWidth) : IntIn(parts[2], 2, kMaxFieldWidth);
  f.Decimals = IntIn(parts[3], 0, f.Length - 2);
  return f;
}

std::vector<TFieldRecord> Structure(const TElementParam& structure) {
  std::vector<TFieldRecord> fields;
  const TElementLine items = ParseElementLine(BracketedInside(structure.Value, 43));
  items.CheckAllowed(kPositionalOnly);
  if (!items.Name.empty()) RaiseCompileError(94);
  for (const TElementParam& item : items.Params) fields.push_back(FieldDescription(item.Value, fields));
  if (fields.size() > static_cast<std::size_t>(kDbfMaxFields)) RaiseCompileError(16);
  return fields;
}

void ReadKeyFields(TUBL& base, const TElementParam& key) {
  TStringBase& table = base.Table;
  for (const std::string& item : SplitParamList(BracketedInside(key.Value, 43))) {
    const int32_t index = table.FieldIndex(item);
    if (index < 0) RaiseCompileError(15);
    if (FindKeyCol(table.Keys.get(), index) != nullptr) RaiseCompileError(75);
    TKeyCol* k = AddKeyCol(table.Keys, table.KeyCount);
    k->Number = index;
    k->Kind = table.FieldType(index);
  }
}

}  // namespace

void TDocumentCompiler::SoftBasesLine(const TElementLine& line) {
  line.CheckAllowed(kSoftBasesParams);
  CheckNewName(line.Name, 89);
  if (line.Count() != 2) RaiseCompileError(16);
  const std::vector<TFieldRecord> fields = Structure(*line.Find(kPkStructure, 92));
  TUBL& base = *doc_.Bases.AddTemp(fields);
  if (base.Table.FieldCount() != static_cast<int32_t>(fields.size())) RaiseCompileError(16);
  base.Alias = line.Name;
  base.Filter().Context = &doc_.Context;
  base.Table.SetFilter("[NOFILTER]");
  ReadKeyFields(base, *line.Find(kPkKey, 79));
}

}  // namespace vm
