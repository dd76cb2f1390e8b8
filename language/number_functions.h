// The arithmetic of the built-ins that take numbers and give a number, kept
// apart from their routines so that the evaluator can call it straight when
// every argument is a plain number, without an argument frame. Each fails
// exactly where its result is not finite; the evaluator then runs the
// routine, which names the error.
#pragma once

namespace vm {

using TNumberFunction = long double (*)(const long double* args);

// nullptr for a function without such arithmetic.
TNumberFunction NumberFunction(int funcNo);

long double ExpOf(long double x);
long double SqrtOf(long double x);
long double MaxOf(long double a, long double b);
long double MinOf(long double a, long double b);
long double SignOf(long double x);
long double RoundOf(long double x);
long double IntOf(long double x);
long double AbsOf(long double x);
long double DivOf(long double a, long double b);
long double ModOf(long double a, long double b);

}  // namespace vm
