#include "language/value_arrays.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

// The run error a one-line program stops with; 0 when it runs through.
int ErrorOf(ProgramRig& rig, const std::string& line) {
  rig.Ui.Boxes.clear();
  rig.Run(line + "\nENDSECTION");
  return Interp().ErrorCode() == kRunErrText && !rig.Ui.Boxes.empty() ? -1 : Interp().ErrorCode();
}

TEST(ValueArrays, IndexWithTheFirstIndexFastest) {
  ProgramRig rig;
  rig.Zeros({"ID", "V"});
  rig.Var("W", Str(""));
  ASSERT_TRUE(rig.Run("ID := ADDARRAY(2, 3)\nSETARRAYDATA(ID, 7, 2, 3)\nSETARRAYDATA(ID, 'x', 3, 1)\n"
                      "V := GETARRAYDATA(ID, 2, 3)\nW := GETARRAYDATA(ID, 1, 2)\nENDSECTION"));
  const TDinArray* array = DinArrays().FindById(static_cast<int64_t>(rig.Num("ID")));
  ASSERT_NE(array, nullptr);
  // (3, 1) lies past the first dimension, yet its linear index 2 is inside.
  EXPECT_EQ(std::tuple(array->Count(), array->DimCount, array->GetItem(5).Num, array->GetItem(2).Str, rig.Num("V"),
                       rig.Value("W").Str),
            std::tuple(6, 2, 7.0L, "x", 7.0L, "x"));
}

TEST(ValueArrays, RefuseBadSizesIdentifiersAndIndices) {
  ProgramRig rig;
  rig.Zeros({"ID", "V"});
  ASSERT_TRUE(rig.Run("ID := ADDARRAY(2, 3)\nENDSECTION"));
  struct Case {
    const char* Line;
    const char* Text;
  };
  for (const Case& c : {
           Case{"V := ADDARRAY(1,1,1,1,1,1,1,1,1,1,1)", " Размерность массива должна быть от 1 до 10 "},
           Case{"V := ADDARRAY(2, 0)", " Неверная размерность массива "},
           Case{"V := ADDARRAY(2, 'A')", " Размерность массива должна быть числом "},
           Case{"V := GETARRAYDATA(99, 1, 1)", " Неверный идентификатор массива "},
           Case{"V := GETARRAYDATA('1', 1, 1)", " Неверный идентификатор массива "},
           Case{"V := GETARRAYDATA(ID, 1)", " Неверное число индексов массива "},
           Case{"SETARRAYDATA(ID, 1, 1, 1, 1)", " Неверное число индексов массива "},
           Case{"V := GETARRAYDATA(ID, 3, 3)", " Неверный индекс массива "},
           Case{"V := GETARRAYDATA(ID, 0, 1)", " Неверный индекс массива "},
           Case{"SETARRAYDATA(ID, 1, 1, 99999999)", " Неверный индекс массива "},
       }) {
    EXPECT_EQ(ErrorOf(rig, c.Line), -1) << c.Line;
    ASSERT_FALSE(rig.Ui.Boxes.empty());
    const std::string text = Cp1251ToUtf8(rig.Ui.Boxes.back().Text);
    EXPECT_EQ(text.substr(text.find('\r') + 1), c.Text) << c.Line;
  }
}

TEST(ValueArrays, HugeSizesAreClampedWithoutOverflow) {
  ProgramRig rig;
  rig.Zeros({"ID", "V"});
  ASSERT_TRUE(rig.Run("ID := ADDARRAY(65536, 65536, 65536, 65536)\n"
                      "SETARRAYDATA(ID, 5, 65536, 16, 1, 1)\n"
                      "V := GETARRAYDATA(ID, 65536, 16, 1, 1)\nENDSECTION"));
  const TDinArray* array = DinArrays().FindById(static_cast<int64_t>(rig.Num("ID")));
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(std::tuple(array->Count(), rig.Num("V")), std::tuple(kMaxArrayItems, 5.0L));
  EXPECT_EQ(ErrorOf(rig, "V := GETARRAYDATA(ID, 1, 17, 1, 1)"), -1);
  EXPECT_EQ(ErrorOf(rig, "V := GETARRAYDATA(ID, 1, 1, 2147483647, 2147483647)"), -1);
}

TEST(ValueArrays, DeletedAndClearedArraysGiveUpTheirIdentifiers) {
  ProgramRig rig;
  rig.Zeros({"A", "B", "V"});
  ASSERT_TRUE(rig.Run("A := ADDARRAY(1)\nB := ADDARRAY(1)\nDELETEARRAY(A)\nDELETEARRAY(77)\n"
                      "ENDSECTION"));
  EXPECT_EQ(std::tuple(rig.Num("A"), rig.Num("B"), DinArrays().Count()), std::tuple(1.0L, 2.0L, 1));
  EXPECT_EQ(ErrorOf(rig, "V := GETARRAYDATA(A, 1)"), -1);
  DinArrays().Clear();
  EXPECT_EQ(DinArrays().AddNew().Id, 1);
}

TEST(ValueArrays, ElementsOutsideTheArrayAreEmptyAndIgnored) {
  TDinArray array;
  array.SetSize(0);
  EXPECT_EQ(array.Count(), 0);
  array.SetSize(2);
  array.SetItem(2, Num(4));
  array.SetItem(-1, Num(4));
  EXPECT_EQ(std::tuple(array.GetItem(-1).Kind, array.GetItem(2).Kind, array.GetItem(1).Kind), std::tuple(0, 0, 0));
}

}  // namespace
}  // namespace vm::test
