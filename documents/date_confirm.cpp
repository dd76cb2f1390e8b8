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

}  // namespace

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
  TCommonVar shown;
  shown.Kind = 'D';
  shown.Date = date;
  TDateTimeEntry entry{kDateEdit.Show(shown), {}};
  shown.Kind = 'T';
  shown.Time = time;
  entry.Time = kTimeEdit.Show(shown);
  const auto accept = [&](const TDateTimeEntry &e) {
    return DateTimeAcceptable(e, baseDate, baseTime);
  };
  for (;;) {
    if (!dialog.Show(entry, accept)) return false;
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
