// The spreadsheet helper as the program carries it, spoken to through
// TCalcLink without an office: only the calls that never reach the office
// are made, so every byte of an answer comes from the helper's own framing.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/calc_link.h"

namespace vm {
namespace {

TEST(CalcHelper, TheEmbeddedTextIsTheSourceFile) {
  std::ifstream in(VELOMAR_SOURCE_DIR "/platform/calc_helper.py", std::ios::binary);
  ASSERT_TRUE(in);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(CalcHelperScript(), source);
}

TEST(CalcHelper, FieldsCrossTheHelperAndComeBackWhole) {
  TCalcLink link;
  std::string error;
  // The office is started only by "start", so a missing one is never run.
  ASSERT_TRUE(link.Spawn("/nonexistent/soffice", false, error)) << error;

  // A write is never answered: the next answer is the next call's.
  ASSERT_TRUE(link.Send({"set", "1", "1", "1", "1", "x"}));
  TCalcFields answer;
  ASSERT_TRUE(link.Call({"check"}, answer));
  EXPECT_EQ(answer, TCalcFields{"none"});

  // A workbook that is not there is named back in the error as it was
  // sent: separators, line ends, backslashes and Cyrillic (UTF-8 on the
  // link) inside one field.
  const std::string odd = "/нет\tтакой\\tкниги\\\nи\rпапки\\";
  ASSERT_TRUE(link.Call({"open", "1", odd + ".xlsx"}, answer));
  EXPECT_EQ(answer, (TCalcFields{"err", "Файл не найден: " + odd + ".xlsx"}));

  // Lines far longer than one read on either side.
  const std::string longName = "/" + std::string(150000, 'x') + "\t" + std::string(150000, 'y');
  ASSERT_TRUE(link.Call({"open", "2", longName}, answer));
  EXPECT_EQ(answer, (TCalcFields{"err", "Файл не найден: " + longName}));

  ASSERT_TRUE(link.Call({"check"}, answer));
  EXPECT_EQ(answer, TCalcFields{"none"});
  EXPECT_TRUE(link.Running());
  link.Quit();
  EXPECT_FALSE(link.Running());
}

}  // namespace
}  // namespace vm
