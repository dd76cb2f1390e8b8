// The system variables every document and blank can show (CURDATE,
// NO_OPERAT, CURTIME) and the reserved record-number field.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "foundation/tables/dbf.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"
#include "foundation/values/values.h"

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
// CURDATE and CURTIME (with seconds) of a moment.
void SetSysVarMoment(const TDateRec& date, const TTimeRec& time);

// The fields every database of the configuration carries first: the record
// number "NO__" N(10,0).
std::span<const TFieldRecord> ReservedFields();
// The 1-based index of the reserved field whose name equals Name
// upper-cased; -1 if none.
int IndexOfReservedField(std::string_view name);

}  // namespace vm
