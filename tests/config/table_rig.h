// A table as the start-up check makes it: "NO__" first, then the fields, one
// record per row, numbered on from `first`.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/tables/dbf.h"

namespace vm::test {

using TableRows = std::vector<std::vector<std::string>>;

inline void MakeNumberedTable(const std::string& path, const std::vector<TFieldRecord>& fields,
                              const TableRows& rows, int32_t first = 1, int deletedRow = -1) {
  TDBF t;
  t.FileName = path;
  ASSERT_TRUE(t.CreateTable());
  ASSERT_TRUE(t.AddFieldEx("NO__", 10, 'N', 0));
  for (const TFieldRecord& f : fields) ASSERT_TRUE(t.AddField(f));
  ASSERT_TRUE(t.WriteStructure());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, static_cast<int32_t>(r) + first);
    for (std::size_t i = 0; i < rows[r].size(); ++i) t.SetFieldStr(static_cast<int>(i + 1), rows[r][i]);
    t.SetDeleted(static_cast<int>(r) == deletedRow);
    ASSERT_TRUE(t.WriteRecord());
  }
  ASSERT_TRUE(t.Close());
}

}  // namespace vm::test
