#include "documents/compiler/element_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "documents/compiler/compile_errors.h"
#include "documents/compiler/keyword_tables.h"
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
  EXPECT_EQ(std::tuple(FindSectionKeyword("ENDSECTION"), FindSectionKeyword("BLANK"), FindSectionKeyword("SCANER")),
            std::tuple(1, 11, 53));
  EXPECT_EQ(FindSectionKeyword("vars"), -1);  // the caller upper-cases
  EXPECT_EQ(FindSectionKeyword(""), -1);
  for (int k = 1; k <= kSectionKeywordCount; ++k)
    EXPECT_EQ(FindSectionKeyword(SectionKeywordName(k)), k);

  EXPECT_EQ(std::tuple(FindParamKeyword(""), FindParamKeyword("addable"), FindParamKeyword(" KeyCol "),
                       FindParamKeyword("SORTTYPE")),
            std::tuple(kPkPositional, 2, 19, 70));
  for (int k = 1; k <= kParamKeywordCount; ++k)
    EXPECT_EQ(FindParamKeyword(ParamKeywordName(k)), k);
  // Numbered parameters, and what only looks like one.
  for (const char* good : {"1", "65536"}) EXPECT_EQ(FindParamKeyword(good), kPkNumbered) << good;
  for (const char* bad : {"0", "-1", "1A", "65537", "+1", "NOPE"}) EXPECT_EQ(FindParamKeyword(bad), -1) << bad;
}

TEST(KeywordTables, ReservedWordsAndIdentifiers) {
  for (const char* word : {"minval", "MAXVAL", "vars", "ENDSUB", "while", "CALL", "ENDSECTION"})
    EXPECT_TRUE(IsReservedWord(word)) << word;
  for (const char* word : {"TOTAL", "MINVALUE", ""}) EXPECT_FALSE(IsReservedWord(word)) << word;
  for (const std::string& word : {std::string("a.b_1"), "Сумма"_w}) EXPECT_TRUE(IsIdentifier(word)) << word;
  for (const char* word : {"", "A B", "A:1"}) EXPECT_FALSE(IsIdentifier(word)) << word;
}

TEST(ElementLine, NameAndParametersInLineOrder) {
  const TElementLine a = ParseElementLine(" a = 1, B:2 ");
  ASSERT_EQ(a.Count(), 2);
  EXPECT_EQ(std::tuple(a.Name, a.At(0)->Keyword, a.At(0)->Value, a.At(1)->Keyword, a.At(1)->Value, a.At(2) == nullptr),
            std::tuple("A", "", "1", "B", "2", true));

  // Separators inside quotes and brackets separate nothing; values keep case.
  const TElementLine q = ParseElementLine("T = FILTER:'a,b:c=d', KEY:[x, y], H:(1,2:3), name:'Ab'");
  ASSERT_EQ(q.Count(), 4);
  EXPECT_EQ(std::tuple(q.At(0)->Value, q.At(1)->Value, q.At(2)->Value, q.At(3)->Keyword, q.At(3)->Value,
                       q.Find(kPkKey)->Value, q.Find(kPkForm) == nullptr),
            std::tuple("'a,b:c=d'", "[x, y]", "(1,2:3)", "NAME", "'Ab'", "[x, y]", true));

  const TElementLine word = ParseElementLine("vars");
  EXPECT_EQ(std::pair(word.Name, word.Count()), std::pair(std::string("VARS"), 0));
  const TElementLine two = ParseElementLine("VARS X");
  ASSERT_EQ(two.Count(), 1);
  EXPECT_EQ(std::pair(two.Name, two.At(0)->Value), std::pair(std::string(), std::string("VARS X")));

  const TElementLine numbered = ParseElementLine("HELP = 1:NAME, 12:QTY");
  EXPECT_EQ(std::pair(numbered.Find(-12)->Value, numbered.Find(-2) == nullptr), std::pair(std::string("QTY"), true));
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
