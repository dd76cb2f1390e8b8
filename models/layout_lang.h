// The table-layout language of blanks: a description such as
//   COLCOUNT=3
//   LEVELCOUNT=2
//   HEADER[1..2]='Товар'
//   FORMAT[1]=C,20,0
//   COLWIDTH[1]=300
// compiles into the columns, cell formats and header cells of a TCurBlank.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "config/blanks.h"
#include "language/expr_types.h"

namespace vm {

// Error codes of a description.
enum TBlankError : int32_t {
  beNoCloseBracket = 1,
  beBadIndex = 2,
  beBadIndexRange = 3,
  beNoColCount = 128,
  beBadNumber = 129,
  beNoLevelCount = 130,
  beBadLevel = 131,
  beColCountAgain = 132,
  beLevelCountAgain = 133,
  beBadLevelCount = 134,
  beBadColCount = 135,
  beLevelBack = 136,
  beHeaderOverlap = 137,
  beBadFormatParams = 138,
  beBadKind = 139,
  beBadColumn = 140,
  beBadString = 141,
  beBadHeaderParams = 142,
  beFormatsMissing = 143,
  beWidthsMissing = 144,
  beBadLineWidth = 145,
  beCondNotBracketed = 146,
  beBadCondFormat = 147,
  beCondCompile = 148,
  beBadCondType = 149,
  beBadAltText = 150,
  beFormatAgain = 151,
  beUnknownCommand = 255,
};

// Compiles blank.Text into the blank. errCode 0 on success; otherwise the
// blank holds no compiled data and errLine is the 0-based description line
// of the error, or -1 when it was found after the last line.
// Conditions compile in CurrentExprContext() and point into it, so the
// blank is cleared before that context goes.
bool CompileBlank(TCurBlank& blank, int32_t& errCode, int32_t& errLine);

// A conditional format's condition over a compiled formula: it holds when
// the formula gives a number other than exactly 0 without an error.
std::unique_ptr<TBlankCondition> MakeFormulaCondition(TExprChain chain);

// The message of an error, headed by its 1-based line when errLine >= 0;
// empty for a code that is no error of the language.
std::string BlankErrorText(int32_t errCode, int32_t errLine);

}  // namespace vm
