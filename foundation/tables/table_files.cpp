#include "foundation/tables/table_files.h"

#include <algorithm>
#include <vector>

#include "foundation/tables/table_rewrite.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
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

namespace {

// A field's text from the file into a row. A number field takes a number
// as the program reads typed ones (the first comma as the point, an
// exponent allowed) and writes it as it writes numbers, rounded to the
// field's own decimals: false when it does not fit so, since with fewer
// decimals, cut or with an exponent no reader of the field takes, it would
// be stored as another number. One too small for any number is 0; one too
// large for any never fits. Any other text (a blank, "???" of an unknown
// link) is stored as it stands, when it fits.
bool PutFileText(const TStringBase& table, int32_t field, const std::string& text, char* buf) {
  const std::size_t length = table.FieldBytes(field, buf).size();
  if (table.FieldType(field) == 'N') {
    long double x = 0;
    switch (ReadExtended(CommaToPoint(text), x)) {
      case TNumberRead::TooLarge:
        return false;
      case TNumberRead::TooSmall:
        x = 0;
        [[fallthrough]];
      case TNumberRead::Number: {
        const std::string fixed = ExtendedToFixed(x, table.Dbf()->GetFieldDef(field).Decimals);
        if (!HasFixedForm(x) || fixed.empty() || fixed.size() > length) return false;
        table.SetBufferText(field, fixed, buf);
        return true;
      }
      case TNumberRead::NoNumber:
        break;
    }
    // A text cut to a number field could read back as a number it never was.
    if (text.size() > length) return false;
  }
  table.SetBufferText(field, text, buf);
  return true;
}

}  // namespace

bool ReadBaseFromFile(TStringBase& table, const std::string& fileName) {
  TDBF in;
  in.FileName = fileName;
  in.SetReadOnly(true);
  if (!in.Open()) return false;
  std::vector<int32_t> target(static_cast<std::size_t>(in.FieldCount()));
  for (int i = 0; i < in.FieldCount(); ++i) target[static_cast<std::size_t>(i)] = table.FieldIndex(in.GetFieldName(i));
  // Every record is taken into a record of its own before the first row
  // goes in: a file that cannot be read whole, or holds a value the table
  // cannot, adds nothing, and no row's new-row program has run for it.
  const auto size = static_cast<std::size_t>(table.RecordSize());
  std::vector<char> records;
  int32_t count = 0;
  std::string text;
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
      if (!PutFileText(table, field, text, record)) return false;
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
