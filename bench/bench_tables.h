// The table of a million goods that the table benchmarks share.
#pragma once

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/tables/dbf.h"
#include "foundation/tables/string_base.h"
#include "foundation/text/number_text.h"
#include "platform/encoding.h"

namespace vm::bench {

inline constexpr int kRecords = 1000000;

inline std::string TablePath() { return "/tmp/velomar_bench_" + std::to_string(getpid()) + ".dbf"; }

inline const std::array<std::string, 8>& Names() {
  static const std::array<std::string, 8> names = {
      "Молоко пастеризованное 3,2%"_w, "Хлеб бородинский"_w,       "Сыр \"Российский\""_w,
      "Масло сливочное 82,5%"_w,       "Ёлочная игрушка №5"_w,     "Кефир обезжиренный"_w,
      "Сахар-песок, 1 кг"_w,           "Чай чёрный байховый"_w};
  return names;
}

// The price of the i-th good, written as a save writes a number.
inline std::string PriceText(int i) { return ExtendedToFixed(static_cast<long double>(i) / 100, 2); }

// An empty table of NO__ N(10,0), NAME C(30), PRICE N(12,2), DAT D (the
// date field may be named otherwise).
inline void CreateGoods(TDBF& t, const std::string& path, std::string_view date = "DAT") {
  t.FileName = path;
  t.CreateTable();
  t.AddFieldEx("NO__", 10, 'N', 0);
  t.AddFieldEx("NAME", 30, 'C', 0);
  t.AddFieldEx("PRICE", 12, 'N', 2);
  t.AddFieldEx(date, 8, 'D', 0);
  t.WriteStructure();
}

// Every field of every record of the table read as the value the documents
// see: the numbers and dates through their texts. The total is kept as the
// plain reader keeps its own, the whole parts in an integer and the numbers
// in a double: a long double total would go through memory at every field,
// which is the consumer's cost, not the reader's.
inline long double SumOfValues(const std::string& path) {
  long long whole = 0;
  double numbers = 0;
  TDBF t;
  t.FileName = path;
  t.SetReadOnly(true);
  const TStringBase layout(&t);
  if (!t.Active() || t.RecCount() != kRecords) std::abort();
  std::string record(static_cast<std::size_t>(t.RecordSize()), ' ');
  TCommonVar v;
  while (t.ReadRecord() >= 0) {
    t.GetRecordText(record.data());
    for (int32_t f = 0; f < layout.FieldCount(); ++f) {
      layout.GetBufferValue(f, record.data(), v);
      numbers += static_cast<double>(v.Num);
      whole += static_cast<long long>(v.Str.size()) + v.Date.Day;
    }
  }
  return static_cast<long double>(numbers) + static_cast<long double>(whole);
}

inline void FillTable(const std::string& path) {
  TDBF t;
  CreateGoods(t, path);
  const auto& names = Names();
  for (int i = 1; i <= kRecords; ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, i);
    t.SetFieldStr(1, names[static_cast<std::size_t>(i) % names.size()]);
    t.SetFieldStr(2, PriceText(i));
    t.SetFieldDate(3, TDateRec{1 + i % 28, 1 + i % 12, 2000 + i % 20});
    if (!t.WriteRecord()) std::abort();
  }
  if (!t.Close()) std::abort();
}

}  // namespace vm::bench
