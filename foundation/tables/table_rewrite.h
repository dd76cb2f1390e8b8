// Writing a table file whole. Every in-memory table that writes back to its
// file goes through here, so the way a file is replaced lives in one place:
// the new content is written beside the file and renamed over it, and a
// failure on the way leaves the old file byte for byte as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/tables/dbf.h"

namespace vm {

// Every record of an open table as stored (RecCount x RecordSize bytes).
// False when a record cannot be read.
bool ReadAllRecords(TDBF& dbf, std::vector<uint8_t>& records);

// Writes the records (as stored, RecordSize bytes each) into a table just
// made anew (CreateTable or Zap) and closes it, which renames the new file
// over the old one only when all of it reached the disk.
bool WriteRecordsAndClose(TDBF& dbf, const std::vector<uint8_t>& records);

// Makes the open table hold exactly these records (as stored, RecordSize
// bytes each). The table is open again afterwards: on the new file, or after
// a failure on the old one.
bool RewriteTable(TDBF& dbf, const std::vector<uint8_t>& records);

}  // namespace vm
