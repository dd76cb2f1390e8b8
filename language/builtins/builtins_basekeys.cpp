// The built-ins that go by the key fields of a base, sort it, drop its
// duplicates and merge other bases and reference books with it.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/builtins/builtins_bases.h"
#include "language/builtins/builtins_run.h"
#include "language/interpreter.h"

namespace vm {

namespace {

// Key values are equal only when of one kind: texts identical, numbers
// within the tolerance, dates and times field by field. Error 26 when the
// kinds differ.
int KeysEqual(const TCommonVar& a, const TCommonVar& b, bool& equal) {
  const char ka = NormalizeTypeChar(a.Kind);
  if (ka != NormalizeTypeChar(b.Kind)) return kErrTypesDiffer;
  switch (ka) {
    case 'C': equal = a.Str == b.Str; break;
    case 'N': equal = std::fabs(a.Num - b.Num) <= kNumTolerance; break;
    default: equal = CompareValues(a, b, true) == 0; break;
  }
  return 0;
}

// The base's key value slots filled from the key fields of Src's current row.
void ReadKeyValues(const TStringBase& src, TStringBase& dst) {
  const TKeyCol* from = src.Keys.get();
  for (TKeyCol* k = dst.Keys.get(); k != nullptr && from != nullptr; k = k->Next.get(), from = from->Next.get())
    src.GetValue(from->Number, k->Value);
}

bool CaseSensitive(const TBuiltinCall& c, int i) { return c.Num(i) == 0; }

// LocateOrInsert refused a new row: a key number its field cannot hold.
void FailTooWideKey(TBuiltinCall& c, const TUBL& base) {
  const TKeyCol* k = base.Table.TooWideKey(base.Table.Keys.get());
  c.FailWith(TooWideValueText(k->Value, base.Alias + "." + base.Table.FieldName(k->Number), "поле "_w));
}

}  // namespace

void FnFindrecbykey(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  TUBL* keyBase = b != nullptr ? NeedBase(c, 2) : nullptr;
  if (keyBase == nullptr) return;
  TStringBase& t = b->Table;
  if (t.KeyCount != keyBase->Table.KeyCount) return c.Fail(kErrKeyFieldCount);
  if (t.KeyCount > kMaxKeys) return c.Fail(kErrTooManyKeys);
  c.SetNum(-1);
  if (keyBase->Table.Current() == nullptr) return;
  ReadKeyValues(keyBase->Table, t);
  TCommonVar v;
  for (int32_t i = 0; i < t.Count(); ++i) {
    t.MemTableGoto(i);
    bool equal = true;
    for (const TKeyCol* k = t.Keys.get(); k != nullptr && equal; k = k->Next.get()) {
      t.GetValue(k->Number, v);
      if (const int err = KeysEqual(v, k->Value, equal); err != 0) return c.Fail(err);
    }
    if (equal) return c.SetNum(i + 1);
  }
}

namespace {

// The checks of FINDRECSORT and CHECKADDRECSORT; the base with its key
// slots holding the key arguments, or nullptr with the error set.
TUBL* SortedKeyArgs(TBuiltinCall& c) {
  if (c.ArgCount < 3) {
    c.Fail(kErrKeyArgCount);
    return nullptr;
  }
  TUBL* b = BaseArg(c, 1);
  if (b == nullptr || NormalizeTypeChar(c.Arg(2).Kind) != 'N') {
    c.Fail(kErrBadArgType);
    return nullptr;
  }
  TStringBase& t = b->Table;
  if (c.ArgCount - 2 != t.KeyCount) {
    c.Fail(kErrKeyArgCount);
    return nullptr;
  }
  int i = 3;
  for (TKeyCol* k = t.Keys.get(); k != nullptr; k = k->Next.get(), ++i) {
    if (NormalizeTypeChar(t.FieldType(k->Number)) != NormalizeTypeChar(c.Arg(i).Kind)) {
      c.Fail(kErrTypesDiffer);
      return nullptr;
    }
    k->Value = c.Arg(i);
  }
  return b;
}

}  // namespace

void FnFindrecsort(TBuiltinCall& c) {
  TUBL* b = SortedKeyArgs(c);
  if (b == nullptr) return;
  TStringBase& t = b->Table;
  int32_t pos = -1;
  const TRow* row = t.BinarySearch(pos, t.Keys.get(), CaseSensitive(c, 2), t.LastIndex(), 0);
  if (row == nullptr) return c.SetNum(-1);
  t.MemTableGoto(row->Index);
  c.SetNum(row->Index + 1);
}

void FnCheckaddrecsort(TBuiltinCall& c) {
  TUBL* b = SortedKeyArgs(c);
  if (b == nullptr) return;
  TStringBase& t = b->Table;
  bool inserted = false;
  const TRow* row = t.LocateOrInsert(t.Keys.get(), inserted, CaseSensitive(c, 2));
  if (row == nullptr) return FailTooWideKey(c, *b);
  t.MemTableGoto(row->Index);
  c.SetNum(inserted ? -1 : row->Index + 1);
}

void FnSortbase(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t field = 0;
  if (!c.IntArg(2, field)) return;
  if (field >= 1 && field <= b->Table.FieldCount()) b->Table.SortByField(field - 1, CaseSensitive(c, 3));
}

void FnSortbasebykey(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b != nullptr && b->Table.Keys) b->Table.Sort(b->Table.Keys.get(), CaseSensitive(c, 2));
}

void FnCleardup(TBuiltinCall& c) {
  if (TUBL* b = NeedBase(c, 1)) b->Table.RemoveDuplicatesKeepFirst();
}

void FnCleardupend(TBuiltinCall& c) {
  if (TUBL* b = NeedBase(c, 1)) b->Table.RemoveDuplicatesKeepLast();
}

void FnCleardupsort(TBuiltinCall& c) {
  if (TUBL* b = NeedBase(c, 1)) b->Table.RemoveAdjacentDuplicates(CaseSensitive(c, 2));
}

// --- Copying and merging --------------------------------------------------------

bool SplitMapPair(const std::string& item, std::string& left, std::string& right) {
  const std::size_t eq = item.find('=');
  if (eq == std::string::npos) return false;
  left = UpperStr(TrimBlanks(std::string_view(item).substr(0, eq)));
  right = UpperStr(TrimBlanks(std::string_view(item).substr(eq + 1)));
  return true;
}

namespace {

struct TFieldPair {
  int32_t Dest = 0;
  int32_t Src = 0;
  // Of one kind, width and decimals.
  bool Same = false;
};

// Calls Take with each pair of a map text, in order, until it gives other
// than 0; 0, what Take gave, or 27 for a malformed text or pair.
int ForEachMapPair(const std::string& map, const std::function<int(const std::string&, const std::string&)>& take) {
  const StringList items = SplitByStr(map, ",");
  if (items.empty() || static_cast<int>(items.size()) > kMaxMapPairs) return kErrBadMapText;
  std::string left, right;
  for (const std::string& item : items) {
    if (!SplitMapPair(item, left, right)) return kErrBadMapText;
    if (const int result = take(left, right); result != 0) return result;
  }
  return 0;
}

// The pairs of an ADDBASE map, checked in order; 0 or the error.
int ReadFieldMap(const std::string& map, const TStringBase& dest, const TStringBase& src,
                 std::vector<TFieldPair>& pairs) {
  return ForEachMapPair(map, [&](const std::string& left, const std::string& right) {
    const int32_t d = dest.FieldIndex(left), s = src.FieldIndex(right);
    if (d < 0 || s < 0) return static_cast<int>(kErrNoSuchField);
    const TFieldRecord df = dest.Dbf()->GetFieldDef(d), sf = src.Dbf()->GetFieldDef(s);
    if (df.FieldType != sf.FieldType) return static_cast<int>(kErrTypesDiffer);
    if (df.Length < sf.Length || df.Decimals < sf.Decimals) return static_cast<int>(kErrFieldSizes);
    pairs.push_back({d, s, df.Length == sf.Length && df.Decimals == sf.Decimals});
    return 0;
  });
}

// A field of the same kind and size takes the bytes as they stand: a
// number read and written again could come back as another. Otherwise
// numbers go by value, so that a wider field gets them aligned as its own;
// false, with the number in v, for one the field cannot hold (a foreign
// file's text read as a number wider than its own field).
bool CopyField(const TStringBase& src, const TFieldPair& p, TStringBase& dest, TCommonVar& v) {
  const int32_t s = p.Src, d = p.Dest;
  if (p.Same) {
    const std::string_view bytes = src.FieldBytes(s, src.Buffer());
    std::copy(bytes.begin(), bytes.end(), dest.Buffer() + dest.FieldPlace(d).first);
    return true;
  }
  src.GetValue(s, v);
  if (v.Kind == 'N') return dest.SetValue(d, v);
  std::string text;
  src.GetFieldText(s, text);
  dest.SetFieldText(d, text);
  return true;
}

}  // namespace

void FnAddbase(TBuiltinCall& c) {
  TUBL* dest = NeedBase(c, 1);
  TUBL* src = dest != nullptr ? NeedBase(c, 2) : nullptr;
  if (src == nullptr) return;
  std::vector<TFieldPair> pairs;
  if (const int err = ReadFieldMap(c.Str(3), dest->Table, src->Table, pairs); err != 0) return c.Fail(err);
  TStringBase& s = src->Table;
  for (int32_t i = 0; i < s.Count(); ++i) {
    s.MemTableGoto(i);
    bool match = false;
    if (const int err = TestCondition(c, 4, match); err != 0) return c.Fail(err);
    if (!match) continue;
    dest->Table.Append();
    TCommonVar v;
    for (const TFieldPair& p : pairs)
      if (!CopyField(s, p, dest->Table, v))
        return c.FailWith(TooWideNumberText(v.Num, dest->Alias + "." + dest->Table.FieldName(p.Dest)));
  }
}

namespace {

enum : int32_t {
  kKeyModeNoCase = 1,
  kKeyModeExistingToo = 2,
};

void SetIsNewRow(TBuiltinCall& c, int value) {
  if (TVariable* v = c.Context.Symbols().FindVariable("ISNEWROW")) {
    v->Value.Kind = 'N';
    v->Value.Num = value;
  }
}

// ADDBASEKEY with or without a condition (argument 5).
void AddByKeys(TBuiltinCall& c, bool withCondition) {
  TUBL* dest = NeedBase(c, 1);
  TUBL* src = dest != nullptr ? NeedBase(c, 2) : nullptr;
  if (src == nullptr) return;
  TStringBase& d = dest->Table;
  TStringBase& s = src->Table;
  if (d.KeyCount != s.KeyCount) return c.Fail(kErrKeyFieldCount);
  for (const TKeyCol *a = d.Keys.get(), *b = s.Keys.get(); a && b; a = a->Next.get(), b = b->Next.get())
    if (d.FieldType(a->Number) != s.FieldType(b->Number)) return c.Fail(kErrKeyTypes);
  int32_t mode = 0;
  if (!c.IntArg(3, mode)) return;
  TRuntimeObject* sub = ObjectArg(c, 4);
  for (int32_t i = 0; i < s.Count(); ++i) {
    s.MemTableGoto(i);
    if (withCondition) {
      bool match = false;
      if (const int err = TestCondition(c, 5, match); err != 0) return c.Fail(err);
      if (!match) continue;
    }
    ReadKeyValues(s, d);
    bool inserted = false;
    const TRow* row = d.LocateOrInsert(d.Keys.get(), inserted, (mode & kKeyModeNoCase) == 0);
    if (row == nullptr) return FailTooWideKey(c, *dest);
    if (!inserted && (mode & kKeyModeExistingToo) == 0) continue;
    if (!withCondition) SetIsNewRow(c, inserted ? 1 : 0);
    d.MemTableGoto(row->Index);
    if (!RunSubroutine(sub)) return;
  }
}

}  // namespace

void FnAddbasekey(TBuiltinCall& c) { AddByKeys(c, false); }

void FnAddbasekeycond(TBuiltinCall& c) { AddByKeys(c, true); }

// --- Reference books from bases -------------------------------------------------

namespace {

struct TColumnPair {
  int32_t Col = 0;
  int32_t Field = 0;
};

// The pairs of a FILLHELPFROMBASE map; 0 or the error. A column that is no
// column of the view ends the function quietly (Stop).
int ReadColumnMap(const std::string& map, IDataView& view, const TStringBase& base, std::vector<TColumnPair>& pairs,
                  bool& stop) {
  constexpr int kStop = -1;
  const int result = ForEachMapPair(map, [&](const std::string& left, const std::string& right) {
    const int32_t field = base.FieldIndex(right);
    if (field < 0) return static_cast<int>(kErrNoSuchField);
    int32_t col = 0;
    if (!TryStrToInt(left, col) || col <= 0 || col > view.ColCount()) return kStop;
    const char kind = NormalizeTypeChar(view.CellKind(col - 1, 0));
    if (kind != 'C' && !TypesCompatible(kind, NormalizeTypeChar(base.FieldType(field))))
      return static_cast<int>(kErrTypesDiffer);
    pairs.push_back({col - 1, field});
    return 0;
  });
  stop = result == kStop;
  return stop ? 0 : result;
}

// The row of the active view whose key columns hold the base's current key
// values; -1 when none, -2 with Err set on a type mismatch.
int32_t FindBookRow(IHelpBook& book, IDataView& view, const TStringBase& base, int& err) {
  TCommonVar a, b;
  for (int32_t r = 0; r < view.RowCount(); ++r) {
    bool equal = true;
    const TKeyCol* field = base.Keys.get();
    for (const TKeyCol* k = book.KeyColumns(); k && field && equal; k = k->Next.get(), field = field->Next.get()) {
      a = book.BookCellValue(THelpView::Active, k->Number, r);
      base.GetValue(field->Number, b);
      if ((err = KeysEqual(a, b, equal)) != 0) return -2;
    }
    if (equal) return r;
  }
  return -1;
}

}  // namespace

void FnFillhelpfrombase(TBuiltinCall& c) {
  IHelpBook* book = BookArg(c, 1);
  if (book == nullptr) return c.Fail(kErrBadArgType);
  TUBL* b = NeedBase(c, 2);
  if (b == nullptr) return;
  IDataView* view = book->BookView(THelpView::Active);
  if (view == nullptr) return c.Fail(kErrNoActiveView);
  std::vector<TColumnPair> pairs;
  bool stop = false;
  if (const int err = ReadColumnMap(c.Str(3), *view, b->Table, pairs, stop); err != 0) return c.Fail(err);
  if (stop) return;
  TStringBase& t = b->Table;
  if (book->KeyColumnCount() != t.KeyCount) return c.Fail(kErrKeyColCount);
  if (t.KeyCount > kMaxKeys) return c.Fail(kErrTooManyKeys);
  std::string text;
  for (int32_t i = 0; i < t.Count(); ++i) {
    t.MemTableGoto(i);
    int err = 0;
    const int32_t row = FindBookRow(*book, *view, t, err);
    if (err != 0) return c.Fail(err);
    if (row < 0) continue;
    for (const TColumnPair& p : pairs) {
      t.GetFieldText(p.Field, text);
      view->SetCellText(p.Col, row, TrimBlanks(text));
    }
  }
}

}  // namespace vm
