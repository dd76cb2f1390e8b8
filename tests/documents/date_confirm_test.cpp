#include "documents/date_confirm.h"

#include <gtest/gtest.h>

#include <deque>
#include <tuple>
#include <vector>

#include "documents/headless_steps.h"
#include "platform/encoding.h"
#include "support/scripted_ui.h"

namespace vm {
namespace {

// The user at the date dialog: each showing types one entry and presses
// OK or Cancel; what the dialog showed and whether OK would take it are
// kept.
class ScriptedDialog : public TDateTimeDialog {
 public:
  struct Step {
    bool Ok;
    TDateTimeEntry Typed;
  };
  std::deque<Step> Steps;
  std::vector<TDateTimeEntry> ShownWith;
  std::vector<bool> OkEnabledAtFirst;
  std::string Hint;

  bool Show(TDateTimeEntry &entry, const std::function<bool(const TDateTimeEntry &)> &accept,
            const std::function<std::string(const TDateTimeEntry &)> &hint) override {
    Hint = hint(entry);
    ShownWith.push_back(entry);
    OkEnabledAtFirst.push_back(accept(entry));
    if (Steps.empty()) return false;
    const Step step = Steps.front();
    Steps.pop_front();
    entry = step.Typed;
    return step.Ok;
  }
};

const TDateRec kBaseDate{5, 12, 2026};
const TTimeRec kBaseTime{20, 15, 0};

TEST(ConfirmDateTime, OnlyAMomentLaterThanTheClockBaseIsTaken) {
  const struct {
    const char *date, *time;
    bool accepted;
  } rows[] = {
      {"5.12.2026", "20:15:01", true},  {"5.12.2026", "20:15:00", false},
      {"5.12.2026", "20:14:59", false}, {"6.12.2026", "0:00:00", true},
      {"4.12.2026", "23:59:59", false}, {"x.y", "10:00:00", false},
      {"", "21:00:00", false},          {"6.12.2026", "", false},
      {"6.12.2026", "  ", false},
  };
  for (const auto &r : rows)
    EXPECT_EQ(DateTimeAcceptable({r.date, r.time}, kBaseDate, kBaseTime), r.accepted)
        << r.date << " " << r.time;
}

TEST(ConfirmDateTime, ALaterTimeOnTheSameDateIsTakenWithoutAQuestion) {
  test::ScriptedUi ui;
  ScriptedDialog dialog;
  dialog.Steps.push_back({true, {"5.12.2026", "21:00:00"}});
  TDateRec date = kBaseDate;
  TTimeRec time = kBaseTime;
  ASSERT_TRUE(ConfirmDateTime(date, time, kBaseDate, kBaseTime, dialog));
  ASSERT_EQ(dialog.ShownWith.size(), 1u);
  EXPECT_EQ(std::tuple(date, time, ui.Boxes.size(), dialog.ShownWith[0].Date),
            std::tuple(kBaseDate, TTimeRec{21, 0, 0}, 0u, "5.12.2026"));
}

// The clock's own moment after a start is its base, which the dialog would
// refuse: it offers a minute later instead, OK enabled, and says why no
// earlier moment is taken.
TEST(ConfirmDateTime, TheClockBaseIsOfferedAMinuteLaterWithTheReason) {
  const struct {
    TDateRec base;
    TTimeRec baseTime;
    const char *date, *time;
  } rows[] = {
      {kBaseDate, kBaseTime, "5.12.2026", "20:16"},
      {kBaseDate, {23, 59, 30}, "6.12.2026", "0:00"},
      {kBaseDate, {20, 15, 59}, "5.12.2026", "20:16"},
      {{31, 12, 2026}, {23, 59, 0}, "1.01.2027", "0:00"},
  };
  for (const auto &r : rows) {
    test::ScriptedUi ui;
    ScriptedDialog dialog;
    TDateRec date = r.base;
    TTimeRec time = r.baseTime;
    EXPECT_FALSE(ConfirmDateTime(date, time, r.base, r.baseTime, dialog));
    ASSERT_EQ(dialog.ShownWith.size(), 1u);
    EXPECT_EQ(std::tuple(dialog.ShownWith[0].Date, dialog.ShownWith[0].Time, dialog.OkEnabledAtFirst[0]),
              std::tuple(r.date, r.time, true));
  }
  // A later moment of the clock is shown as it stands.
  test::ScriptedUi ui;
  ScriptedDialog dialog;
  TDateRec date = kBaseDate;
  TTimeRec time{21, 5, 0};
  EXPECT_FALSE(ConfirmDateTime(date, time, kBaseDate, kBaseTime, dialog));
  EXPECT_EQ(dialog.ShownWith[0].Time, "21:05");
  EXPECT_EQ(dialog.Hint, "Дата и время должны быть позже последних подтвержденных: 5.12.2026 20:15"_w);
}

TEST(ConfirmDateTime, ANewDateIsAskedAndNoShowsTheDialogAgainWithWhatWasTyped) {
  test::ScriptedUi ui;
  ui.Answers = {kIdNo, kIdYes};
  ScriptedDialog dialog;
  dialog.Steps.push_back({true, {"7.12.2026", "9:00:00"}});
  dialog.Steps.push_back({true, {"8.12.2026", "9:30:00"}});
  TDateRec date = kBaseDate;
  TTimeRec time = kBaseTime;
  ASSERT_TRUE(ConfirmDateTime(date, time, kBaseDate, kBaseTime, dialog));
  ASSERT_EQ(dialog.ShownWith.size(), 2u);
  ASSERT_EQ(ui.Boxes.size(), 2u);
  EXPECT_EQ(std::tuple(date, time, dialog.ShownWith[1].Date, dialog.ShownWith[1].Time),
            std::tuple(TDateRec{8, 12, 2026}, TTimeRec{9, 30, 0}, "7.12.2026", "9:00:00"));
  EXPECT_EQ(std::tuple(ui.Boxes[0].Text, ui.Boxes[0].Caption, ui.Boxes[0].Flags),
            std::tuple("Правильно ли введены дата и время: 7.12.2026  9:00:00"_w + "\r" +
                           "Возврат к предыдущей дате будет невозможен!"_w,
                       "Внимание"_w, kMbYesNoWarning));
}

TEST(ConfirmDateTime, CancelLeavesTheDateAndTimeAsTheyWere) {
  test::ScriptedUi ui;
  ui.Answers = {kIdNo};
  ScriptedDialog dialog;
  // A new date refused, then Cancel at the second showing.
  dialog.Steps.push_back({true, {"9.12.2026", "8:00:00"}});
  dialog.Steps.push_back({false, {"10.12.2026", "8:00:00"}});
  TDateRec date = kBaseDate;
  TTimeRec time{20, 30, 0};
  EXPECT_FALSE(ConfirmDateTime(date, time, kBaseDate, kBaseTime, dialog));
  ASSERT_EQ(dialog.ShownWith.size(), 2u);
  EXPECT_EQ(std::tuple(date, time, ui.Boxes.size(), dialog.ShownWith[0].Time),
            std::tuple(kBaseDate, TTimeRec{20, 30, 0}, 1u, "20:30"));
}

// The road reaches the date dialog through the installed windows; without
// any, nothing can confirm the clock and the run is cancelled.
TEST(ConfirmDateTime, TheRoadAsksTheInstalledWindowsAndHeadlessIsCancel) {
  THeadlessSteps steps;
  TDateRec date = kBaseDate;
  TTimeRec time = kBaseTime;
  EXPECT_FALSE(steps.ConfirmDateTime(date, time));
  test::ScriptedUi ui;
  EXPECT_TRUE(steps.ConfirmDateTime(date, time));
  ui.DateTimeConfirmed = false;
  EXPECT_FALSE(steps.ConfirmDateTime(date, time));
  EXPECT_EQ(std::tuple(ui.DateTimeAsked, date, time), std::tuple(2, kBaseDate, kBaseTime));
}

}  // namespace
}  // namespace vm
