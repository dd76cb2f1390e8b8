// The two keyword tables of document descriptions: the keywords that open,
// close and name sections and event blocks, and the keywords that element
// lines give their parameters. Both are data, in the order their indexes
// are stored and compared.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vm {

enum TSectionKeyword : int {
  kSkEndSection = 1, kSkVars, kSkUsedBases, kSkLoadings, kSkForms, kSkViews, kSkCheck,
  kSkInit, kSkWork, kSkFinal, kSkBlank, kSkHelps, kSkQuestions, kSkBaseQuestions,
  kSkInformString, kSkInfoDesk, kSkSubroutine, kSkEndSub, kSkFormChange, kSkEndFormChange,
  kSkAddToHelp, kSkEndToHelp, kSkAddBase, kSkEndAddBase, kSkLastTableProg, kSkEndLast,
  kSkSoftBases, kSkAddFromHelp, kSkEndFromHelp, kSkPrice, kSkPreLastProg, kSkEndPreLast,
  kSkAfterLoadHelp, kSkEndAfterLoad, kSkSelects, kSkSelChange, kSkEndSelChange, kSkLists,
  kSkPreAddToHelp, kSkEndPreAdd, kSkButtons, kSkButtonClick, kSkEndButClick,
  kSkPrintDocument, kSkOkPress, kSkPrintPress, kSkOnDeleteRow, kSkEndDelRow, kSkOnAddRow,
  kSkEndAddRow, kSkSelList, kSkSelListChange, kSkScaner,
};
inline constexpr int kSectionKeywordCount = 53;

enum TParamKeyword : int {
  kPkNumbered = 0,  // "1:", "2:" ...
  kPkPositional = 1, kPkAddable, kPkAutoAdd, kPkB, kPkBase, kPkCond, kPkE, kPkEdit,
  kPkEditable, kPkF, kPkNoFind, kPkFields, kPkFilter, kPkForm, kPkHelp, kPkHint, kPkInput,
  kPkKey, kPkKeyCol, kPkMerge, kPkMessage, kPkName, kPkNew, kPkNoEdit, kPkOnBase, kPkSearch,
  kPkSortHelpOnly, kPkStructure, kPkTitle, kPkV, kPkValues, kPkVar, kPkX, kPkX1, kPkY, kPkY1,
  kPkY2, kPkDelete, kPkAutoPage, kPkU, kPkQ, kPkExpr, kPkHintHelp, kPkSort, kPkNumber,
  kPkZones, kPkCount, kPkCancel, kPkC, kPkClear, kPkHelpFocus, kPkCategory, kPkLink,
  kPkCellSelect, kPkBaseAdd, kPkBaseEdit, kPkSubst, kPkQuest, kPkX2, kPkW, kPkH, kPkLists,
  kPkWarn, kPkOpt, kPkDelable, kPkAutoSel, kPkAutoEdit, kPkFastDel, kPkMultSel, kPkSortType,
};
inline constexpr int kParamKeywordCount = 70;

// 1..53 for a name exactly as the table has it, else -1.
int FindSectionKeyword(std::string_view name);
std::string_view SectionKeywordName(int keyword);

// Trimmed and upper-cased first: 0 for a number 1..65536 written in digits
// only, 1..70 for a table entry (1 for the empty keyword), -1 otherwise.
int FindParamKeyword(std::string_view name);
std::string_view ParamKeywordName(int keyword);

// A set of parameter keywords: which ones a kind of line admits.
class TParamSet {
 public:
  constexpr TParamSet() = default;
  constexpr TParamSet(std::initializer_list<int> keywords) {
    for (int k : keywords) bits_[static_cast<std::size_t>(k) / 64] |= uint64_t{1} << (k % 64);
  }
  constexpr bool Has(int keyword) const {
    return keyword >= 0 && keyword < 256 &&
           (bits_[static_cast<std::size_t>(keyword) / 64] >> (keyword % 64) & 1) != 0;
  }

 private:
  std::array<uint64_t, 4> bits_{};
};

// Section keyword lines and every line that takes bare values only.
inline constexpr TParamSet kPositionalOnly{kPkPositional};

// Section keywords, MAXVAL, MINVAL and statement keywords, in any case.
bool IsReservedWord(std::string_view name);
// Non-empty, and every character upper-cased an identifier character of
// formulas.
bool IsIdentifier(std::string_view name);

}  // namespace vm
