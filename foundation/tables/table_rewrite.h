// Writing a table file whole. Every in-memory table that writes back to its
// file goes through here, so the way a file is replaced lives in one place:
// the new content is written beside the file and renamed over it, and a
// failure on the way leaves the old file byte for byte as it was.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/tables/dbf.h"

namespace vm {

// Every record of an open table as stored (RecCount x RecordSize bytes).
// False when a record cannot be read.
bool ReadAllRecords(TDBF& dbf, std::vector<uint8_t>& records);

// The records of an open table whose text fields hold bytes that no text
// gives back (TDBF::HoldsOddText), gathered before the table is rewritten
// from rows, so that what nobody changed keeps those bytes; usually none.
class TOddTextRecords {
 public:
  // Every record of the table read, until one cannot be read. NoField
  // (-1 for none) is the field a rewrite numbers anew.
  void Read(TDBF& dbf, int noField);
  bool Empty() const { return numbers_.empty(); }
  // Record recNo (1-based) as the file holds it; nullptr when it holds no
  // such bytes.
  const uint8_t* Find(int32_t recNo) const;
  // The one of them that a row written as record `made` copies whole: the
  // same in every field but the deletion mark and the numbered field, once
  // the gathered record's text is written again; nullptr when none is.
  const uint8_t* FindCopy(const uint8_t* made) const;

 private:
  std::string Key(const uint8_t* record) const;

  std::size_t size_ = 0;
  std::size_t noOffset_ = 0;
  std::size_t noLength_ = 0;
  std::vector<int32_t> numbers_;
  std::vector<uint8_t> records_;
  std::unordered_map<std::string, std::size_t> copies_;
};

// Writes the records (as stored, RecordSize bytes each) into a table just
// made anew (CreateTable or Zap) and closes it, which renames the new file
// over the old one only when all of it reached the disk.
bool WriteRecordsAndClose(TDBF& dbf, const std::vector<uint8_t>& records);

// Makes the open table hold exactly these records (as stored, RecordSize
// bytes each). The table is open again afterwards: on the new file, or after
// a failure on the old one.
bool RewriteTable(TDBF& dbf, const std::vector<uint8_t>& records);

}  // namespace vm
