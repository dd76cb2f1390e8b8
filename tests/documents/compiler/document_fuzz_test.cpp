// Mutated descriptions fed to the document compiler with fixed seeds: it
// must never crash or hang, and every failure must be a numbered error
// with its message.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "documents/compiler/compile_errors.h"
#include "documents/doc_rig.h"

namespace vm::test {
namespace {

// Whole sections and blocks, in an order in which each names only what
// comes before it; the first kDefinitions blocks declare what the others
// name. A description is a random run of them.
const std::vector<std::vector<const char*>> kBlocks = {
    {"BLANK", "WIDTH = 500", "PRINTCOPIES = 3", "PAPER = A5", "AUTOPRINT = E:1, U:1, Q:0",
     "EXITCONFIRM = 'x', 1", "ENTERCONFIRM = 'y'#65", "SCROLL = 1", "ENDSECTION"},
    {"VARS", "A, B = N", "S = C", "D = D", "T = T", "X, _", "  Y = N", "ENDSECTION"},
    {"USEDBASES", "G = NAME:GOODS, KEY:[NAME, QTY], FILTER:[G.QTY > 1]", "H = NAME:GOODS, KEY:[SOLD]", "ENDSECTION"},
    {"SOFTBASES", "SB = STRUCTURE:[[CODE, N, 10, 0], [NAME, C, 30, 0], [DAY, D, 8, 0]], KEY:[CODE]", "ENDSECTION"},
    {"HELPS",
     "H1 = FORM:GOODSB, BASE:H, KEYCOL:[3], FIELDS:[NAME, , SOLD], TITLE:'t', SORT:0, SORTHELPONLY:0,"
     " CATEGORY:[1, H.NAME, 'A'], OPT:[['a', 1], ['b', H.QTY > 1]]",
     "H2 = FORM:GOODSB, BASE:SB, KEYCOL:[2], EXPR:[SB.NAME, SB.CODE, SB.DAY, 1], TITLE:'e'#33,"
     " FILTER:[SB.CODE > 0]",
     "ENDSECTION"},
    {"LISTS", "F1 = TITLE:'l', W:10, H:20", "ENDSECTION"},
    {"SELECTS", "S1 = X1:0, X2:100, Y1:0, F:40, B:1, V:1 > 0", "ENDSECTION"},
    {"SELLIST", "SL = X1:0, X2:9, Y1:0, Y2:9", "ENDSECTION"},
    {"BUTTONS", "B1 = X1:0, X2:9, Y1:0, Y2:9, TITLE:'b' + 'c'", "ENDSECTION"},
    {"FORMS", "T1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1, 3], MERGE:[2, 0], NOEDIT:[2], AUTOSEL:[1],"
     " LINK:[[BASE:G, SEARCH:[G.QTY], SUBST:[2:G.QTY, 1:G.NAME]]], SORT:1", "ENDSECTION"},
    {"SUBROUTINE = SUB1", "B := B * 2", "CALL SUB1", "ENDSUB"},
    {"FORMS", "T2 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[3], HELP:[NAME:H1, 1:NAME], HINT:['h'], LISTS:[1:F1]",
     "ENDSECTION"},
    {"PRICE", "PRICEKIND = NUMBER:1, COUNT:2, ZONES:[1:'a', 2:T1[1, 1]], EDITABLE:0", "ENDSECTION"},
    {"INIT", "A := 1", "CALL SUB1", "REENTRY", "IF A > 1", "THEN", "S := 'a;b' ; note", "ENDIF", "ENDSECTION"},
    {"WORK", "WHILE A, 1, A+1, A<3", "B := B + A", "ENDWHILE", "ENDSECTION"},
    {"ADDBASE = G", "A := G.QTY", "G.QTY := A", "ENDADDBASE"},
    {"ONADDROW = T1", "T1CURRENTROW := T1[2, 1]", "ENDADDROW"},
    {"FORMCHANGE = T1", "ENDFORMCHANGE"},
    {"ADDTOHELP = H1", "A := 1", "ENDTOHELP"},
    {"SELCHANGE = S1", "ENDSELCHANGE"},
    {"SELLISTCHANGE = SL", "ENDSELCHANGE"},
    {"BUTTONCLICK = B1", "ENDBUTCLICK"},
    {"OKPRESS", "CANCLOSE := 1", "ENDSECTION"},
    {"FINAL", "ENDSECTION"},
    {"SCANER", "S := SCANSTRING", "ENDSECTION"},
    {"LOADINGS", "L1 = FORM:T1, BASE:G, VALUES:[3:G.SOLD, 1:G.NAME], FILTER:[G.QTY > 1], SORT:0, DELETE:1, CLEAR:0",
     "L2 = FORM:T1, BASE:H, VALUES:[2:G.QTY]", "ENDSECTION"},
    {"VIEWS", "[A]:10:2 = X:1, Y:2, E:1, V:[A], B:1, F:40, AUTOPAGE:1, C:T1", "['s' + S] = X:3, Y:4", "ENDSECTION"},
    {"INFODESK", "SIZE = X:300, Y:200", "[D] = X:1, Y:1, E:1", "[(T)]:5 = X:2, Y:2", "ENDSECTION"},
    {"INFORMSTRING", "[S + 'a']", "ENDSECTION"},
    {"CHECK", "COMMONCHECK = COND:[A > 0], MESSAGE:['m']",
     "T1 = COND:[A], EDIT:[0, 2], MESSAGE:['x'], ONBASE:G, DELETE:1, NOFIND:[A, 'n']", "ENDSECTION"},
    {"QUESTIONS", "Q1 = TITLE:'t', INPUT:[['a', A, 10, 2], ['b'#66, S, 0, 0]], CANCEL:1", "ENDSECTION"},
    {"BASEQUESTIONS", "BQ = TITLE:'t', BASE:G, FIELDS:[['n', G.NAME]], VAR:A, FILTER:[G.QTY > 0], NEW:[['n', NAME]], SORT:[1]",
     "ENDSECTION"},
    {"WORK", "EXECLOAD L1", "EXECQUESTION Q1", "EXECQUESTION BQ", "ENDSECTION"},
    {"ENDSUB"},
    {"; a comment only", ""},
};

constexpr std::size_t kDefinitions = 11;
// The last blocks are noise that fails whatever surrounds it.
constexpr std::size_t kNoise = 2;

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
  // Half the runs keep the blocks' order, with every declaration and few
  // faults, so that whole descriptions with many sections compile often
  // enough to reach the checks after the last line.
  const bool ordered = rng() % 2 == 0;
  const unsigned faultRate = ordered ? 96 : 12;
  auto add = [&](const std::vector<const char*>& block) {
    for (const char* line : block)
      if (rng() % (faultRate + 4) != 0) lines.emplace_back(line);
  };
  if (ordered) {
    for (std::size_t b = 0; b + kNoise < kBlocks.size(); ++b)
      if (b < kDefinitions || rng() % 2 == 0) add(kBlocks[b]);
  } else {
    const int blocks = static_cast<int>(rng() % 8);
    for (int b = 0; b < blocks; ++b) add(kBlocks[rng() % kBlocks.size()]);
  }
  for (std::string& line : lines)
    if (rng() % faultRate == 0) line = Mutate(std::move(line), rng);
  if (!lines.empty() && rng() % (faultRate / 2) == 0) lines.resize(rng() % lines.size());
  std::string text;
  for (const std::string& line : lines) text += line + (rng() % 10 == 0 ? "\r\n" : "\n");
  if (rng() % 3 == 0 && !text.empty()) text.pop_back();
  return text;
}

// A description that compiles, every section of it in use; the deep fuzz
// mutates a few of its lines so that the mutations reach the sections
// behind the ones they need.
const std::vector<const char*> kWhole = {
    "BLANK", "WIDTH = 500", "ENDSECTION",
    "VARS", "A, R = N", "S = C", "D = D", "T = T", "ENDSECTION",
    "USEDBASES", "G = NAME:GOODS, KEY:[NAME]", "H = NAME:GOODS, KEY:[SOLD], FILTER:[H.QTY > 1]", "ENDSECTION",
    "FORMS", "T1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1], SORT:1", "ENDSECTION",
    "FORMCHANGE = T1", "A := A + T1CURRENTROW", "ENDFORMCHANGE",
    "LOADINGS", "L1 = FORM:T1, BASE:G, VALUES:[3:G.SOLD, 1:G.NAME], FILTER:[G.QTY > 1], SORT:0, DELETE:1, CLEAR:0",
    "L2 = FORM:T1, BASE:H, VALUES:[2:H.QTY]", "ENDSECTION",
    "VIEWS", "[A]:10:2 = X:1, Y:2, E:1, V:[A], B:1, F:40, AUTOPAGE:1, C:T1", "['s' + S] = X:3, Y:4", "ENDSECTION",
    "INFODESK", "SIZE = X:300, Y:200", "[D] = X:1, Y:1, E:1", "[(T)]:5 = X:2, Y:2", "ENDSECTION",
    "INFORMSTRING", "[S + 'a']", "ENDSECTION",
    "CHECK", "COMMONCHECK = COND:[A > 0], MESSAGE:['m']",
    "T1 = COND:[A], EDIT:[0, 2], MESSAGE:['x'], ONBASE:G, DELETE:1, NOFIND:[A, 'n']", "ENDSECTION",
    "QUESTIONS", "Q1 = TITLE:'t', INPUT:[['a', A, 10, 2], ['b'#66, S, 0, 0]], CANCEL:1", "ENDSECTION",
    "BASEQUESTIONS",
    "BQ = TITLE:'t', BASE:G, FIELDS:[['n', G.NAME], ['q', TOSTR(G.QTY, 0)]], VAR:R, FILTER:[G.QTY > 0],"
    " NEW:[['n', NAME], ['q', QTY]], SORT:[2, 1]",
    "ENDSECTION",
    "WORK", "EXECLOAD L1", "EXECQUESTION Q1", "EXECQUESTION BQ", "ENDSECTION",
};

bool IsNumberedError(int code) {
  return (code >= 1 && code <= 137) || code == kCeMessage || code == kCeProgramMessage ||
         code == kCeUnknownParam || code == kCeParamNotAllowed;
}

TEST(DocumentFuzz, MutatedDescriptionsFailOnlyWithNumberedErrors) {
  DocRig rig;
  for (unsigned seed : {1u, 7u, 42u, 2026u}) {
    std::mt19937 rng(seed);
    int compiled = 0;
    int withPages = 0, withControls = 0, withPrice = 0;
    for (int i = 0; i < 2000; ++i) {
      const std::string text = RandomDescription(rng);
      rig.Ui.Boxes.clear();
      const int code = CompileDocument(rig.Doc, {"FUZZ", text, rng() % 8 == 0}, rig.Context, rig.Line);
      if (code == 0) {
        ++compiled;

        EXPECT_TRUE(rig.Doc.Compiled);
        EXPECT_TRUE(rig.Ui.Boxes.empty());
        // What was compiled also runs.
        for (int32_t p = 0; p < rig.Doc.HelpPages.Count(); ++p) {
          rig.Doc.HelpPages.Items(p)->LoadRows();
          rig.Doc.HelpPages.Items(p)->FillComboBox();
        }
        rig.Doc.Selects.UpdateVisibility();
        rig.Doc.Buttons.UpdateButtons();
        withPages += rig.Doc.HelpPages.Count() > 0;
        withControls += rig.Doc.Selects.Count() + rig.Doc.Buttons.Count() + rig.Doc.ListSelects.Count() > 0;
        withPrice += rig.Doc.Price.Layout != nullptr;
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
    // And whole descriptions with pages, controls and price tags.
    EXPECT_GT(withPages, 0) << seed;
    EXPECT_GT(withControls, 0) << seed;
    EXPECT_GT(withPrice, 0) << seed;
  }

}

TEST(DocumentFuzz, MutatedLinesOfAWholeDescription) {
  DocRig rig;
  std::string whole;
  for (const char* line : kWhole) whole += std::string(line) + "\n";
  ASSERT_EQ(CompileDocument(rig.Doc, {"WHOLE", whole, false}, rig.Context, rig.Line), 0) << rig.Doc.ErrorMessage;
  for (unsigned seed : {3u, 11u, 2027u}) {
    std::mt19937 rng(seed);
    int compiled = 0;
    for (int i = 0; i < 1500; ++i) {
      std::vector<std::string> lines(kWhole.begin(), kWhole.end());
      const int mutations = 1 + static_cast<int>(rng() % 3);
      for (int m = 0; m < mutations; ++m) {
        std::string& line = lines[rng() % lines.size()];
        line = Mutate(std::move(line), rng);
      }
      std::string text;
      for (const std::string& line : lines) text += line + "\n";
      rig.Ui.Boxes.clear();
      const int code = CompileDocument(rig.Doc, {"FUZZ", text, false}, rig.Context, rig.Line);
      if (code == 0) {
        ++compiled;
        continue;
      }
      EXPECT_TRUE(IsNumberedError(code)) << code << "\n" << text;
      EXPECT_FALSE(rig.Doc.Compiled);
      ASSERT_EQ(rig.Ui.Boxes.size(), 1u) << text;
      EXPECT_GE(rig.Line, -1);
      EXPECT_LE(rig.Line, static_cast<int>(lines.size()));
    }
    EXPECT_GT(compiled, 0) << seed;
  }
}

}  // namespace
}  // namespace vm::test
