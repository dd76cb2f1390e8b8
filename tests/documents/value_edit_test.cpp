#include "documents/value_edit.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"

namespace vm::test {
namespace {

TEST(ValueEdit, AcceptsOnlyValuesOfItsKind) {
  TValueEdit text{'C', 0, 0}, number{'N', 5, 2}, date{'D', 0, 0}, time{'T', 0, 0}, whole{'N', 25, 0},
      wide{'N', 22, 14};
  const struct {
    const TValueEdit& edit;
    const char* typed;
    bool valid;
  } cases[] = {{text, " a", true},          {text, "  ", false},    {number, "12.5", true},
               {number, "1234.5", false},   {number, "x", false},   {date, "1.02.2003", true},
               {date, "soon", false},       {date, "1.02.1850", false}, {time, "23:59:59", true},
               {time, "", false},           {time, "soon", false},
               // Digits past those a number holds would be another number.
               {whole, "1234567890123456789", true}, {whole, "92348234340767469509", false},
               {wide, "5951192.353", true},         {wide, "0.12345678901234567891", false}};
  for (const auto& c : cases) EXPECT_EQ(c.edit.IsValid(c.typed), c.valid) << c.typed;
  // The time reader would make these midnight or clamp them: the field
  // refuses them and keeps them as typed, as any other text that is no time.
  for (const char* typed : {"25:00", "24", "23:60", "12:30:60", "9:075"}) {
    EXPECT_FALSE(time.IsValid(typed)) << typed;
    EXPECT_FALSE(time.Accepts(typed)) << typed;
    EXPECT_EQ(time.Normalized(typed), typed);
  }
  for (const char* typed : {"0:00", "023:05", "23.59.59"}) EXPECT_TRUE(time.IsValid(typed)) << typed;

  EXPECT_EQ(number.Show(number.Read("5")), "5.00");
  EXPECT_EQ(date.Show(date.Read("1/2/03")), "1.02.2003");
  // The widest value of each kind can be typed whole into the edit of a
  // view cell and into a question's: the longest number, a date, a time
  // with its seconds; a text edit of a width takes that many characters.
  const TValueEdit widthDate{'D', 8, 0}, phone{'C', 20, 0};
  const struct {
    const TValueEdit& edit;
    std::string widest;
  } fits[] = {{number, "-9.99"},       {number, "99.99"}, {date, "31.12.2026"}, {widthDate, "31.12.2026"},
              {time, "23:59:59"},      {time, "023:05"},  {phone, "+7 910 555-00-00 доб"_w}};
  for (const auto& f : fits) {
    EXPECT_TRUE(f.edit.IsValid(f.widest)) << f.widest;
    EXPECT_LE(static_cast<int32_t>(f.widest.size()), f.edit.MaxLength()) << f.widest;
    EXPECT_LE(static_cast<int32_t>(f.widest.size()), f.edit.DialogLength()) << f.widest;
  }
  EXPECT_EQ(phone.MaxLength(), 20);
  EXPECT_EQ(phone.DialogLength(), 20);
}

// Leaving an edit shows its text as the value reads, the point a '.' even
// when typed as the first ','; what reads as no value of the kind stays as
// typed, so that nothing the user did not type appears in its place.
TEST(ValueEdit, LeavingShowsTheValueReadAndKeepsWhatReadsAsNone) {
  const TValueEdit sum{'N', 10, 2}, plain{'N', 0, 0}, whole{'N', 5, 0}, name{'C', 0, 0}, date{'D', 0, 0},
      time{'T', 0, 0};
  const struct {
    const TValueEdit& edit;
    const char* typed;
    const char* shown;
  } cases[] = {{sum, "10,5", "10.50"},   {sum, "3,456", "3.46"},   {sum, " 5 ", "5.00"},
               {sum, "-0,004", "0.00"},  {plain, "2,5", "2.5000"}, {whole, "12,7", "13"},
               {sum, "1,5,3", "1,5,3"},  {sum, "", ""},            {sum, "12a", "12a"},
               {name, "  Ivanov ", "Ivanov"}, {date, "1/2/03", "1.02.2003"}, {date, "31.02.2005", "28.02.2005"},
               {date, "", ""},           {time, "9.30", "9:30"},   {time, "", ""},
               {time, "скоро", "скоро"}, {sum, " 1 234,5", "1234.50"}};
  for (const auto& c : cases) EXPECT_EQ(c.edit.Normalized(c.typed), c.shown) << c.typed;
  // "10,5" is refused as typed and taken once left.
  EXPECT_FALSE(sum.IsValid("10,5"));
  EXPECT_TRUE(sum.IsValid(sum.Normalized("10,5")));
}

}  // namespace
}  // namespace vm::test
