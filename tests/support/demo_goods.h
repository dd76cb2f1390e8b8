// The sample goods table made anew with as many records as a test or a
// benchmark needs: the demo's own fields (NO__, CODE, NAME, UNIT, PRICE_IN,
// PRICE, QTY, BARCODE), each record filled by the caller.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "foundation/tables/dbf.h"
#include "platform/encoding.h"

namespace vm::test {

// Record i (from 1) filled by Fill into the cleared record buffer.
inline bool RewriteDemoGoods(const std::string& path, int32_t records,
                             const std::function<void(TDBF&, int32_t)>& fill) {
  TDBF demo;
  demo.FileName = path;
  if (!demo.OpenReadOnly()) return false;
  std::vector<TFieldRecord> fields;
  for (int i = 0; i < demo.FieldCount(); ++i) fields.push_back(demo.GetFieldDef(i));
  demo.Close();
  TDBF t;
  t.FileName = path;
  t.CreateTable();
  for (const TFieldRecord& f : fields) t.AddField(f);
  t.WriteStructure();
  for (int32_t i = 1; i <= records; ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    fill(t, i);
    if (!t.WriteRecord()) return false;
  }
  return t.Close();
}

// Goods of seven kinds, each named by its kind and a number that orders
// them otherwise than their codes, with prices and stock.
inline bool GrowDemoGoods(const std::string& path, int32_t records) {
  const std::string kinds[] = {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Сыр"_w, "Чай"_w, "Крупа"_w, "Масло"_w};
  return RewriteDemoGoods(path, records, [&](TDBF& t, int32_t i) {
    char price[32];
    std::snprintf(price, sizeof price, "%d.%02d", i % 1000, i % 100);
    t.SetFieldInt(0, i);
    t.SetFieldInt(1, i);
    t.SetFieldStr(2, kinds[i % 7] + " " + std::to_string((int64_t{i} * 7919) % records));
    t.SetFieldStr(3, "шт"_w);
    t.SetFieldStr(4, price);
    t.SetFieldStr(5, price);
    t.SetFieldStr(6, std::to_string(i % 50));
    t.SetFieldStr(7, std::to_string(4600000000000LL + i));
  });
}

}  // namespace vm::test
