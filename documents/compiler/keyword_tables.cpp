#include "documents/compiler/keyword_tables.h"

#include "foundation/text/strutils.h"
#include "language/expr_types.h"
#include "language/stmt_compiler.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr std::array<std::string_view, kSectionKeywordCount> kSectionKeywords = {
    "ENDSECTION",    "VARS",          "USEDBASES",    "LOADINGS",      "FORMS",
    "VIEWS",         "CHECK",         "INIT",         "WORK",          "FINAL",
    "BLANK",         "HELPS",         "QUESTIONS",    "BASEQUESTIONS", "INFORMSTRING",
    "INFODESK",      "SUBROUTINE",    "ENDSUB",       "FORMCHANGE",    "ENDFORMCHANGE",
    "ADDTOHELP",     "ENDTOHELP",     "ADDBASE",      "ENDADDBASE",    "LASTTABLEPROG",
    "ENDLAST",       "SOFTBASES",     "ADDFROMHELP",  "ENDFROMHELP",   "PRICE",
    "PRELASTPROG",   "ENDPRELAST",    "AFTERLOADHELP", "ENDAFTERLOAD", "SELECTS",
    "SELCHANGE",     "ENDSELCHANGE",  "LISTS",        "PREADDTOHELP",  "ENDPREADD",
    "BUTTONS",       "BUTTONCLICK",   "ENDBUTCLICK",  "PRINTDOCUMENT", "OKPRESS",
    "PRINTPRESS",    "ONDELETEROW",   "ENDDELROW",    "ONADDROW",      "ENDADDROW",
    "SELLIST",       "SELLISTCHANGE", "SCANER",
};

constexpr std::array<std::string_view, kParamKeywordCount> kParamKeywords = {
    "",          "ADDABLE",  "AUTOADD",    "B",         "BASE",         "COND",
    "E",         "EDIT",     "EDITABLE",   "F",         "NOFIND",       "FIELDS",
    "FILTER",    "FORM",     "HELP",       "HINT",      "INPUT",        "KEY",
    "KEYCOL",    "MERGE",    "MESSAGE",    "NAME",      "NEW",          "NOEDIT",
    "ONBASE",    "SEARCH",   "SORTHELPONLY", "STRUCTURE", "TITLE",      "V",
    "VALUES",    "VAR",      "X",          "X1",        "Y",            "Y1",
    "Y2",        "DELETE",   "AUTOPAGE",   "U",         "Q",            "EXPR",
    "HINTHELP",  "SORT",     "NUMBER",     "ZONES",     "COUNT",        "CANCEL",
    "C",         "CLEAR",    "HELPFOCUS",  "CATEGORY",  "LINK",         "CELLSELECT",
    "BASEADD",   "BASEEDIT", "SUBST",      "QUEST",     "X2",           "W",
    "H",         "LISTS",    "WARN",       "OPT",       "DELABLE",      "AUTOSEL",
    "AUTOEDIT",  "FASTDEL",  "MULTSEL",    "SORTTYPE",
};

bool IsParamNumber(std::string_view s) {
  if (s.empty() || s.size() > 5) return false;
  int value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65536;
}

// 1-based index in a keyword table, -1 when absent.
template <std::size_t N>
int IndexIn(const std::array<std::string_view, N>& table, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i)
    if (table[i] == name) return static_cast<int>(i) + 1;
  return -1;
}

template <std::size_t N>
std::string_view EntryOf(const std::array<std::string_view, N>& table, int keyword) {
  if (keyword < 1 || keyword > static_cast<int>(N)) return {};
  return table[static_cast<std::size_t>(keyword - 1)];
}

}  // namespace

int FindSectionKeyword(std::string_view name) { return IndexIn(kSectionKeywords, name); }

std::string_view SectionKeywordName(int keyword) { return EntryOf(kSectionKeywords, keyword); }

int FindParamKeyword(std::string_view name) {
  const std::string key = UpperStr(TrimBlanks(name));
  return IsParamNumber(key) ? kPkNumbered : IndexIn(kParamKeywords, key);
}

std::string_view ParamKeywordName(int keyword) { return EntryOf(kParamKeywords, keyword); }

bool IsReservedWord(std::string_view name) {
  const std::string key = UpperStr(name);
  return FindSectionKeyword(key) > 0 || key == "MAXVAL" || key == "MINVAL" ||
         IsStatementKeyword(key);
}

bool IsIdentifier(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!IsIdentChar(RusUpCase(c))) return false;
  return true;
}

}  // namespace vm
