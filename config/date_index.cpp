#include "config/date_index.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "foundation/tables/dbf.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "config/errorlog.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "platform/services.h"

namespace vm {

namespace {

int32_t g_position = -1;

constexpr int32_t kMaxIndexedBases = 1024;

// A table holds at most kDbfMaxFields fields; "NO__", "_DATE1" and "_DATE2"
// come first.
constexpr int32_t kMaxPairs = (kDbfMaxFields - 3) / 2;

std::string PairKey(const TDbaseStructure& base) {
  return UpperStr(GetFileBaseName(base.FileName).substr(0, 8));
}

// Which databases get a pair of fields: by registry position, the pair's
// name part, or "" for a system base and for one that is left out. A pair
// whose names are taken already, by another database or by the period's
// own "_DATE1" and "_DATE2", would make the index file unreadable.
std::vector<std::string> PairKeys(const TUsedBaseList& bases, std::vector<std::string>* problems) {
  std::vector<std::string> keys(static_cast<std::size_t>(bases.Count()));
  std::map<std::string, std::string> owners;
  for (int32_t i = 0; i < bases.Count(); ++i) {
    const TDbaseStructure* b = bases.GetItem(i);
    if (b->System) continue;
    std::string key = PairKey(*b);
    std::string problem;
    if (static_cast<int32_t>(owners.size()) >= kMaxPairs) {
      problem = "В индексе дат нет места больше чем для "_w + std::to_string(kMaxPairs) + " баз"_w;
    } else if (key == "DATE") {
      problem = "Поля базы "_w + b->FileName + " в индексе дат совпали бы с полями _DATE1 и _DATE2"_w;
    } else if (const auto [it, fresh] = owners.emplace(key, b->FileName); !fresh) {
      problem = "Базы "_w + it->second + " и "_w + b->FileName +
                " совпадают в первых 8 символах имени файла"_w;
    } else {
      keys[static_cast<std::size_t>(i)] = std::move(key);
      continue;
    }
    if (problems) problems->push_back(problem + "; база "_w + b->FileName + " не включена в индекс дат"_w);
  }
  return keys;
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

  std::vector<std::string> problems;
  const std::vector<std::string> keys = PairKeys(bases, &problems);
  for (const std::string& key : keys) {
    if (key.empty()) continue;
    index->AddField({"_" + key + "1", 'N', 12, 0});
    index->AddField({"_" + key + "2", 'N', 12, 0});
  }
  if (problems.empty()) return true;
  std::string all;
  for (const std::string& msg : problems) {
    LogError(msg);
    all += (all.empty() ? "" : "\r\n") + msg;
  }
  Ui().MsgBox(all, "Индекс дат"_w, kMbWarning);
  return false;
}

bool UpdateDateIndex(TUsedBaseList& bases, const TDateRec& date, const std::function<bool()>& beforeAppend) {
  if (Ui().DesignerTestRun()) return false;
  if (bases.Count() > kMaxIndexedBases) return false;
  // A registry read anew without its index described again holds a database
  // of the configuration at the remembered place; that one is not written.
  TDbaseStructure* self = bases.GetItem(g_position);
  if (!self || !self->System) return false;
  // A run that already holds the lock updates the index under it.
  const bool ownLock = !BasesLocked();
  if (ownLock && !LockBases()) return false;
  auto unlock = [&] {
    if (ownLock) UnlockBases();
  };

  TDBF& table = self->Table;
  auto abandon = [&] {
    table.Close();
    unlock();
    return false;
  };
  if (!table.Open()) {
    LogUnopened(GetFileNamePart(table.FileName));
    unlock();
    return false;
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
    int32_t count = 0;
  };
  const std::vector<std::string> keys = PairKeys(bases, nullptr);
  std::vector<Pair> pairs(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].empty()) continue;
    Pair& p = pairs[i];
    p.first = table.FieldIndex("_" + keys[i] + "1");
    p.last = table.FieldIndex("_" + keys[i] + "2");
    if (p.first < 0 || p.last < 0) return abandon();
    if (n > 0) {
      // A blank count is no count: the range then starts at the beginning.
      const int32_t previous = table.GetFieldInt(p.last, error);
      p.from = error ? 1 : static_cast<int32_t>(std::min<int64_t>(int64_t{previous} + 1, INT32_MAX));
    }
  }

  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].empty()) continue;
    TDbaseStructure* b = bases.GetItem(static_cast<int32_t>(i));
    if (!b->Table.Open()) {
      LogUnopened(b->FileName);
      return abandon();
    }
    pairs[i].count = b->Table.RecCount();
    b->Table.Close();
  }

  table.ClearRecordBuf();
  table.SetFieldInt(table.FieldIndex("NO__"), n + 1);
  table.SetFieldDate(table.FieldIndex("_DATE1"), start);
  table.SetFieldDate(table.FieldIndex("_DATE2"), end);
  for (const Pair& p : pairs) {
    if (p.first < 0) continue;
    table.SetFieldInt(p.first, p.from);
    table.SetFieldInt(p.last, p.count);
  }
  if (beforeAppend && !beforeAppend()) return abandon();
  table.GoToRecord(n + 1);
  // An append may reach the disk only when the table is closed.
  bool written = table.WriteRecord();
  written = table.Close() && written;
  if (!written) LogError("Индекс дат не дополнен: ошибка записи"_w);
  unlock();
  return written;
}

}  // namespace vm
