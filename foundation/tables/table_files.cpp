#include "foundation/tables/table_files.h"

#include <algorithm>
#include <vector>

#include "foundation/tables/field_intake.h"
#include "foundation/tables/table_rewrite.h"
#include "platform/files.h"

namespace vm {

TSaveResult WriteBaseToFile(const TStringBase& table, const std::string& fileName) {
  const TDBF* source = table.Dbf();
  if (!source) return TSaveResult::Failed;
  // A new file that did not come out whole goes again; an old one is only
  // ever replaced whole.
  const bool existed = Files().Exists(fileName);
  auto fail = [&] {
    if (!existed) Files().Remove(fileName);
    return TSaveResult::Failed;
  };
  TDBF out;
  out.FileName = fileName;
  if (!out.CreateTable()) return fail();
  bool ok = true;
  for (int i = 0; i < source->FieldCount() && ok; ++i) ok = out.AddField(source->GetFieldDef(i));
  ok = ok && out.WriteStructure();
  const auto size = static_cast<std::size_t>(out.RecordSize());
  std::vector<uint8_t> records;
  bool tooWide = false;
  for (int32_t i = 0; ok && i < table.Count(); ++i) {
    const TRow* row = table.MemTableLocate(i);
    tooWide = tooWide || table.HasTooWideNumber(row->Buffer());
    out.SetRecordText(row->Buffer());
    out.SetDeleted(row->Deleted);
    records.insert(records.end(), out.RecordBytes(), out.RecordBytes() + size);
  }
  if (!ok) out.AbandonRewrite();
  if (!WriteRecordsAndClose(out, records) || !ok) return fail();
  return tooWide ? TSaveResult::SavedTooWide : TSaveResult::Saved;
}

bool ReadBaseFromFile(TStringBase& table, const std::string& fileName) {
  TDBF in;
  in.FileName = fileName;
  in.SetReadOnly(true);
  if (!in.Open()) return false;
  std::vector<int32_t> target(static_cast<std::size_t>(in.FieldCount()));
  std::vector<TFieldRecord> defs(target.size());
  for (int i = 0; i < in.FieldCount(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    target[at] = table.FieldIndex(in.GetFieldName(i));
    if (target[at] >= 0) defs[at] = table.Dbf()->GetFieldDef(target[at]);
  }
  // Every record is taken into a record of its own before the first row
  // goes in: a file that cannot be read whole, or holds a value the table
  // cannot, adds nothing, and no row's new-row program has run for it.
  const auto size = static_cast<std::size_t>(table.RecordSize());
  std::vector<char> records;
  int32_t count = 0;
  std::string text, stored;
  in.GoToRecord(1);
  for (int32_t rec = 1; rec <= in.RecCount(); ++rec) {
    const int state = in.ReadRecord();
    if (state < 0) return false;
    if (state == 1) continue;
    records.resize(records.size() + size, ' ');
    char* record = records.data() + records.size() - size;
    ++count;
    for (int i = 0; i < in.FieldCount(); ++i) {
      const int32_t field = target[static_cast<std::size_t>(i)];
      if (field < 0) continue;
      in.GetFieldStr(i, text);
      // A text field takes any text, cut to it.
      if (!FieldTextOf(defs[static_cast<std::size_t>(i)], text, TIntake::TableFile, stored)) return false;
      table.SetBufferText(field, stored, record);
    }
  }
  // The new-row program may fill fields the file does not have; those it
  // has are written over what it put there.
  for (int32_t n = 0; n < count; ++n) {
    const char* record = records.data() + static_cast<std::size_t>(n) * size;
    char* row = table.Append()->Buffer();
    for (const int32_t field : target) {
      if (field < 0) continue;
      const std::string_view bytes = table.FieldBytes(field, record);
      std::copy(bytes.begin(), bytes.end(), row + (bytes.data() - record));
    }
  }
  table.Modified = true;
  return true;
}

}  // namespace vm
