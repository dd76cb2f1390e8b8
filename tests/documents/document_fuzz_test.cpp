// Mutated descriptions fed to the document compiler with fixed seeds: it
// must never crash or hang, and every failure must be a numbered error
// with its message.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "documents/compile_errors.h"
#include "documents/doc_rig.h"

namespace vm::test {
namespace {

// Whole sections and blocks; a description is a random run of them.
const std::vector<std::vector<const char*>> kBlocks = {
    {"BLANK", "WIDTH = 500", "PRINTCOPIES = 3", "PAPER = A5", "AUTOPRINT = E:1, U:1, Q:0",
     "EXITCONFIRM = 'x', 1", "ENTERCONFIRM = 'y'#65", "SCROLL = 1", "ENDSECTION"},
    {"VARS", "A, B = N", "S = C", "D = D", "T = T", "X = N, _", "  C", "ENDSECTION"},
    {"USEDBASES", "G = NAME:GOODS, KEY:[NAME, QTY], FILTER:[G.QTY > 1]", "H = NAME:GOODS, KEY:[SOLD]", "ENDSECTION"},
    {"INIT", "A := 1", "CALL SUB1", "REENTRY", "IF A > 1", "THEN", "S := 'a;b' ; note", "ENDIF", "ENDSECTION"},
    {"WORK", "WHILE A, 1, A+1, A<3", "B := B + A", "ENDWHILE", "ENDSECTION"},
    {"SUBROUTINE = SUB1", "B := B * 2", "CALL SUB1", "ENDSUB"},
    {"ADDBASE = G", "A := G.QTY", "G.QTY := A", "ENDADDBASE"},
    {"FORMS", "T1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1, 3], MERGE:[2, 0], NOEDIT:[2], AUTOSEL:[1],"
     " LINK:[[BASE:G, SEARCH:[G.QTY], SUBST:[2:G.QTY, 1:G.NAME]]], SORT:1",
     "T2 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[2], HELP:[NAME:H1, 1:NAME], LISTS:[1:L1]", "ENDSECTION"},
    {"ONADDROW = T1", "T1CURRENTROW := T1[2, 1]", "ENDADDROW"},
    {"FORMCHANGE = T1", "ENDFORMCHANGE"},
    {"SELCHANGE = S1", "ENDSELCHANGE"},
    {"BUTTONCLICK = B1", "ENDBUTCLICK"},
    {"OKPRESS", "CANCLOSE := 1", "ENDSECTION"},
    {"FINAL", "ENDSECTION"},
    {"SCANER", "S := SCANSTRING", "ENDSECTION"},
    {"LOADINGS", "L1 = BASE:G", "ENDSECTION"},
    {"ENDSUB"},
    {"; a comment only", ""},
};

std::string Mutate(std::string line, std::mt19937& rng) {
  if (line.empty()) return line;
  const std::size_t at = rng() % line.size();
  switch (rng() % 6) {
    case 0: line.erase(at, 1); break;
    case 1: line.insert(at, 1, static_cast<char>(rng() % 256)); break;
    case 2: line[at] = " ,()[]'%.:=_;#\t"[rng() % 15]; break;
    case 3: line = line.substr(0, at); break;
    case 4: line += " _"; break;
    default: line.insert(at, kBlocks[rng() % kBlocks.size()][0]); break;
  }
  return line;
}

std::string RandomDescription(std::mt19937& rng) {
  std::vector<std::string> lines;
  const int blocks = static_cast<int>(rng() % 8);
  for (int b = 0; b < blocks; ++b)
    for (const char* line : kBlocks[rng() % kBlocks.size()])
      if (rng() % 16 != 0) lines.emplace_back(line);
  for (std::string& line : lines)
    if (rng() % 12 == 0) line = Mutate(std::move(line), rng);
  if (!lines.empty() && rng() % 6 == 0) lines.resize(rng() % lines.size());
  std::string text;
  for (const std::string& line : lines) text += line + (rng() % 10 == 0 ? "\r\n" : "\n");
  if (rng() % 3 == 0 && !text.empty()) text.pop_back();
  return text;
}

bool IsNumberedError(int code) {
  return (code >= 1 && code <= 137) || code == kCeMessage || code == kCeProgramMessage ||
         code == kCeUnknownParam || code == kCeParamNotAllowed;
}

TEST(DocumentFuzz, MutatedDescriptionsFailOnlyWithNumberedErrors) {
  DocRig rig;
  for (unsigned seed : {1u, 7u, 42u, 2026u}) {
    std::mt19937 rng(seed);
    int compiled = 0;
    for (int i = 0; i < 1500; ++i) {
      const std::string text = RandomDescription(rng);
      rig.Ui.Boxes.clear();
      const int code = CompileDocument(rig.Doc, {"FUZZ", text, rng() % 8 == 0}, rig.Context, rig.Line);
      if (code == 0) {
        ++compiled;
        EXPECT_TRUE(rig.Doc.Compiled);
        EXPECT_TRUE(rig.Ui.Boxes.empty());
        continue;
      }
      EXPECT_TRUE(IsNumberedError(code)) << code << "\n" << text;
      EXPECT_FALSE(rig.Doc.Compiled);
      EXPECT_FALSE(rig.Doc.ErrorMessage.empty()) << text;
      ASSERT_EQ(rig.Ui.Boxes.size(), 1u) << text;
      EXPECT_GE(rig.Line, -1);
    }
    // The mutations must leave enough whole descriptions to reach the end.
    EXPECT_GT(compiled, 0) << seed;
  }
}

}  // namespace
}  // namespace vm::test
