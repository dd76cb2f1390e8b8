// A small goods table on disk for the tests of in-memory tables: NO__
// N(10,0), CODE C(10), NAME C(20), PRICE N(8,2), DAT D.
#pragma once

#include <string>
#include <vector>

#include "foundation/tables/dbf.h"

namespace vm::test {

struct GoodsRecord {
  std::string Code;
  std::string Name;
  std::string Price;  // as the field holds it
  bool Deleted = false;
  TDateRec Date{1, 1, 2020};
  int32_t No = 0;  // 0: the record number
};

enum GoodsField { kGoodsNo = 0, kGoodsCode, kGoodsName, kGoodsPrice, kGoodsDate };

inline bool WriteGoods(const std::string& path, const std::vector<GoodsRecord>& records) {
  TDBF t;
  t.FileName = path;
  if (!t.CreateTable()) return false;
  t.AddFieldEx("NO__", 10, 'N', 0);
  t.AddFieldEx("CODE", 10, 'C', 0);
  t.AddFieldEx("NAME", 20, 'C', 0);
  t.AddFieldEx("PRICE", 8, 'N', 2);
  t.AddFieldEx("DAT", 8, 'D', 0);
  if (!t.WriteStructure()) return false;
  for (const GoodsRecord& r : records) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(kGoodsNo, r.No ? r.No : t.RecCount() + 1);
    t.SetFieldStr(kGoodsCode, r.Code);
    t.SetFieldStr(kGoodsName, r.Name);
    t.SetFieldStr(kGoodsPrice, r.Price);
    t.SetFieldDate(kGoodsDate, r.Date);
    t.SetDeleted(r.Deleted);
    if (!t.WriteRecord()) return false;
  }
  return t.Close();
}

// Every record of a table file: "*" or " ", then NO__ and CODE, joined by
// "|"; records by ";".
inline std::string ReadGoods(const std::string& path) {
  TDBF t;
  t.FileName = path;
  t.SetReadOnly(true);
  if (!t.Open()) return "(unreadable)";
  std::string out;
  int state;
  while ((state = t.ReadRecord()) >= 0) {
    if (!out.empty()) out += ";";
    out += (state == 1 ? "*" : " ") + t.GetFieldStr(kGoodsNo) + "|" + t.GetFieldStr(kGoodsCode);
  }
  return out;
}

}  // namespace vm::test
