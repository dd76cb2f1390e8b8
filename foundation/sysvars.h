// The system variables every document and blank can show (CURDATE,
// NO_OPERAT, CURTIME), the display text of a value held as text, the
// reserved record-number field and two small operations on typed values.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "foundation/dbf.h"
#include "foundation/values.h"

namespace vm {

inline constexpr int kSysVarCurDate = 1;
inline constexpr int kSysVarNoOperat = 2;
inline constexpr int kSysVarCurTime = 3;

// The index 1..3 of the system variable whose name equals Name upper-cased
// (no trimming); -1 if none.
int FindSysVar(std::string_view name);
// The value text of entry Index formatted by its kind (FormatValueText).
// An index outside 1..3 gives "".
std::string GetSysVarText(int index, int mode, int decimals);
// The typed value of entry Index; an index outside 1..3 gives an empty
// value of kind '-'.
TCommonVar GetSysVarValue(int index);
// Stores the value text of entry Index (ignored outside 1..3): CURDATE as
// "d.mm.yyyy", NO_OPERAT as an integer, CURTIME as "h:mm.ss".
void SetSysVarText(int index, std::string_view text);
// Back to the values at start: CURDATE empty, NO_OPERAT "1", CURTIME "0".
void ResetSysVars();

// The fields every database of the configuration carries first: the record
// number "NO__" N(10,0).
std::span<const TFieldRecord> ReservedFields();
// The 1-based index of the reserved field whose name equals Name
// upper-cased; -1 if none.
int IndexOfReservedField(std::string_view name);

// The display text of a value held as text, by its kind letter. With Mode 0
// only times and computed columns ('E', whose text is AltText) change;
// otherwise dates get the long form, numbers ('N', and 'R' without decimals
// when whole) are rewritten with Decimals decimals. False, with Result left
// as it was, for an unknown kind.
bool FormatValueText(std::string_view text, char kind, int mode, int decimals,
                     std::string_view altText, std::string& result);

// Empties the text and zeroes the number, date and time; the kind stays.
void ClearValue(TCommonVar& v);

// X rounded to nine decimals, halves to even.
long double RoundTo9Places(long double x);

}  // namespace vm
