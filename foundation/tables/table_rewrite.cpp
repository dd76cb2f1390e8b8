#include "foundation/tables/table_rewrite.h"

#include <algorithm>
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

void TOddTextRecords::Read(TDBF& dbf, int noField) {
  numbers_.clear();
  records_.clear();
  copies_.clear();
  size_ = static_cast<std::size_t>(dbf.RecordSize());
  noOffset_ = noLength_ = 0;
  if (noField >= 0 && dbf.FieldOffset(noField) + dbf.GetFieldDef(noField).Length <= dbf.RecordSize()) {
    noOffset_ = static_cast<std::size_t>(dbf.FieldOffset(noField));
    noLength_ = static_cast<std::size_t>(dbf.GetFieldDef(noField).Length);
  }
  if (!dbf.Active() || !dbf.OemCoded()) return;
  dbf.GoToRecord(1);
  for (int32_t rec = 1; rec <= dbf.RecCount(); ++rec) {
    if (dbf.ReadRecord() < 0) break;
    const uint8_t* record = dbf.RecordView();
    if (!dbf.HoldsOddText(record)) continue;
    numbers_.push_back(rec);
    records_.insert(records_.end(), record, record + size_);
  }
  // Each as a row holding its text would be written.
  std::vector<char> text(size_);
  std::vector<uint8_t> again(size_);
  for (std::size_t i = 0; i < numbers_.size(); ++i) {
    dbf.TextOfRecord(&records_[i * size_], text.data());
    dbf.RecordFromText(text.data(), again.data());
    copies_.emplace(Key(again.data()), i);
  }
}

const uint8_t* TOddTextRecords::Find(int32_t recNo) const {
  const auto at = std::lower_bound(numbers_.begin(), numbers_.end(), recNo);
  if (at == numbers_.end() || *at != recNo) return nullptr;
  return &records_[static_cast<std::size_t>(at - numbers_.begin()) * size_];
}

std::string TOddTextRecords::Key(const uint8_t* record) const {
  std::string key(reinterpret_cast<const char*>(record), size_);
  key[0] = ' ';
  key.replace(noOffset_, noLength_, noLength_, ' ');
  return key;
}

const uint8_t* TOddTextRecords::FindCopy(const uint8_t* made) const {
  if (copies_.empty()) return nullptr;
  const auto found = copies_.find(Key(made));
  return found == copies_.end() ? nullptr : &records_[found->second * size_];
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
