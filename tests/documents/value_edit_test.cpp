#include "documents/value_edit.h"

#include <gtest/gtest.h>

namespace vm::test {
namespace {

TEST(ValueEdit, AcceptsOnlyValuesOfItsKind) {
  TValueEdit text{'C', 0, 0};
  EXPECT_TRUE(text.IsValid(" a"));
  EXPECT_FALSE(text.IsValid("  "));
  TValueEdit number{'N', 5, 2};
  EXPECT_TRUE(number.IsValid("12.5"));
  EXPECT_FALSE(number.IsValid("1234.5"));
  EXPECT_FALSE(number.IsValid("x"));
  TValueEdit date{'D', 0, 0};
  EXPECT_TRUE(date.IsValid("1.02.2003"));
  EXPECT_FALSE(date.IsValid("soon"));
  EXPECT_FALSE(date.IsValid("1.02.1850"));
  TValueEdit time{'T', 0, 0};
  EXPECT_TRUE(time.IsValid("23:59:59"));

  EXPECT_EQ(number.Show(number.Read("5")), "5.00");
  EXPECT_EQ(date.Show(date.Read("1/2/03")), "1.02.2003");
  EXPECT_EQ((TValueEdit{'D', 8, 0}.MaxLength()), 20);
  EXPECT_EQ(time.MaxLength(), 15);
  EXPECT_EQ(time.DialogLength(), 20);
  EXPECT_EQ(number.DialogLength(), 5);
}

}  // namespace
}  // namespace vm::test
