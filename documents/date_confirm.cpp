#include "documents/date_confirm.h"

#include "documents/value_edit.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

const TValueEdit kDateEdit{'D'};
const TValueEdit kTimeEdit{'T'};

// Moving the date on cannot be undone: the user says once more that it is
// right.
bool NewDateConfirmed(const TDateTimeEntry &entry) {
  const std::string text = "Правильно ли введены дата и время: "_w + entry.Date + "  " +
                           entry.Time + "\r" + "Возврат к предыдущей дате будет невозможен!"_w;
  return Ui().MsgBox(text, "Внимание"_w, kMbYesNoWarning) == kIdYes;
}

TDateTimeEntry EntryOf(const TDateRec &date, const TTimeRec &time) {
  TCommonVar shown;
  shown.Kind = 'D';
  shown.Date = date;
  TDateTimeEntry entry{kDateEdit.Show(shown), {}};
  shown.Kind = 'T';
  shown.Time = time;
  entry.Time = kTimeEdit.Show(shown);
  return entry;
}

// The whole minute after the base (the field shows no seconds), the next
// day past midnight.
TDateTimeEntry FirstAcceptedEntry(const TDateRec &baseDate, const TTimeRec &baseTime) {
  constexpr int32_t kDay = 24 * 60 * 60;
  int32_t seconds = baseTime.Hour * 3600 + baseTime.Minute * 60 + 60;
  TDateRec date = baseDate;
  if (seconds >= kDay) {
    seconds -= kDay;
    date = IncDateRec(date);
  }
  return EntryOf(date, TTimeRec{seconds / 3600, seconds / 60 % 60, seconds % 60});
}

}  // namespace

std::string DateTimeHint(const TDateTimeEntry &entry, const TDateRec &baseDate, const TTimeRec &baseTime) {
  // OK is grey for it too, but the moment was never compared.
  const std::string time = TrimBlanks(entry.Time);
  if (!time.empty() && !kTimeEdit.IsValid(time))
    return "Время "_w + time + " — не время суток: часы от 0 до 23, минуты и секунды от 0 до 59"_w;
  const TDateTimeEntry base = EntryOf(baseDate, baseTime);
  return "Дата и время должны быть позже последних подтвержденных: "_w + base.Date + " " + base.Time;
}

bool DateTimeAcceptable(const TDateTimeEntry &entry, const TDateRec &baseDate,
                        const TTimeRec &baseTime) {
  // An empty time would read as midnight: a field left empty holds nothing.
  if (TrimBlanks(entry.Date).empty() || TrimBlanks(entry.Time).empty()) return false;
  if (!kDateEdit.IsValid(entry.Date) || !kTimeEdit.IsValid(entry.Time)) return false;
  return CompareDateTimeRec(kDateEdit.Read(entry.Date).Date, kTimeEdit.Read(entry.Time).Time,
                            baseDate, baseTime) == 2;
}

bool ConfirmDateTime(TDateRec &date, TTimeRec &time, const TDateRec &baseDate,
                     const TTimeRec &baseTime, TDateTimeDialog &dialog) {
  const auto accept = [&](const TDateTimeEntry &e) {
    return DateTimeAcceptable(e, baseDate, baseTime);
  };
  TDateTimeEntry entry = EntryOf(date, time);
  // Right after a start the clock stands at its base, which is refused:
  // the dialog offers what it takes instead of a greyed OK.
  if (!accept(entry)) entry = FirstAcceptedEntry(baseDate, baseTime);
  const auto hint = [&](const TDateTimeEntry &e) { return DateTimeHint(e, baseDate, baseTime); };
  for (;;) {
    if (!dialog.Show(entry, accept, hint)) return false;
    // The dialog's OK is enabled only for an acceptable entry; one that is
    // not is refused here all the same.
    if (!accept(entry)) continue;
    const TDateRec entered = kDateEdit.Read(entry.Date).Date;
    if (CompareDateRec(entered, date) != 1 && !NewDateConfirmed(entry)) continue;
    date = entered;
    time = kTimeEdit.Read(entry.Time).Time;
    return true;
  }
}

}  // namespace vm
