// Whole numbers on integers against the long double arithmetic: every
// operator and built-in over the edges of the integer range must give the
// same bits or step aside, and loops run on integers must leave, pump,
// break and fail exactly as the interpreter's own steps do.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "language/number_functions.h"
#include "language/operators.h"
#include "language/program_rig.h"
#include "language/whole_loop.h"
#include "language/whole_numbers.h"

namespace vm::test {
namespace {

// Zero, small numbers, both ends of the integer DIV and MOD, of the exact
// doubles and of the 64-bit range, and the roots of 2^63.
std::vector<int64_t> EdgeValues() {
  const int64_t base[] = {0,
                          1,
                          2,
                          3,
                          7,
                          10,
                          1000000000,
                          1000000001,
                          2147483647,
                          2147483648LL,
                          3037000499LL,
                          3037000500LL,
                          (int64_t{1} << 53) - 1,
                          int64_t{1} << 53,
                          (int64_t{1} << 53) + 1,
                          int64_t{1} << 62,
                          (int64_t{1} << 62) + 1,
                          INT64_MAX - 1,
                          INT64_MAX};
  std::vector<int64_t> values;
  for (const int64_t v : base) {
    values.push_back(v);
    if (v != 0) values.push_back(-v);
  }
  return values;
}

bool SameBits(long double a, long double b) { return a == b && std::signbit(a) == std::signbit(b); }

std::string Pair(int64_t x, int64_t y) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%" PRId64 ", %" PRId64, x, y);
  return buf;
}

TEST(WholeNumbers, OperatorsGiveTheLongDoubleBitsOrStepAside) {
  const std::vector<int64_t> values = EdgeValues();
  for (int op = 1; op <= kOperatorCount; ++op) {
    for (const int64_t x : values) {
      for (const int64_t y : values) {
        long double acc = static_cast<long double>(x);
        const int err = ApplyNumberOperator(op, acc, static_cast<long double>(y));
        int64_t r = 0;
        const bool whole = WholeOperatorOf(op, x, y, r);
        int64_t expected = 0;
        const bool expectWhole = err == 0 && ToWhole(acc, expected);
        ASSERT_EQ(whole, expectWhole) << "op " << op << " of " << Pair(x, y);
        if (whole) {
          ASSERT_EQ(r, expected) << "op " << op << " of " << Pair(x, y);
          ASSERT_TRUE(SameBits(static_cast<long double>(r), acc)) << "op " << op << " of " << Pair(x, y);
        }
      }
    }
  }
}

TEST(WholeNumbers, BuiltInsGiveTheLongDoubleBitsOrStepAside) {
  std::vector<int64_t> values = EdgeValues();
  // Squares, for the root.
  for (const int64_t v : {int64_t{16}, int64_t{1} << 60, int64_t{3037000499} * int64_t{3037000499}}) values.push_back(v);
  for (uint8_t f = kNumFnExp; f <= kNumFnMod; ++f) {
    for (const int64_t x : values) {
      for (const int64_t y : values) {
        const long double v = ApplyNumberFunction(f, static_cast<long double>(x), static_cast<long double>(y));
        int64_t r = 0;
        const bool whole = WholeFunction(f, x, y, r);
        int64_t expected = 0;
        const bool expectWhole = std::isfinite(v) && ToWhole(v, expected);
        ASSERT_EQ(whole, expectWhole) << "function " << int{f} << " of " << Pair(x, y);
        if (whole) {
          ASSERT_TRUE(SameBits(static_cast<long double>(r), v)) << "function " << int{f} << " of " << Pair(x, y);
        }
      }
    }
  }
}

TEST(WholeNumbers, OnlyWholeNumbersUnder2To63AndNoNegativeZeroAreHeld) {
  int64_t w = 0;
  EXPECT_TRUE(ToWhole(0.0L, w));
  EXPECT_FALSE(ToWhole(-0.0L, w));
  EXPECT_FALSE(ToWhole(0.5L, w));
  EXPECT_FALSE(ToWhole(1e-10L, w));
  EXPECT_TRUE(ToWhole(9223372036854775807.0L, w));
  EXPECT_EQ(w, INT64_MAX);
  EXPECT_FALSE(ToWhole(9223372036854775808.0L, w));
  EXPECT_FALSE(ToWhole(-9223372036854775808.0L, w));
  EXPECT_FALSE(ToWhole(NAN, w));
  EXPECT_FALSE(ToWhole(INFINITY, w));
}

// What a run left: every variable to the bit, the pumps with the variables
// at each, the error and its line and what the user was shown.
std::string Outcome(ProgramRig& rig, const std::vector<std::string>& names,
                    const std::function<void(ProgramRig&, int)>& onPump = {}) {
  const auto values = [&] {
    std::string s;
    for (const std::string& n : names) {
      const TCommonVar& v = rig.Value(n);
      unsigned char bytes[10];
      std::memcpy(bytes, &v.Num, sizeof bytes);
      s += " " + n + "=" + v.Kind;
      char hex[3];
      for (const unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        s += hex;
      }
    }
    return s;
  };
  std::string pumps;
  int pump = 0;
  rig.Ui.OnPump = [&](int) {
    pumps += "\n pump" + values();
    if (onPump) onPump(rig, ++pump);
  };
  const int code = rig.Exec();
  std::string s = "run " + std::to_string(code) + " line " + std::to_string(Interp().ErrorLine());
  for (std::size_t i = 0; i < rig.Ui.Boxes.size(); ++i) s += " box " + rig.Box(i);
  return s + values() + pumps;
}

std::string RunWith(bool wholeLoops, const std::string& program, const std::vector<std::string>& names,
                    const std::function<void(ProgramRig&, int)>& onPump = {}) {
  SetWholeLoops(wholeLoops);
  ProgramRig rig;
  for (const std::string& n : names) rig.Var(n, Num(n == "N" ? 1 : 0));
  rig.Var("X", Num(0.5L));
  rig.Var("T", Str(""));
  EXPECT_EQ(rig.Compile(program), 0) << program << rig.Message;
  const std::string outcome = Outcome(rig, names, onPump);
  SetWholeLoops(true);
  return outcome;
}

TEST(WholeLoops, LeaveWhatTheInterpretersStepsLeave) {
  const std::vector<std::string> names = {"I", "J", "A", "B", "C", "S", "Z", "N"};
  const char* programs[] = {
      // The benchmark's loop.
      "WHILE I, 1, I+1, I<=1000\n IF MOD(I, 3) = 0\n THEN\n  S := S + I\n ENDIF\nENDWHILE",
      // Past 2^53 and past 2^63: the loop goes on in long doubles.
      "A := 1\nS := -1\nWHILE I, 1, I+1, I<=70\n A := A * 2 + 1\n S := S * 3\n B := A - S\nENDWHILE",
      "A := 9007199254740985\nB := 9223372036854775797\nWHILE I, 1, I+1, I<=20\n A := A + 1\n B := B + 1\n"
      " C := B - A\nENDWHILE",
      "A := -9223372036854775797\nWHILE I, 1, I+1, I<=20\n A := A - 1\n B := A * A\n C := A / 3\nENDWHILE",
      "A := 3037000490\nWHILE I, 1, I+1, I<=20\n A := A + 1\n B := A ^ 2\n C := A * A * 2\nENDWHILE",
      // DIV and MOD of negatives and by negatives, small and large.
      "WHILE I, -40, I+1, I<=40\n A := A + DIV(I, 7) + MOD(I, -3)\n B := B + MOD(I * 100000000000, 7)\n"
      " C := DIV(I, 3)\n IF MOD(I, 4) = -1\n THEN\n  S := S + I\n ENDIF\n IF DIV(I, -5) <= -2\n THEN\n"
      "  Z := Z + 1\n ENDIF\nENDWHILE",
      "WHILE I, -5, I+1, I<=5\n A := MOD(I, 1000000001)\n B := DIV(2147483648, I + 6)\nENDWHILE",
      // Negative zeros: a product, a quotient and a DIV that come to zero
      // from below, left so by the last turn.
      "WHILE I, 3, I-1, I>=-3\n Z := I * 0\n A := 0 / (I - 4)\n B := DIV(I, 5)\n C := Z + 0\nENDWHILE",
      "WHILE I, 3, I-1, I>=-3\n Z := I * 0\nENDWHILE",
      // Fractions: halves that stop being whole, and quotients that are whole only sometimes.
      "A := 1000\nWHILE I, 1, I+1, I<=30\n A := A / 2\n B := I / 3\n C := C + B\nENDWHILE",
      "WHILE I, 1, I+1, I<=10\n A := A + X\n B := B + I\nENDWHILE",
      // Powers, roots and the other built-ins.
      "WHILE I, -6, I+1, I<=6\n A := I ^ 2\n B := I ^ 3\n C := 2 ^ I\n S := SQRT(A) + ABS(I) + SIGN(I)\n"
      " Z := MAX(I, 2) - MIN(I, -2) + ROUND(I) + INT(I) + EXP(0)\nENDWHILE",
      // Errors inside the loop, each on its own line.
      "WHILE I, -3, I+1, I<=3\n A := 12 / I\nENDWHILE",
      "WHILE I, 1, I+1, I<=500\n S := S + I\n A := S / (I - 250)\nENDWHILE",
      "WHILE I, 1, I+1, I<=10\n A := SQRT(5 - I)\nENDWHILE",
      // Nested loops, an ELSE, a jump out and back, a comparison of two variables.
      "WHILE I, 1, I+1, I<=30\n WHILE J, 1, J+1, J<=I\n  IF MOD(J, 2) = 0\n  THEN\n   A := A + J\n  ELSE\n"
      "   B := B - J\n  ENDIF\n ENDWHILE\n IF A >= B\n THEN\n  C := C + 1\n ENDIF\nENDWHILE",
      "LABEL TOP\nI := I + 1\nWHILE J, 1, J+1, J<=7\n IF J = 5\n THEN\n  GOTO OUT\n ENDIF\n A := A + J\nENDWHILE\n"
      "LABEL OUT\nIF I < 40\nTHEN\n GOTO TOP\nENDIF",
      // A statement of another kind in the loop: no integer run at all.
      "WHILE I, 1, I+1, I<=300\n T := 'x'\n A := A + I\nENDWHILE",
      // A loop of 10^4 turns over many pumps.
      "WHILE I, 1, I+1, I<=10000\n S := S + I * I\n IF S > 100000\n THEN\n  S := S - 100000\n  N := N + 1\n ENDIF\n"
      "ENDWHILE",
  };
  for (const char* body : programs) {
    const std::string program = std::string(body) + "\nENDSECTION";
    SCOPED_TRACE(program);
    EXPECT_EQ(RunWith(true, program, names), RunWith(false, program, names));
  }
}

// What the windows do while the loop lets them breathe: a variable the
// loop reads or stores changed, made a fraction and whole again, the loop
// variable among them.
TEST(WholeLoops, ReadAgainWhatChangedWhileTheWindowsBreathed) {
  const std::vector<std::string> names = {"I", "A", "S", "N"};
  const std::string program = "WHILE I, 1, I+1, I<=2000\n A := A + 1\n S := S + A * N\nENDWHILE\nENDSECTION";
  const auto change = [](ProgramRig& rig, int pump) {
    TVariable* a = rig.Target.Symbols().FindVariable("A");
    TVariable* n = rig.Target.Symbols().FindVariable("N");
    TVariable* i = rig.Target.Symbols().FindVariable("I");
    switch (pump % 5) {
      case 1:
      case 2: a->Value.Num += 0.5L; break;
      case 3: n->Value.Num = -n->Value.Num; break;
      default: i->Value.Num += 0.5L; break;
    }
  };
  EXPECT_EQ(RunWith(true, program, names, change), RunWith(false, program, names, change));
}

TEST(WholeLoops, AreMadeForLoopsOfNumbersOnly) {
  ProgramRig rig;
  rig.Zeros({"I", "S"});
  rig.Var("T", Str(""));
  ASSERT_EQ(rig.Compile("WHILE I, 1, I+1, I<=10\n IF MOD(I, 3) = 0\n THEN\n  S := S + I\n ENDIF\nENDWHILE\n"
                        "WHILE I, 1, I+1, I<=10\n T := 'x'\nENDWHILE\n"
                        "WHILE I, 1, I+1, I<=10\n S := S + 0.5\nENDWHILE\nENDSECTION"),
            0);
  std::vector<const TInstruction*> tests;
  for (const TInstruction* in = rig.Main; in != nullptr && in->Opcode != kOpEnd; in = in->Opcode == kOpWhileTest ? in->Jump : in->Next)
    if (in->Opcode == kOpWhileTest) tests.push_back(in);
  ASSERT_EQ(tests.size(), 3u);
  EXPECT_NE(TWholeLoop::Build(*tests[0]), nullptr);
  EXPECT_EQ(TWholeLoop::Build(*tests[1]), nullptr);
  EXPECT_EQ(TWholeLoop::Build(*tests[2]), nullptr);
  // The first runs on integers and leaves the same sum.
  EXPECT_EQ(rig.Exec(), 0);
  EXPECT_EQ(rig.Num("S"), 18 + 5);
  EXPECT_NE(rig.Main->Next->WholeLoop, nullptr);
}

}  // namespace
}  // namespace vm::test
