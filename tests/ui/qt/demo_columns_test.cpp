// The demo's goods book, and the price tags' form that shows the goods'
// barcodes too, drawn in the demo's font at the resolutions of a screen and
// of printers: no header and no cell of the goods wraps, so a 13-digit
// barcode or a header word never breaks over two lines. Every other blank
// of the demo keeps its headers whole too, and every number column shows
// the widest value its field holds whole, never as the cut mark.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "config/data_dir.h"
#include "config/settings.h"
#include "foundation/tables/dbf.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/text_rows.h"
#include "foundation/qt/qt_canvas.h"
#include "models/expand_params.h"
#include "models/table_render.h"

namespace vm::test {
namespace {

// Notes every text drawn: a wrapped text comes in pieces.
class TextNotingCanvas : public TQtCanvas {
 public:
  using TQtCanvas::TQtCanvas;
  void TextOut(int32_t x, int32_t y, std::string_view text) override {
    if (!text.empty()) Texts.emplace_back(text);
    TQtCanvas::TextOut(x, y, text);
  }
  std::vector<std::string> Texts;
};

// The goods of the demo, the fields given in the columns' order; a field
// name that is no field stands for itself.
TextRows GoodsRows(const std::string& dir, const std::vector<const char*>& fields) {
  TDBF table;
  table.FileName = dir + "goods.dbf";
  TextRows rows;
  if (!table.OpenReadOnly()) return rows;
  for (int32_t n = 1; n <= table.RecCount(); ++n) {
    table.GoToRecord(n);
    if (table.ReadRecord() != 0) break;
    std::vector<std::string> cells;
    for (const char* field : fields)
      cells.push_back(table.FieldIndex(field) < 0 ? field : TrimBlanks(table.GetFieldStr(table.FieldIndex(field))));
    rows.Add(cells);
  }
  return rows;
}

// The texts drawn for the blank of the demo over rows, that many more
// than one a text when something wrapped, and none of them the mark of a
// number cut.
void ExpectNothingWraps(const char* blankName, const TextRows& rows, int32_t headerTexts,
                        const TAutoList* params = nullptr) {
  SCOPED_TRACE(blankName);
  const TCurBlank* blank = Settings().Blanks.FindByName(Utf8ToCp1251(blankName));
  ASSERT_NE(blank, nullptr);
  int32_t texts = headerTexts;
  for (int32_t r = 0; r < rows.RowCount(); ++r)
    for (int32_t c = 1; c <= rows.ColCount(); ++c) texts += !rows.CellText(c, r).empty();
  // Screens at 96 dpi with the table scaled to every window from a small
  // one to the whole of a large screen, the fonts' pixel sizes rounded as
  // each width gives them; and printers.
  std::vector<std::pair<int, long double>> resolutions = {{72, 1}, {120, 1}, {300, 1}, {600, 1}};
  for (int percent = 50; percent <= 300; percent += 2) resolutions.emplace_back(96, percent / 100.0L);
  for (const auto& [ppi, scale] : resolutions) {
    const int grown = static_cast<int>(std::ceil(std::max(scale, 1.0L)));
    QImage image(ppi * 10 * grown, ppi * 4 * grown, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(ppi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(ppi / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    TextNotingCanvas canvas(painter);
    TTableDraw request;
    request.AvailWidth = image.width();
    request.AvailHeight = image.height();
    request.FitMode = 3;
    request.Scale = scale;
    request.Params = params;
    TextRows view = rows;
    const TTableDrawn drawn = DrawBlankTable(canvas, request, *blank, view);
    const std::string at = std::to_string(ppi) + " ppi at " + std::to_string(static_cast<double>(scale));
    EXPECT_EQ(drawn.NextRow, rows.RowCount()) << at;
    std::string seen;
    int32_t cut = 0;
    for (const std::string& t : canvas.Texts) {
      seen += Cp1251ToUtf8(t) + "|";
      cut += t.find_first_not_of(kCutCellMark) == std::string::npos;
    }
    EXPECT_EQ(static_cast<int32_t>(canvas.Texts.size()), texts) << at << ": " << seen;
    EXPECT_EQ(cut, 0) << at << ": " << seen;
  }
}

// The demo's settings loaded, drawn in the demo's font.
class DemoColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFontDatabase::families().contains("DejaVu Sans")) << "fonts-dejavu-core is missing";
    for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      std::filesystem::copy_file(e.path(), std::filesystem::path(home.Dir()) / e.path().filename());
    ChooseDataDirectory();
    ASSERT_TRUE(LoadAllSettings());
    InstallExpandParams();
    font = TableFontName();
    TableFontName() = "DejaVu Sans";
  }
  void TearDown() override { TableFontName() = font; }

  ProgramHome home;
  std::string font;
};

TEST_F(DemoColumns, TheGoodsShowEveryHeaderAndCellOnOneLine) {
  const std::string dir = home.Dir() + "/";
  const TextRows goods = GoodsRows(dir, {"CODE", "NAME", "UNIT", "PRICE_IN", "PRICE", "QTY", "BARCODE"});
  ASSERT_EQ(goods.RowCount(), 8);
  ExpectNothingWraps("ТОВАРЫ", goods, 8);
  ExpectNothingWraps("ЦЕННИКИ", GoodsRows(dir, {"CODE", "NAME", "PRICE", "BARCODE", "10"}), 5);
}

// Rows in UTF-8, as the blank's cells hold them.
TextRows Rows(const std::vector<std::vector<const char*>>& rows) {
  TextRows view;
  for (const auto& cells : rows) {
    std::vector<std::string> row;
    for (const char* c : cells) row.push_back(Utf8ToCp1251(c));
    view.Add(row);
  }
  return view;
}

// The widest value of each field: its digits all nines, and where a
// negative value is drawn bold (the goods' stock under ten), the widest
// negative one too.
TEST_F(DemoColumns, EveryBlankShowsItsHeadersAndTheWidestNumbersOfItsFieldsOnOneLine) {
  const TAutoList* params = &Settings().AutoParams;
  const char* name = "Масло сливочное 82,5% 180 г";
  const char* barcode = "4600000002965";
  ExpectNothingWraps("ТОВАРЫ",
                     Rows({{"999999", name, "шт", "9999999.99", "9999999.99", "999999.999", barcode},
                           {"-99999", name, "шт", "-999999.99", "-999999.99", "-99999.999", barcode}}),
                     8);
  ExpectNothingWraps("ПОСТАВЩИКИ",
                     Rows({{"9999", "ООО \"Молочный двор\"", "695012345678", "+7 4822 55-12-34",
                            "г. Тверь, ул. Заводская, д. 12"}}),
                     6);
  ExpectNothingWraps("ПРИХОД", Rows({{"999999", name, "шт", "999999.999", "9999999.99", "999999999.99"}}), 8);
  ExpectNothingWraps("ПРОДАЖА", Rows({{"999999", name, "999999.999", "9999999.99", "999999999.99"}}), 5);
  ExpectNothingWraps("ЦЕННИКИ", Rows({{"999999", name, "9999999.99", barcode, "999"}}), 5);
  // The last column shows its own text, "руб.", whatever the cell holds.
  ExpectNothingWraps("ОТЧЕТ", Rows({{"30.09.2026", "99999999", "999999", "999999.999", "999999999.99", "-"}}), 7,
                     params);
}

}  // namespace
}  // namespace vm::test
