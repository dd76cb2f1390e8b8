#include "foundation/date_index.h"

#include <map>
#include <string>
#include <vector>

#include "foundation/datadir.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/errorlog.h"
#include "foundation/fileutils.h"
#include "foundation/strutils.h"
#include "ui/services.h"

namespace vm {

namespace {

int32_t g_position = -1;

constexpr int32_t kMaxIndexedBases = 1024;

std::string PairKey(const TDbaseStructure& base) {
  return UpperStr(GetFileBaseName(base.FileName).substr(0, 8));
}

// The update's own failures end it without a trace but this one: the
// database that kept the period from being recorded is worth a line.
void LogUnopened(const std::string& fileName) {
  LogError("Индекс дат не дополнен: не открывается база "_w + fileName);
}

}  // namespace

int32_t DateIndexPosition() { return g_position; }

bool CreateDateIndex(TUsedBaseList& bases) {
  for (int32_t i = bases.Count() - 1; i >= 0; --i)
    if (bases.GetItem(i)->System) bases.Remove(bases.GetItem(i));

  TDbaseStructure* index = bases.AddNew();
  index->SetFileName("!BINDEX.DBF");
  index->Alias = "$BINDEX";
  index->System = true;
  index->AddField({"_DATE1", 'D', 8, 0});
  index->AddField({"_DATE2", 'D', 8, 0});
  g_position = bases.Count() - 1;

  bool ok = true;
  std::map<std::string, std::string> owners;
  for (int32_t i = 0; i < bases.Count(); ++i) {
    const TDbaseStructure* b = bases.GetItem(i);
    if (b->System) continue;
    const std::string key = PairKey(*b);
    const auto [it, fresh] = owners.emplace(key, b->FileName);
    if (!fresh) {
      // The same field names twice would make the index file unreadable.
      const std::string msg = "Базы "_w + it->second + " и "_w + b->FileName +
                              " совпадают в первых 8 символах имени файла; база "_w +
                              b->FileName + " не включена в индекс дат"_w;
      LogError(msg);
      Ui().MsgBox(msg, "Индекс дат"_w, kMbWarning);
      ok = false;
      continue;
    }
    index->AddField({"_" + key + "1", 'N', 12, 0});
    index->AddField({"_" + key + "2", 'N', 12, 0});
  }
  return ok;
}

void UpdateDateIndex(TUsedBaseList& bases, const TDateRec& date) {
  if (Ui().DesignerTestRun()) return;
  if (g_position < 0 || g_position >= bases.Count() || bases.Count() > kMaxIndexedBases) return;
  if (!LockBases()) return;

  TDBF& table = bases.GetItem(g_position)->Table;
  auto abandon = [&] {
    table.Close();
    UnlockBases();
  };
  if (!table.Open()) {
    LogUnopened(GetFileNamePart(table.FileName));
    UnlockBases();
    return;
  }
  const int32_t n = table.RecCount();

  bool error = false;
  TDateRec start;
  if (n > 0) {
    table.GoToRecord(n);
    if (table.ReadRecord() < 0) return abandon();
    const int date2 = table.FieldIndex("_DATE2");
    if (date2 < 0) return abandon();
    const TDateRec last = table.GetFieldDate(date2, error);
    if (error || !IsValidDateRec(last)) return abandon();
    start = IncDateRec(last);
  }
  if (!IsValidDateRec(date)) return abandon();
  const TDateRec end = DecDateRec(date);
  if (CompareDateRec(end, start) == 0) return abandon();

  struct Pair {
    int first = -1, last = -1;
    int32_t from = 1;
  };
  std::vector<Pair> pairs(static_cast<std::size_t>(bases.Count()));
  for (int32_t i = 0; i < bases.Count(); ++i) {
    const TDbaseStructure* b = bases.GetItem(i);
    if (b->System) continue;
    Pair& p = pairs[static_cast<std::size_t>(i)];
    const std::string key = PairKey(*b);
    p.first = table.FieldIndex("_" + key + "1");
    p.last = table.FieldIndex("_" + key + "2");
    if (p.first < 0 || p.last < 0) return abandon();
    if (n > 0) {
      // A blank count is no count: the range then starts at the beginning.
      const int32_t previous = table.GetFieldInt(p.last, error);
      p.from = (error ? 0 : previous) + 1;
    }
  }
  // A pair that belongs to a left-out twin is not filled twice.
  for (int32_t i = 0; i < bases.Count(); ++i)
    for (int32_t j = 0; j < i; ++j)
      if (pairs[static_cast<std::size_t>(i)].first >= 0 &&
          pairs[static_cast<std::size_t>(i)].first == pairs[static_cast<std::size_t>(j)].first)
        pairs[static_cast<std::size_t>(i)].first = -2;

  std::vector<int32_t> counts(static_cast<std::size_t>(bases.Count()), 0);
  for (int32_t i = 0; i < bases.Count(); ++i) {
    TDbaseStructure* b = bases.GetItem(i);
    if (b->System || pairs[static_cast<std::size_t>(i)].first == -2) continue;
    if (!b->Table.Open()) {
      LogUnopened(b->FileName);
      return abandon();
    }
    counts[static_cast<std::size_t>(i)] = b->Table.RecCount();
    b->Table.Close();
  }

  table.ClearRecordBuf();
  table.SetFieldInt(table.FieldIndex("NO__"), n + 1);
  table.SetFieldDate(table.FieldIndex("_DATE1"), start);
  table.SetFieldDate(table.FieldIndex("_DATE2"), end);
  for (int32_t i = 0; i < bases.Count(); ++i) {
    const Pair& p = pairs[static_cast<std::size_t>(i)];
    if (p.first < 0) continue;
    table.SetFieldInt(p.first, p.from);
    table.SetFieldInt(p.last, counts[static_cast<std::size_t>(i)]);
  }
  table.GoToRecord(n + 1);
  if (!table.WriteRecord()) LogError("Индекс дат не дополнен: ошибка записи"_w);
  table.Close();
  UnlockBases();
}

}  // namespace vm
