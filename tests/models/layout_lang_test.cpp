#include "models/layout_lang.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/encoding.h"
#include "language/registry_context.h"
#include "support/fake_canvas.h"

using namespace vm;

namespace {

struct Result {
  int32_t code = -99;
  int32_t line = -99;
};

Result Compile(TCurBlank& blank, const std::string& text) {
  blank.SetText(text);
  Result r;
  CompileBlank(blank, r.code, r.line);
  return r;
}

testing::AssertionResult Compiles(TCurBlank& blank, const std::string& text) {
  const Result r = Compile(blank, text);
  if (r.code == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "error " << r.code << " on line " << r.line;
}

Result Compile(const std::string& text) {
  TCurBlank blank;
  return Compile(blank, text);
}

const std::string kHead = "COLCOUNT=2\nLEVELCOUNT=1\n";
const std::string kTail = "FORMAT[1..2]=C,0,0\nCOLWIDTH[1,2]=100\n";

// A view of text cells, rows listed top-down.
class Rows : public TBlankView {
 public:
  explicit Rows(std::vector<std::vector<std::string>> cells) : cells_(std::move(cells)) {}
  int32_t RowCount() const override { return static_cast<int32_t>(cells_.size()); }
  int32_t ColCount() const override { return 2; }
  std::string CellText(int32_t col, int32_t row) const override {
    if (row < 0 || row >= RowCount()) return {};
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col - 1)];
  }

 private:
  std::vector<std::vector<std::string>> cells_;
};

// "Kind mode,decimals height [bold] sign [text]".
std::string Describe(const TColFormat& f) {
  return std::string(1, f.Kind) + " " + std::to_string(f.Mode) + "," + std::to_string(f.Decimals) + " " +
         std::to_string(f.FontHeight) + (f.Bold ? " bold " : " ") + std::to_string(f.Sign) +
         (f.AltText.empty() ? "" : " " + f.AltText);
}

// "levels first-last columns first-last height [bold] text".
std::string Describe(const TBlankHeader& c) {
  return std::to_string(c.FirstLevel) + "-" + std::to_string(c.LastLevel) + " " +
         std::to_string(c.FirstCol) + "-" + std::to_string(c.LastCol) + " " +
         std::to_string(c.FontHeight) + (c.Bold ? " bold " : " ") + c.Text;
}

std::vector<std::string> HeaderCells(const TCurBlank& blank) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= blank.HeaderCellCount; ++i) out.push_back(Describe(*blank.GetHeaderCell(i)));
  return out;
}

// The drawing proper, after the measuring of the layout.
std::vector<std::string> Drawn(const test::FakeCanvas& canvas) {
  auto pen = canvas.ops.begin();
  while (pen != canvas.ops.end() && !pen->starts_with("Pen")) ++pen;
  return {pen, canvas.ops.end()};
}

}  // namespace

TEST(LayoutLanguage, ErrorCodesAndLines) {
  struct Case {
    std::string text;
    int32_t code;
    int32_t line;
  };
  const std::vector<Case> cases = {
      {"", 128, -1},
      // Index errors come before the order of commands, the kind before the
      // parameter count, and columns are completed in order.
      {"FORMAT[0]=C,0,0", 2, 0}, {"WHATEVER[1=1", 1, 0},
      {kHead + "FORMAT[1]=X,0", 139, 2}, {kHead + "COLWIDTH[1]=100\nFORMAT[2]=C,0,0", 143, -1},
      {"; only a comment\n\n", 128, -1}, {"LEVELCOUNT=1", 128, 0},
      {"\n  \nWHATEVER=1", 128, 2}, {"COLCOUNT=2\nWHATEVER=1", 130, 1},
      {"COLCOUNT=2\nCOLCOUNT=2", 130, 1}, {"COLCOUNT=2\nLEVELCOUNT=1\nCOLCOUNT=2", 132, 2},
      {"COLCOUNT=2\nLEVELCOUNT=1\nLEVELCOUNT=1", 133, 2}, {kHead + "WHATEVER=1", 255, 2},
      {kHead + "no equals sign", 255, 2}, {"COLCOUNT=x", 129, 0},
      {"COLCOUNT=2,y", 129, 0}, {"COLCOUNT=0", 135, 0},
      {"COLCOUNT=60,5", 135, 0}, {"COLCOUNT=3,-1", 135, 0},
      {"COLCOUNT=2\nLEVELCOUNT=11", 134, 1}, {kHead + "FORMAT[1=C,0,0", 1, 2},
      {kHead + "FORMAT[=C,0,0", 1, 2}, {kHead + "FORMAT[]=C,0,0", 2, 2},
      {kHead + "FORMAT[0]=C,0,0", 2, 2}, {kHead + "FORMAT[a]=C,0,0", 2, 2},
      {kHead + "FORMAT[2..1]=C,0,0", 3, 2}, {kHead + "FORMAT[1..x]=C,0,0", 2, 2},
      {kHead + "FORMAT[3]=C,0,0", 140, 2}, {kHead + "FORMAT=C,0,0", 140, 2},
      {kHead + "FORMAT[1]=", 138, 2}, {kHead + "FORMAT[1]=X,0,0", 139, 2},
      {kHead + "FORMAT[1]=C,0", 138, 2}, {kHead + "FORMAT[1]=N,0,0,0,0,0,0", 138, 2},
      {kHead + "FORMAT[1]=C,-1,0", 129, 2}, {kHead + "FORMAT[1]=N,1,2,3,4,z", 129, 2},
      {kHead + "FORMAT[1]=E,abc,0", 150, 2}, {kHead + "FORMAT[1]=C,0,0\nFORMAT[1]=C,0,0", 151, 3},
      {kHead + "HEADER[3]='x'", 140, 2}, {kHead + "HEADER[1]=x", 141, 2},
      {kHead + "HEADER[1]='", 141, 2}, {kHead + "HEADER[1]='a',1,2,3", 142, 2},
      {kHead + "HEADER[1]='a',big", 129, 2}, {kHead + "HEADER[1]='a'\nHEADER[1]='b'", 137, 3},
      // An overlap is found before the parameters are read, the parameter
      // count before the text, and a value before a repeated format.
      {kHead + "HEADER[1]='a'\nHEADER[1]=b,1,2,3", 137, 3}, {kHead + "HEADER[1]=b,1,2,3", 142, 2},
      {kHead + "FORMAT[1]=C,0,0\nFORMAT[1]=C,x,0", 129, 3},
      {kHead + "FORMAT[1]=C,0,0\nFORMAT[1]=V[x]", 146, 3},
      {"COLCOUNT=2\nLEVELCOUNT=1\nCOLCOUNT=x", 132, 2}, {kHead + "COLWIDTH[3]=100", 140, 2},
      {kHead + "COLWIDTH[1]=4", 129, 2}, {kHead + "LEVEL=x", 129, 2},
      {kHead + "LEVEL=2", 131, 2}, {"COLCOUNT=1\nLEVELCOUNT=3\nLEVEL=2\nLEVEL=1", 136, 3},
      {kHead + "LINEWIDTH=51", 145, 2}, {kHead + "LINEWIDTH=0", 145, 2},
      {kHead + "COLWIDTH[1..2]=100\nFORMAT[1]=C,0,0", 143, -1},
      {kHead + "FORMAT[1]=C,0,0", 144, -1},
      {kHead + "FORMAT[1..2]=C,0,0\nCOLWIDTH[1]=100", 144, -1},
      // Column 1 lacking its width comes before column 2 lacking its format.
      {kHead + "FORMAT[1]=C,0,0\nCOLWIDTH[2]=100", 144, -1},
      {kHead + "COLWIDTH[1]=10000001", 129, 2},
      // Indexes beyond what a description can name are wrong column numbers.
      {kHead + "FORMAT[256]=C,0,0", 140, 2}, {kHead + "FORMAT[1..300]=C,0,0", 140, 2},
      {kHead + "HEADER[1,99999999999]='a'", 140, 2},
  };
  for (const Case& c : cases) {
    const Result r = Compile(c.text);
    EXPECT_EQ(r.code, c.code) << c.text;
    EXPECT_EQ(r.line, c.line) << c.text;
  }
  EXPECT_EQ(Compile(kHead + kTail).code, 0);
  EXPECT_EQ(Compile(kHead + "COLWIDTH[1]=5\n" + kTail).code, 0);

  // The widest columns still add up within 32 bits.
  TCurBlank wide;
  ASSERT_TRUE(Compiles(wide, "COLCOUNT=64\nLEVELCOUNT=1\nFORMAT[1..64]=C,0,0\n"
                             "COLWIDTH[1..64]=10000000"));
  EXPECT_EQ(wide.TotalWidth, 640'000'010);
  EXPECT_EQ(BlankColumn(wide, 64)->RightLimit, 640'000'003);
}

TEST(LayoutLanguage, ErrorTexts) {
  EXPECT_EQ(BlankErrorText(140, 3), "Ошибка в строке 4:  Неверный номер столбца "_w);
  EXPECT_EQ(BlankErrorText(1, 0), "Ошибка в строке 1:  Отсутствует символ ']'"_w);
  EXPECT_EQ(BlankErrorText(0, 0), "");
  EXPECT_EQ(BlankErrorText(4, -1), "");
  const std::vector<std::pair<int32_t, std::string>> texts = {
      {1, " Отсутствует символ ']'"_w}, {2, " Неправильный индекс "_w},
      {3, " Неправильный диапазон индексов "_w}, {128, " Не указано количество колонок "_w},
      {129, " Неправильное число "_w}, {130, " Не задано количество уровней заголовка "_w},
      {131, " Неверный уровень заголовка "_w},
      {132, " Повторное объявление количества столбцов "_w},
      {133, " Повторное объявление количества уровней заголовка "_w},
      {134, " Неверное число уровней заголовка "_w}, {135, " Неверное число колонок "_w},
      {136, " Неверное значение уровня заголовка "_w}, {137, " Перекрытие уровня заголовка "_w},
      {138, " Неверное число параметров формата столбца "_w}, {139, " Неверный тип данных "_w},
      {140, " Неверный номер столбца "_w}, {141, " Неправильная строковая константа "_w},
      {142, " Неверное число параметров заголовка "_w},
      {143, " Заданы форматы не всех столбцов "_w}, {144, " Задана ширина не всех столбцов "_w},
      {145, " Неверная толщина линии "_w},
      {146, " Условные типы данных должны быть в квадратных скобках "_w},
      {147, " Неверное описание условного типа данных "_w}, {149, " Неверный тип условия "_w},
      {150, " Неверная строковая константа "_w}, {151, " Повторное объявление формата столбца "_w},
      {255, " Неизвестная команда "_w},
  };
  for (const auto& [code, text] : texts) EXPECT_EQ(BlankErrorText(code, -1), text) << code;
}

TEST(LayoutLanguage, FailureLeavesNothingCompiled) {
  TCurBlank blank;
  ASSERT_TRUE(Compiles(blank, kHead + "LINEWIDTH=9\nHEADER[1]='a'\n" + kTail));
  EXPECT_TRUE(blank.Compiled);
  EXPECT_EQ(blank.LineWidth, 9);

  const std::string bad = kHead + "LINEWIDTH=9\nHEADER[1]='a'\nFORMAT[1]=Q,0,0";
  EXPECT_EQ(Compile(blank, bad).code, 139);
  EXPECT_FALSE(blank.Compiled || blank.Columns || blank.HeaderCells);
  EXPECT_EQ(blank.ColCount + blank.ShownColCount + blank.LevelCount + blank.HeaderCellCount, 0);
  EXPECT_EQ(blank.Text, bad);

  // A new compile starts from the default line width.
  ASSERT_TRUE(Compiles(blank, kHead + kTail));
  EXPECT_EQ(blank.LineWidth, 5);
  EXPECT_EQ(blank.TotalWidth, 210);
}

TEST(LayoutLanguage, ColumnGeometry) {
  TCurBlank blank;
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=3,2\nLEVELCOUNT=1\nFORMAT[1..5]=C,0,0\n"
                              "COLWIDTH[1]=100\nCOLWIDTH[2]=250\nCOLWIDTH[3]=5"));
  EXPECT_EQ(std::pair(blank.ShownColCount, blank.ColCount), std::pair(3, 5));
  const int32_t lefts[] = {0, 100, 350};
  const int32_t widths[] = {100, 250, 5};
  for (int32_t i = 0; i < 3; ++i) {
    const TColDescr* c = BlankColumn(blank, i + 1);
    // 1.5 x 5 + 1 = 8.5 goes to the even 8.
    EXPECT_EQ(std::tuple(c->Left, c->TextLeft, c->RightLimit), std::tuple(lefts[i], lefts[i] + 13, lefts[i] + widths[i] + 3));
  }
  EXPECT_EQ(BlankColumn(blank, 4)->Left, 0);
  EXPECT_EQ(blank.TotalWidth, 10 + 355);
  EXPECT_EQ(BlankColumn(blank, 0), nullptr);
  EXPECT_EQ(BlankColumn(blank, 6), nullptr);

  // Halves go to the even neighbour both ways: 2.5 -> 2, 5.5 -> 6.
  for (auto [width, textLeft, rightLimit] : {std::tuple{1, 7, 101}, {3, 11, 102}, {50, 81, 125}}) {
    ASSERT_TRUE(Compiles(blank, "COLCOUNT=1\nLEVELCOUNT=1\nLINEWIDTH=" + std::to_string(width) +
                                    "\nFORMAT[1]=C,0,0\nCOLWIDTH[1]=100"));
    const TColDescr* c = BlankColumn(blank, 1);
    EXPECT_EQ(std::tuple(c->TextLeft, c->RightLimit, blank.TotalWidth), std::tuple(textLeft, rightLimit, 2 * width + 100)) << width;
  }
  // Hidden columns take formats but no header or width.
  EXPECT_EQ(Compile("COLCOUNT=1,1\nLEVELCOUNT=1\nFORMAT[1..2]=C,0,0\nCOLWIDTH[2]=100").code, 140);
  EXPECT_EQ(Compile("COLCOUNT=1,1\nLEVELCOUNT=1\nHEADER[2]='h'").code, 140);
}

TEST(LayoutLanguage, CellFormats) {
  TCurBlank blank;
  const std::pair<std::string, std::string> formats[] = {
      {"N,10,2", "N 10,2 35 1"},
      // Mode raised to decimals + 2, height clamped, any bold counts.
      {"n,1,3,500,-4,-1", "N 5,3 400 bold -2"},
      {"R,0,0,5,0,+0", "R 0,0 10 1"},
      {"N,0,0,0,x,5", "N 0,0 35 bold 0"},
      {"D,1", "D 2,0 35 1"},
      {"T,2,40,1", "T 4,2 40 bold 0"},  // three numbers of a time are mode, height and bold
      {"E,'Итого: '#33'''',0", "E 0,0 35 1 Итого: !'"},
      {"C,0,0,0,0", "C 0,0 35 1"},
      {"N,0,0,0,0,+7", "N 0,0 35 2"},
      {"R,0,0,0,0,-2147483648", "R 0,0 35 -2"},
  };
  const int32_t count = static_cast<int32_t>(std::size(formats));
  std::string text = "COLCOUNT=" + std::to_string(count) + "\nLEVELCOUNT=1\nCOLWIDTH[1.." +
                     std::to_string(count) + "]=50\n";
  for (int32_t col = 1; col <= count; ++col)
    text += "FORMAT[" + std::to_string(col) + "]=" + formats[col - 1].first + "\n";
  ASSERT_TRUE(Compiles(blank, Utf8ToCp1251(text)));
  for (int32_t col = 1; col <= count; ++col)
    EXPECT_EQ(Cp1251ToUtf8(Describe(BlankColumn(blank, col)->Format)), formats[col - 1].second)
        << formats[col - 1].first;

  // Raising the mode saturates instead of overflowing.
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=1\nLEVELCOUNT=1\nCOLWIDTH[1]=50\nFORMAT[1]=N,1,2147483647"));
  EXPECT_EQ(BlankColumn(blank, 1)->Format.Mode, INT32_MAX);
}

TEST(LayoutLanguage, HeaderCells) {
  TCurBlank blank;
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=4\nLEVELCOUNT=3\nFORMAT[1..4]=C,0,0\nCOLWIDTH[1..4]=50\n"
                              "HEADER[1..3]='a b',5\n"
                              "HEADER[4]='d',500,0\n"
                              "LEVEL=2\n"
                              "HEADER[1,2,3]='x',40,1\n"
                              "LEVEL=3\n"
                              "HEADER[1,3]='%N%'\n"));
  EXPECT_EQ(HeaderCells(blank),
            (std::vector<std::string>{"1-1 1-3 10 a b", "1-3 4-4 400 d", "2-2 1-3 40 bold x",
                                      "3-3 1-1 35 %N%", "3-3 3-3 35 %N%", "3-3 2-2 35 "}));
  EXPECT_EQ(blank.GetHeaderCell(7), nullptr);

  // Uncovered stretches are filled down to the next covered level.
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=1\nLEVELCOUNT=4\nFORMAT[1]=C,0,0\nCOLWIDTH[1]=50\n"
                              "LEVEL=3\nHEADER[1]='c'"));
  EXPECT_EQ(HeaderCells(blank), (std::vector<std::string>{"3-4 1-1 35 c", "1-2 1-1 35 "}));

  // Without an index HEADER and COLWIDTH name no column.
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=1\nLEVELCOUNT=1\nHEADER='h'\nCOLWIDTH=70\n"
                              "FORMAT[1]=C,0,0\nCOLWIDTH[1]=50"));
  EXPECT_EQ(blank.GetHeaderCell(1)->Text, "");
  EXPECT_EQ(BlankColumn(blank, 1)->Width, 50);
}

TEST(LayoutLanguage, ConditionalFormatsAreChosenByRow) {
  TCurBlank blank;
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=2\nLEVELCOUNT=1\nCOLWIDTH[1..2]=50\nFORMAT[2]=C,0,0\n"
                              "FORMAT[1]=V[[NUMCOL(2) > 10, N,1,2], [1/NUMCOL(2)>0,C,0,0],"
                              " [CURCOL(2)='abc',D,0], [0, N,7,0,50]]"));
  TColDescr* col = BlankColumn(blank, 1);
  EXPECT_TRUE(col->Conditional);
  EXPECT_EQ(blank.Codes.size(), 4u);
  // The last one written is the fallback, its mode raised like the others.
  EXPECT_EQ(std::tuple(col->Format.Mode, col->Format.FontHeight, col->CondFormats->Format.Mode), std::tuple(7, 50, 4));

  // In the second row 1/0 fails, so that condition does not hold.
  Rows rows({{"a", "12"}, {"b", "abc"}, {"c", "5"}, {"d", "0"}});
  blank.View = &rows;
  std::string kinds;
  for (int32_t row = 0; row < 3; ++row) kinds += BlankField(blank, 1, row)->Kind;
  EXPECT_EQ(kinds, "NDC");
  EXPECT_EQ(BlankField(blank, 1, 3)->Mode, 7);
  EXPECT_EQ(std::pair(CurrentRowContext().Row, CurrentRowContext().View), std::pair(3, static_cast<TBlankView*>(&rows)));

  // Outside the rows, and for plain columns, the condition is not asked.
  EXPECT_EQ(BlankField(blank, 1, 4), &col->Format);
  EXPECT_EQ(BlankField(blank, 1, -1), &col->Format);
  EXPECT_EQ(BlankField(blank, 2, 1)->Kind, 'C');
  EXPECT_EQ(BlankField(blank, 3, 1), nullptr);
  blank.View = nullptr;
  EXPECT_EQ(BlankField(blank, 1, 1), &col->Format);

  // A column the view does not have fails the condition rather than
  // reading beside the row.
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=1\nLEVELCOUNT=1\nCOLWIDTH[1]=50\n"
                              "FORMAT[1]=V[[CURCOL(3)='',C,0,0],[0,D,0]]"));
  blank.View = &rows;
  EXPECT_EQ(BlankField(blank, 1, 0)->Kind, 'D');
  blank.View = nullptr;
}

TEST(LayoutLanguage, ConditionsThatDoNotCompile) {
  TCurBlank blank;
  const std::string head = "COLCOUNT=1\nLEVELCOUNT=1\n";
  EXPECT_EQ(Compile(blank, head + "FORMAT[1]=V[[1;2,C,0,0]]").code, 148);
  EXPECT_EQ(BlankErrorText(148, 2), "Ошибка в строке 3: Запрещенный символ"_w);
  EXPECT_EQ(Compile(blank, head + "FORMAT[1]=V[[NOSUCH>1,C,0,0]]").code, 148);
  EXPECT_EQ(BlankErrorText(148, -1), "Несуществующая переменная NOSUCH"_w);
  EXPECT_EQ(Compile(blank, head + "FORMAT[1]=V[[CURCOL(1),C,0,0]]").code, 149);
  EXPECT_EQ(blank.Codes.size(), 0u);
  EXPECT_FALSE(blank.Compiled);

  // The format of an item is read before its condition is compiled.
  for (const auto& [format, code] : std::initializer_list<std::pair<const char*, int32_t>>{
           {"V[['s',C,0,0]]", 149}, {"V[[1,C,0,0]],x", 138}, {"V[1,C,0,0]", 146}, {"V [[1,C,0,0],1]", 146},
           {"V[[1 C 0 0 ]]", 147}, {"V[[1,V,0,0 ]]", 139}, {"V[[BAD,X,0,0]]", 139}, {"C,0,0\nFORMAT[1]=V[[1,C,0,0]]", 151},
           {"V[[1,C,0,0]]\nFORMAT[1]=C,0,0", 151}, {"V[[1,C,0,0]]\nFORMAT[1]=V[[1,C,0,0]]", 151}})
    EXPECT_EQ(Compile(head + "FORMAT[1]=" + format).code, code) << format;
}

// Conditions compile in the context in place: a running document's
// variables are names there, and nowhere else.
TEST(LayoutLanguage, ConditionsSeeTheDocumentInPlace) {
  const std::string text = "COLCOUNT=1\nLEVELCOUNT=1\nCOLWIDTH[1]=50\n"
                           "FORMAT[1]=V[[CURRENTROW=2,N,0,0],[0,C,0,0]]";
  EXPECT_EQ(Compile(text).code, 148);
  EXPECT_EQ(BlankErrorText(148, -1), "Несуществующая переменная CURRENTROW"_w);

  TRegistryContext document;
  TCommonVar row;
  row.Kind = 'N';
  row.Num = 2;
  TVariable* current = document.Symbols().AddVariable("CURRENTROW", row);
  SetCurrentExprContext(&document);
  {
    TCurBlank blank;
    ASSERT_TRUE(Compiles(blank, text));
    Rows rows({{"a", "b"}, {"c", "d"}});
    blank.View = &rows;
    EXPECT_EQ(BlankField(blank, 1, 0)->Kind, 'N');
    current->Value.Num = 1;
    EXPECT_EQ(BlankField(blank, 1, 0)->Kind, 'C');
  }
  SetCurrentExprContext(nullptr);
  EXPECT_EQ(&CurrentExprContext(), &GlobalExprContext());
}

// A header of two levels drawn at several resolutions and scales; the
// expected pixels follow from the lengths: 0.1 mm x ppi x scale / 254.
TEST(LayoutLanguage, HeaderDrawnAtSeveralScales) {
  TCurBlank blank;
  ASSERT_TRUE(Compiles(blank, "COLCOUNT=3,1\nLEVELCOUNT=2\nHEADER[1..2]='Goods'\n"
                              "HEADER[3]='Price per unit',40,1\nLEVEL=2\nHEADER[1]='Code'\n"
                              "FORMAT[1..2]=C,0,0\nFORMAT[3]=N,10,2\nFORMAT[4]=C,0,0\n"
                              "COLWIDTH[1]=200\nCOLWIDTH[2]=300\nCOLWIDTH[3]=250\n"));
  ASSERT_EQ(blank.HeaderCellCount, 4);

  test::FakeCanvas screen(96);
  blank.DrawHeader(screen, 100, 50, 1000, 1, nullptr);
  EXPECT_EQ(std::tuple(blank.HeaderHeight, blank.RowHeight[1], blank.RowTop[2]), std::tuple(122, 61, 61));
  EXPECT_EQ(std::pair(screen.penColor, screen.fontColor), std::pair(0u, 0u));
  const std::vector<std::string> at96 = {
      "Pen 2",
      "Font -13", "Text 113,23 Goods",
      "MoveTo 38,19", "LineTo 38,42", "LineTo 227,42", "LineTo 227,19", "LineTo 38,19",
      "Font -15 bold", "Text 238,26 Price per", "Text 258,43 unit",
      "MoveTo 227,19", "LineTo 227,65", "LineTo 321,65", "LineTo 321,19", "LineTo 227,19",
      "Font -13", "Text 60,46 Code",
      "MoveTo 38,42", "LineTo 38,65", "LineTo 113,65", "LineTo 113,42", "LineTo 38,42",
      "MoveTo 113,42", "LineTo 113,65", "LineTo 227,65", "LineTo 227,42", "LineTo 113,42",
      "MoveTo 38,65", "LineTo 38,397", "MoveTo 113,65", "LineTo 113,397",
      "MoveTo 227,65", "LineTo 227,397",
      "MoveTo 321,65", "LineTo 321,397", "LineTo 37,397",
  };
  EXPECT_EQ(Drawn(screen), at96);

  test::FakeCanvas printer(300);
  blank.DrawHeader(printer, 100, 50, 1000, 1, nullptr);
  EXPECT_EQ(blank.HeaderHeight, 60);
  const std::vector<std::string> at300 = {
      "Pen 6",
      "Font -41", "Text 395,73 Goods",
      "MoveTo 118,59", "LineTo 118,94", "LineTo 709,94", "LineTo 709,59", "LineTo 118,59",
      "Font -47 bold", "Text 801,91 Price per unit",
      "MoveTo 709,59", "LineTo 709,130", "LineTo 1004,130", "LineTo 1004,59", "LineTo 709,59",
      "Font -41", "Text 222,109 Code",
      "MoveTo 118,94", "LineTo 118,130", "LineTo 354,130", "LineTo 354,94", "LineTo 118,94",
      "MoveTo 354,94", "LineTo 354,130", "LineTo 709,130", "LineTo 709,94", "LineTo 354,94",
      "MoveTo 118,130", "LineTo 118,1240", "MoveTo 354,130", "LineTo 354,1240",
      "MoveTo 709,130", "LineTo 709,1240",
      "MoveTo 1004,130", "LineTo 1004,1240", "LineTo 117,1240",
  };
  EXPECT_EQ(Drawn(printer), at300);

  // Half size on the screen: the pen keeps one pixel, texts wrap further and
  // with Bottom inside the header no column lines are drawn.
  test::FakeCanvas small(96);
  blank.DrawHeader(small, 0, 0, 0, 0.5L, nullptr);
  EXPECT_EQ(blank.HeaderHeight, 286);
  const std::vector<std::string> texts = {"Text 28,6 Goods", "Text 98,2 Price",
                                          "Text 106,19 per", "Text 102,36 unit",
                                          "Text 3,33 Code"};
  EXPECT_EQ(small.Only("Text"), texts);
  EXPECT_EQ(Drawn(small).front(), "Pen 1");
  EXPECT_EQ(small.ops.back(), "LineTo 38,27");
}
