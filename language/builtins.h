// The routines behind the built-in functions and what the dispatcher hands
// them. Each routine finds its arguments evaluated and type-checked and the
// result's type letter set; it writes the result or an error code.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "foundation/values/values.h"
#include "language/expr_types.h"

namespace vm {

struct TBuiltinCall {
  TOperand& Call;
  TExprContext& Context;
  TCommonVar* Args;
  int ArgCount;
  TCommonVar& Result;
  int& ErrCode;

  // Arguments are numbered from 1.
  const TCommonVar& Arg(int i) const { return Args[i - 1]; }
  const TOperand& ArgNode(int i) const { return Call.Child[static_cast<std::size_t>(i - 1)]; }
  long double Num(int i) const { return Arg(i).Num; }
  const std::string& Str(int i) const { return Arg(i).Str; }
  const TDateRec& Date(int i) const { return Arg(i).Date; }
  const TTimeRec& Time(int i) const { return Arg(i).Time; }
  // Argument i rounded to an integer; false (error -1 set) when that lies
  // outside the 32-bit range.
  bool IntArg(int i, int32_t& value);
  // Argument i as the length of a text to build: at most kMaxTextWidth, so
  // that a formula cannot ask for gigabytes; false (error -1 set) beyond.
  bool WidthArg(int i, int32_t& value);
  bool RoundToInt32(long double x, int32_t& value);

  void SetNum(long double v) { Result.Num = v; }
  void SetStr(std::string s) { Result.Str = std::move(s); }
  void SetDate(const TDateRec& d) { Result.Date = d; }
  void SetTime(const TTimeRec& t) { Result.Time = t; }

  void Fail(int code) { ErrCode = code; }
  // Error -1 with the words that the run-error message shows.
  void FailWith(const std::string& text);
};

// The longest text a built-in pads or widens to.
inline constexpr int32_t kMaxTextWidth = 1 << 20;

// Evaluates the call node of a built-in function.
void CallBuiltinFunction(TOperand& call, int& errCode, TCommonVar& result);

// Numbers, strings and dates.
void FnExp(TBuiltinCall& call);
void FnLn(TBuiltinCall& call);
void FnLg(TBuiltinCall& call);
void FnLog(TBuiltinCall& call);
void FnSqrt(TBuiltinCall& call);
void FnMax(TBuiltinCall& call);
void FnMin(TBuiltinCall& call);
void FnSin(TBuiltinCall& call);
void FnCos(TBuiltinCall& call);
void FnTg(TBuiltinCall& call);
void FnCtg(TBuiltinCall& call);
void FnSign(TBuiltinCall& call);
void FnAtg(TBuiltinCall& call);
void FnAsin(TBuiltinCall& call);
void FnAcos(TBuiltinCall& call);
void FnSinh(TBuiltinCall& call);
void FnCosh(TBuiltinCall& call);
void FnTgh(TBuiltinCall& call);
void FnAsnh(TBuiltinCall& call);
void FnAcsh(TBuiltinCall& call);
void FnAtgh(TBuiltinCall& call);
void FnDate(TBuiltinCall& call);
void FnRound(TBuiltinCall& call);
void FnInt(TBuiltinCall& call);
void FnDiv(TBuiltinCall& call);
void FnMod(TBuiltinCall& call);
void FnYear(TBuiltinCall& call);
void FnDay(TBuiltinCall& call);
void FnMonth(TBuiltinCall& call);
void FnTostr(TBuiltinCall& call);
void FnAbs(TBuiltinCall& call);
void FnTime(TBuiltinCall& call);
void FnTimetostr(TBuiltinCall& call);
void FnStrtotime(TBuiltinCall& call);
void FnNextdate(TBuiltinCall& call);
void FnTonum(TBuiltinCall& call);
void FnChr(TBuiltinCall& call);
void FnOrd(TBuiltinCall& call);
void FnCharatpos(TBuiltinCall& call);
void FnProdname(TBuiltinCall& call);
void FnProdweight(TBuiltinCall& call);
void FnPricestring(TBuiltinCall& call);
void FnGetparamval(TBuiltinCall& call);
void FnSumprop(TBuiltinCall& call);
void FnGetbit(TBuiltinCall& call);
void FnSetbit(TBuiltinCall& call);
void FnRubword(TBuiltinCall& call);
void FnPrevdate(TBuiltinCall& call);
void FnRounddig(TBuiltinCall& call);
void FnRubkop(TBuiltinCall& call);
void FnExpandstring(TBuiltinCall& call);
void FnMonthstring(TBuiltinCall& call);
void FnLen(TBuiltinCall& call);
void FnDatedir(TBuiltinCall& call);
void FnExpandnum(TBuiltinCall& call);
void FnValidhtml(TBuiltinCall& call);
void FnRustoeng(TBuiltinCall& call);
void FnSumdate(TBuiltinCall& call);
void FnSumdateday(TBuiltinCall& call);
void FnShortname(TBuiltinCall& call);
void FnKvartal(TBuiltinCall& call);
void FnTryint(TBuiltinCall& call);
void FnNospace(TBuiltinCall& call);
void FnBegkvart(TBuiltinCall& call);
void FnQuests(TBuiltinCall& call);
void FnCheckfilename(TBuiltinCall& call);
void FnCopystr(TBuiltinCall& call);
void FnInttostr(TBuiltinCall& call);
void FnStrtoint(TBuiltinCall& call);
void FnTimetoseconds(TBuiltinCall& call);
void FnSecondstotime(TBuiltinCall& call);
void FnTimetominutes(TBuiltinCall& call);
void FnMinutestotime(TBuiltinCall& call);
void FnSumpropex(TBuiltinCall& call);
void FnFindword(TBuiltinCall& call);

// The cells of the row a blank is formatting.
void FnCurcol(TBuiltinCall& call);
void FnFirstchar(TBuiltinCall& call);
void FnNumcol(TBuiltinCall& call);

}  // namespace vm
