#include "documents/element_line.h"

#include <gtest/gtest.h>

#include "documents/compile_errors.h"
#include "documents/keyword_tables.h"
#include "platform/encoding.h"

namespace vm {
namespace {

int RaisedCode(std::string_view line, std::string* message = nullptr) {
  try {
    ParseElementLine(line);
  } catch (const TCompileError& e) {
    if (message != nullptr) *message = e.Message;
    return e.Code;
  }
  return 0;
}

TEST(KeywordTables, EntriesKeepTheirStoredIndexes) {
  EXPECT_EQ(FindSectionKeyword("ENDSECTION"), 1);
  EXPECT_EQ(FindSectionKeyword("BLANK"), kSkBlank);
  EXPECT_EQ(kSkBlank, 11);
  EXPECT_EQ(FindSectionKeyword("SUBROUTINE"), 17);
  EXPECT_EQ(FindSectionKeyword("ENDSELCHANGE"), 37);
  EXPECT_EQ(FindSectionKeyword("SCANER"), 53);
  EXPECT_EQ(FindSectionKeyword("vars"), -1);  // the caller upper-cases
  EXPECT_EQ(FindSectionKeyword(""), -1);
  for (int k = 1; k <= kSectionKeywordCount; ++k)
    EXPECT_EQ(FindSectionKeyword(SectionKeywordName(k)), k);

  EXPECT_EQ(FindParamKeyword(""), kPkPositional);
  EXPECT_EQ(FindParamKeyword("addable"), 2);
  EXPECT_EQ(FindParamKeyword(" KeyCol "), 19);
  EXPECT_EQ(FindParamKeyword("NAME"), 22);
  EXPECT_EQ(FindParamKeyword("LINK"), 53);
  EXPECT_EQ(FindParamKeyword("SORTTYPE"), 70);
  EXPECT_EQ(kPkSortType, 70);
  for (int k = 1; k <= kParamKeywordCount; ++k)
    EXPECT_EQ(FindParamKeyword(ParamKeywordName(k)), k);
  // Numbered parameters, and what only looks like one.
  EXPECT_EQ(FindParamKeyword("1"), kPkNumbered);
  EXPECT_EQ(FindParamKeyword("12"), kPkNumbered);
  EXPECT_EQ(FindParamKeyword("65536"), kPkNumbered);
  for (const char* bad : {"0", "-1", "1A", "65537", "+1", "NOPE"}) EXPECT_EQ(FindParamKeyword(bad), -1) << bad;
}

TEST(KeywordTables, ReservedWordsAndIdentifiers) {
  for (const char* word : {"minval", "MAXVAL", "vars", "ENDSUB", "while", "CALL", "ENDSECTION"})
    EXPECT_TRUE(IsReservedWord(word)) << word;
  for (const char* word : {"TOTAL", "MINVALUE", ""}) EXPECT_FALSE(IsReservedWord(word)) << word;
  EXPECT_FALSE(IsIdentifier(""));
  EXPECT_TRUE(IsIdentifier("a.b_1"));
  EXPECT_TRUE(IsIdentifier("Сумма"_w));
  EXPECT_FALSE(IsIdentifier("A B"));
  EXPECT_FALSE(IsIdentifier("A:1"));
}

TEST(ElementLine, NameAndParametersInLineOrder) {
  const TElementLine a = ParseElementLine(" a = 1, B:2 ");
  EXPECT_EQ(a.Name, "A");
  ASSERT_EQ(a.Count(), 2);
  EXPECT_EQ(a.At(0)->Keyword, "");
  EXPECT_EQ(a.At(0)->Value, "1");
  EXPECT_EQ(a.At(1)->Keyword, "B");
  EXPECT_EQ(a.At(1)->Value, "2");
  EXPECT_EQ(a.At(2), nullptr);

  // Separators inside quotes and brackets separate nothing; values keep case.
  const TElementLine q = ParseElementLine("T = FILTER:'a,b:c=d', KEY:[x, y], H:(1,2:3), name:'Ab'");
  ASSERT_EQ(q.Count(), 4);
  EXPECT_EQ(q.At(0)->Value, "'a,b:c=d'");
  EXPECT_EQ(q.At(1)->Value, "[x, y]");
  EXPECT_EQ(q.At(2)->Value, "(1,2:3)");
  EXPECT_EQ(q.At(3)->Keyword, "NAME");
  EXPECT_EQ(q.At(3)->Value, "'Ab'");
  EXPECT_EQ(q.Find(kPkKey)->Value, "[x, y]");
  EXPECT_EQ(q.Find(kPkForm), nullptr);

  const TElementLine word = ParseElementLine("vars");
  EXPECT_EQ(word.Name, "VARS");
  EXPECT_EQ(word.Count(), 0);
  const TElementLine two = ParseElementLine("VARS X");
  EXPECT_EQ(two.Name, "");
  ASSERT_EQ(two.Count(), 1);
  EXPECT_EQ(two.At(0)->Value, "VARS X");

  const TElementLine numbered = ParseElementLine("HELP = 1:NAME, 12:QTY");
  EXPECT_EQ(numbered.Find(-12)->Value, "QTY");
  EXPECT_EQ(numbered.Find(-2), nullptr);
  EXPECT_EQ(ParseElementLine("A =").Count(), 0);
  EXPECT_EQ(ParseElementLine("A = 1,,2").Count(), 3);
}

TEST(ElementLine, UnknownAndRefusedKeywordsNameTheKeyword) {
  std::string message;
  EXPECT_EQ(RaisedCode("A = 0:1", &message), kCeUnknownParam);
  EXPECT_EQ(message, "0");
  EXPECT_EQ(RaisedCode("A = 1A:1, -1:2", &message), kCeUnknownParam);
  EXPECT_EQ(message, "-1");  // the last unknown keyword is named
  EXPECT_EQ(RaisedCode("A = 1:x, 12:y"), 0);

  const TElementLine line = ParseElementLine("A = 1, KEY:[A], 3:Z");
  EXPECT_NO_THROW(line.CheckAllowed(TParamSet{kPkPositional, kPkKey, kPkNumbered}));
  try {
    line.CheckAllowed(TParamSet{kPkPositional, kPkKey});
    ADD_FAILURE();
  } catch (const TCompileError& e) {
    EXPECT_EQ(e.Code, kCeParamNotAllowed);
    EXPECT_EQ(e.Message, "3");
  }
  EXPECT_THROW(line.Find(kPkName, 25), TCompileError);
  EXPECT_THROW(BracketedInside("[]", 43), TCompileError);
  EXPECT_THROW(BracketedInside("A", 43), TCompileError);
  EXPECT_EQ(BracketedInside(" [ a ] ", 43), "A");
}

TEST(CompileErrors, MessagesCarryTheLineAndTheFixedText) {
  auto utf8 = [](int code, int line, std::string_view message = {}) {
    return Cp1251ToUtf8(CompileErrorMessage(code, line, message));
  };
  EXPECT_EQ(utf8(1, 3), "Ошибка в строке 3:  Не закрыта предыдущая секция ");
  EXPECT_EQ(utf8(13, -1), " Не указана ширина бланка ");
  EXPECT_EQ(utf8(256, 2, "ZZ"), "Ошибка в строке 2:  Неизвестный параметр 'ZZ'");
  EXPECT_EQ(utf8(257, 2, "KEY"), "Ошибка в строке 2:  Недопустимый параметр 'KEY'");
  EXPECT_EQ(utf8(-1, 4, "Нет доступа к базе X"_w), "Ошибка в строке 4: Нет доступа к базе X");
  EXPECT_EQ(utf8(-2, 4, "as is"), "as is");
  EXPECT_EQ(utf8(65535, 1), "Ошибка в строке 1:  Неизвестная ошибка ");
  EXPECT_EQ(utf8(137, 0), "Ошибка в строке 0:  Не найден типовой формат бумаги ");
  // The word with Latin letters, and the line break of code 10.
  EXPECT_EQ(CompileErrorFixedText(15).substr(1, 14), "Несуществующee"_wv);
  EXPECT_NE(CompileErrorFixedText(10).find('\r'), std::string_view::npos);
  EXPECT_EQ(CompileErrorFixedText(138), "");
  EXPECT_EQ(CompileErrorFixedText(0), "");
}

}  // namespace
}  // namespace vm
