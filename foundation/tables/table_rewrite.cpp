#include "foundation/tables/table_rewrite.h"

#include <cstring>

namespace vm {

bool ReadAllRecords(TDBF& dbf, std::vector<uint8_t>& records) {
  records.clear();
  if (!dbf.Active()) return false;
  const auto size = static_cast<std::size_t>(dbf.RecordSize());
  records.resize(static_cast<std::size_t>(dbf.RecCount()) * size);
  dbf.GoToRecord(1);
  for (int32_t rec = 0; rec < dbf.RecCount(); ++rec) {
    if (dbf.ReadRecord() < 0) return false;
    std::memcpy(&records[static_cast<std::size_t>(rec) * size], dbf.RecordView(), size);
  }
  return true;
}

bool WriteRecordsAndClose(TDBF& dbf, const std::vector<uint8_t>& records) {
  const auto size = static_cast<std::size_t>(dbf.RecordSize());
  bool ok = dbf.Active() && size > 0 && records.size() % size == 0;
  for (std::size_t pos = 0; ok && pos < records.size(); pos += size) {
    std::memcpy(dbf.RecordBytes(), &records[pos], size);
    ok = dbf.WriteRecord();
  }
  if (!ok) dbf.AbandonRewrite();
  return dbf.Close() && ok;
}

bool RewriteTable(TDBF& dbf, const std::vector<uint8_t>& records) {
  bool ok = dbf.Zap();
  if (!ok) dbf.AbandonRewrite();
  ok = WriteRecordsAndClose(dbf, records) && ok;
  return dbf.Open() && ok;
}

}  // namespace vm
