#include "documents/value_edit.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vm::test {
namespace {

TEST(ValueEdit, AcceptsOnlyValuesOfItsKind) {
  TValueEdit text{'C', 0, 0}, number{'N', 5, 2}, date{'D', 0, 0}, time{'T', 0, 0};
  const struct {
    const TValueEdit& edit;
    const char* typed;
    bool valid;
  } cases[] = {{text, " a", true},          {text, "  ", false},    {number, "12.5", true},
               {number, "1234.5", false},   {number, "x", false},   {date, "1.02.2003", true},
               {date, "soon", false},       {date, "1.02.1850", false}, {time, "23:59:59", true}};
  for (const auto& c : cases) EXPECT_EQ(c.edit.IsValid(c.typed), c.valid) << c.typed;

  EXPECT_EQ(number.Show(number.Read("5")), "5.00");
  EXPECT_EQ(date.Show(date.Read("1/2/03")), "1.02.2003");
  EXPECT_EQ(std::tuple(TValueEdit{'D', 8, 0}.MaxLength(), time.MaxLength(), time.DialogLength(), number.DialogLength()),
            std::tuple(20, 15, 20, 5));
}

}  // namespace
}  // namespace vm::test
