#include <gtest/gtest.h>

#include <tuple>

#include "language/bases_rig.h"
#include "language/builtins/builtins_bases.h"
#include "platform/files.h"

namespace vm::test {
namespace {

// A book BOOK with columns C and N: the shown view holds x|1, y|2, z|3,
// the hidden view p|10, q|20.
class HelpBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto [t, n] : {std::pair{"x", "1"}, {"y", "2"}, {"z", "3"}}) book.AddRow(book.Shown, t, n);
    for (auto [t, n] : {std::pair{"p", "10"}, {"q", "20"}}) book.AddRow(book.Hidden, t, n);
    book.ShownRowNo = 2;
    book.HiddenRowNo = 1;
    r.Context.Books["BOOK"] = &book;
    r.Vars({"A", "B", "C", "D", "E", "F", "G"});
    r.Rig.Var("S", Str("-"));
    r.Rig.Var("T", Str("-"));
  }
  BasesRig r;
  FakeBook book;
};

TEST_F(HelpBuiltins, CellsReadTheirViewAndRow) {
  book.CheckRow = 2;
  ASSERT_EQ(r.Run("A := HELPCURCELL(BOOK, 2)\nB := HELPHIDCURCELL(BOOK, 2)\nC := HELPCHECKCELL(BOOK, 2)\n"
                  "D := GETHELPCELL(BOOK, 2, 1)\nE := HELPHIDELEM(BOOK, 2, 2) + HELPHIDELEM(BOOK, 2, 9)\n"
                  "F := HELPCOUNT(BOOK) * 10 + HIDHELPCOUNT(BOOK)\nS := STRHELPCELL(BOOK, 1)\nENDSECTION"),
            "");
  // E: a missing hidden row reads as empty.
  EXPECT_EQ(std::tuple(r.Nums("ABCDEF"), r.Rig.Value("S").Str),
            std::tuple(std::vector<long double>{2, 10, 3, 1, 20, 32}, "y"));

  EXPECT_EQ(r.Run("A := HELPACTIVECELL(BOOK, 2)\nENDSECTION"), ErrorText(42));
  for (auto [view, value] : {std::pair{&book.Hidden, 10}, {&book.Shown, 2}}) {
    book.Active = view;
    ASSERT_EQ(r.Run("A := HELPACTIVECELL(BOOK, 2)\nENDSECTION"), "");
    EXPECT_EQ(r.Num("A"), value);
  }
}

TEST_F(HelpBuiltins, ArgumentChecksComeInTheirOrder) {
  // GETHELPCELL checks the row before the column.
  for (const auto& [line, code] :
       {std::pair{"A := HELPCURCELL(BOOK, 3)", 23}, {"A := HELPHIDELEM(BOOK, 0, 1)", 23},
        {"A := GETHELPCELL(BOOK, 9, 4)", 21}, {"A := GETHELPCELL(BOOK, 9, 3)", 23},
        {"SETHELPHIDELEM(BOOK, 9, 3, 1)", 21}, {"SETHELPHIDELEM(BOOK, 9, 2, 1)", 23},
        {"SETHELPCURCELL(BOOK, 2, 'text')", 22}})
    EXPECT_EQ(r.Run(std::string(line) + "\nENDSECTION"), ErrorText(code)) << line;
  EXPECT_FALSE(book.Modified);

  // An empty view: values of the column's kind, nothing stored, but an
  // explicit row of GETHELPCELL is still checked.
  book.Shown.Rows.clear();
  ASSERT_EQ(r.Run("A := HELPCURCELL(BOOK, 2)\nS := STRHELPCELL(BOOK, 1)\nSETHELPCURCELL(BOOK, 9, 'text')\n"
                  "B := HELPCOUNT(BOOK)\nENDSECTION"),
            "");
  EXPECT_EQ(std::tuple(r.Num("A"), r.Rig.Value("S").Str), std::tuple(0, ""));
  EXPECT_EQ(r.Run("A := GETHELPCELL(BOOK, 1, 1)\nENDSECTION"), ErrorText(21));
  EXPECT_EQ(r.Run("A := HELPCURCELL(BOOK, 3)\nENDSECTION"), ErrorText(23));
}

TEST_F(HelpBuiltins, StoresMarkTheBookModified) {
  ASSERT_EQ(r.Run("SETHELPCURCELL(BOOK, 1, 'Y')\nSETHELPHIDCELL(BOOK, 2, 11)\nSETHELPHIDELEM(BOOK, 1, 2, 'Q')\n"
                  "ENDSECTION"),
            "");
  EXPECT_EQ(std::tuple(book.Shown.Text(), book.Hidden.Text(), book.Modified), std::tuple("x|1;Y|2;z|3", "p|11;Q|20", true));
}

TEST_F(HelpBuiltins, FindInHelpWalksTheHiddenRows) {
  ASSERT_EQ(r.Run("A := FINDINHELP(BOOK, HELPHIDCURCELL(BOOK, 2) > 15)\nB := FINDINHELP(BOOK, 0)\nENDSECTION"), "");
  EXPECT_EQ(r.Nums("AB"), (std::vector<long double>{2, -1}));
  EXPECT_EQ(r.RunWithTextFlag("A := FINDINHELP(BOOK, %FLAG%)\nENDSECTION"), ErrorText(24));
}

TEST_F(HelpBuiltins, CategoriesCountFromTheFirstRealOne) {
  book.Items = {"all", "first", "second"};
  book.AllFirst = true;
  book.Chosen = 0;
  ASSERT_EQ(r.Run("A := CATEGORYCOUNT(BOOK)\nS := CATEGORYITEM(BOOK, 1) + '/' + CATEGORYITEM(BOOK, 3)\n"
                  "T := '<' + CURHELPCATEG(BOOK) + '>'\nB := CURHELPCATEGIND(BOOK)\nENDSECTION"),
            "");
  // T: the all-categories item.
  EXPECT_EQ(std::tuple(r.Nums("AB"), r.Rig.Value("S").Str, r.Rig.Value("T").Str),
            std::tuple(std::vector<long double>{2, 1}, "first/", "<>"));

  book.AllFirst = false;
  book.Chosen = 2;
  ASSERT_EQ(r.Run("A := CATEGORYCOUNT(BOOK)\nS := CATEGORYITEM(BOOK, 1) + '/' + CATEGORYITEM(BOOK, 0)\n"
                  "T := CURHELPCATEG(BOOK)\nB := CURHELPCATEGIND(BOOK)\nREBUILDCATEG(BOOK)\nREFRESHCATEGS(BOOK)\n"
                  "ENDSECTION"),
            "");
  EXPECT_EQ(std::tuple(r.Nums("AB"), r.Rig.Value("S").Str, r.Rig.Value("T").Str, book.Rebuilds, book.Applies),
            std::tuple(std::vector<long double>{3, 3}, "all/", "second", 1, 2));

  book.Chosen = -1;
  ASSERT_EQ(r.Run("B := CURHELPCATEGIND(BOOK)\nT := CURHELPCATEG(BOOK)\nENDSECTION"), "");
  EXPECT_EQ(std::tuple(r.Num("B"), r.Rig.Value("T").Str), std::tuple(0, ""));
}

TEST_F(HelpBuiltins, FillHelpFromBaseWritesMatchingRows) {
  TUBL* goods = r.Goods("GOODS", {{"y", "why", "7.50"}, {"w", "none", "1"}, {"x", "ex", "2"}});
  BasesRig::Key(goods, kGoodsCode);
  AddKeyCol(book.Keys, book.KeyCount)->Number = 0;
  book.Active = &book.Shown;
  const auto fill = [&](const std::string& map) {
    return r.Run("LOADBASE(GOODS)\nFILLHELPFROMBASE(BOOK, GOODS, '" + map + "')\nENDSECTION");
  };
  for (const auto& [map, code] : {std::pair{"2 PRICE", 27}, {"", 27}, {"2=NOSUCH", 28}, {"2=DAT", 26}})
    EXPECT_EQ(fill(map), ErrorText(code)) << map;
  EXPECT_EQ(fill("9=PRICE, 1"), "");  // a column outside the view ends it quietly
  EXPECT_EQ(book.Shown.Text(), "x|1;y|2;z|3");
  ASSERT_EQ(fill("2 = price, 1=NAME"), "");
  EXPECT_EQ(book.Shown.Text(), "ex|2;why|7.50;z|3");

  AddKeyCol(book.Keys, book.KeyCount)->Number = 1;
  EXPECT_EQ(fill("2=PRICE"), ErrorText(32));
  book.Active = nullptr;
  EXPECT_EQ(fill("2=PRICE"), ErrorText(42));
}

// Templates are filled by a subroutine that turns each tag's name into
// its result.
class ProcessHtml : public ::testing::Test {
 protected:
  void SetUp() override {
    r.Sub("TAG");
    r.Vars({"A", "RUNS"});
    r.Rig.Var("HTMLSOURCE", Str(""));
    r.Rig.Var("HTMLRESULT", Str(""));
  }
  void Write(const std::string& name, const std::string& text) {
    ASSERT_TRUE(ReplaceFile(r.Tmp / name, [&](File& f) { return f.WriteAt(0, text.data(), text.size()); }));
  }
  std::string Read(const std::string& name) {
    std::unique_ptr<File> f = Files().Open(r.Tmp / name, FileMode::Read);
    if (!f) return "(missing)";
    std::string text(static_cast<std::size_t>(f->Size()), '\0');
    f->ReadAt(0, text.data(), text.size());
    return text;
  }
  std::string Run(const std::string& from, const std::string& to, const std::string& body = "") {
    return r.Run("RUNS := 0\nA := PROCESSHTML('" + r.Tmp / from + "', '" + r.Tmp / to +
                 "', TAG)\nENDSECTION\nSUBROUTINE = TAG\nRUNS := RUNS + 1\n"
                 "HTMLRESULT := '[' + HTMLSOURCE + ']'\n" + body + "ENDSUB\n");
  }
  BasesRig r;
};

TEST_F(ProcessHtml, TagsAreReplacedByTheSubroutinesResult) {
  Write("t.html", "<p><#NAME> and <#price fmt=2>, <b>bold</b> <#x");
  ASSERT_EQ(Run("t.html", "out.html"), "");
  EXPECT_EQ(std::tuple(r.Num("A"), r.Num("RUNS"), Read("out.html")),
            std::tuple(1, 2, "<p>[NAME] and [price], <b>bold</b> <#x"));

  Write("plain.html", "<html>no tags</html>");
  ASSERT_EQ(Run("plain.html", "out.html"), "");
  EXPECT_EQ(std::tuple(r.Num("RUNS"), Read("out.html")), std::tuple(0, "<html>no tags</html>"));
}

// A result that names its own template replaces it with the filled text;
// a failure leaves both files as they were.
TEST_F(ProcessHtml, NoFailureDestroysAFile) {
  Write("self.html", "a<#T>b");
  ASSERT_EQ(Run("self.html", "self.html"), "");
  EXPECT_EQ(std::tuple(r.Num("A"), Read("self.html")), std::tuple(1, "a[T]b"));

  Write("out.html", "old");
  ASSERT_EQ(Run("missing.html", "out.html"), "");
  EXPECT_EQ(std::tuple(r.Num("A"), Read("out.html")), std::tuple(0, "old"));

  Write("t.html", "<#T>");
  EXPECT_EQ(Run("t.html", "out.html", "RUNS := 1 / 0\n"), ErrorText(1));
  EXPECT_EQ(std::tuple(r.Num("A"), Read("out.html"), Read("t.html")), std::tuple(0, "old", "<#T>"));
}

}  // namespace
}  // namespace vm::test
