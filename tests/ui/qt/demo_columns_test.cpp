// The demo's goods book, and the price tags' form that shows the goods'
// barcodes too, drawn in the demo's font at the resolutions of a screen and
// of printers: no header and no cell of the goods wraps, so a 13-digit
// barcode or a header word never breaks over two lines.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <filesystem>

#include "config/data_dir.h"
#include "config/settings.h"
#include "foundation/tables/dbf.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/text_rows.h"
#include "foundation/qt/qt_canvas.h"
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
// than one a text when something wrapped.
void ExpectNothingWraps(const char* blankName, const TextRows& rows, int32_t headerTexts) {
  SCOPED_TRACE(blankName);
  const TCurBlank* blank = Settings().Blanks.FindByName(Utf8ToCp1251(blankName));
  ASSERT_NE(blank, nullptr);
  int32_t texts = headerTexts;
  for (int32_t r = 0; r < rows.RowCount(); ++r)
    for (int32_t c = 1; c <= rows.ColCount(); ++c) texts += !rows.CellText(c, r).empty();
  for (const int ppi : {96, 120, 300, 600}) {
    QImage image(ppi * 10, ppi * 4, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(ppi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(ppi / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    TextNotingCanvas canvas(painter);
    TTableDraw request;
    request.AvailWidth = image.width();
    request.AvailHeight = image.height();
    request.FitMode = 3;
    TextRows view = rows;
    const TTableDrawn drawn = DrawBlankTable(canvas, request, *blank, view);
    EXPECT_EQ(drawn.NextRow, rows.RowCount()) << ppi << " ppi";
    std::string seen;
    for (const std::string& t : canvas.Texts) seen += Cp1251ToUtf8(t) + "|";
    EXPECT_EQ(static_cast<int32_t>(canvas.Texts.size()), texts) << ppi << " ppi: " << seen;
  }
}

TEST(DemoColumns, TheGoodsShowEveryHeaderAndCellOnOneLine) {
  ASSERT_TRUE(QFontDatabase::families().contains("DejaVu Sans")) << "fonts-dejavu-core is missing";
  ProgramHome home;
  for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    std::filesystem::copy_file(e.path(), std::filesystem::path(home.Dir()) / e.path().filename());
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  const std::string dir = home.Dir() + "/";
  const TextRows goods = GoodsRows(dir, {"CODE", "NAME", "UNIT", "PRICE_IN", "PRICE", "QTY", "BARCODE"});
  ASSERT_EQ(goods.RowCount(), 8);
  const std::string font = TableFontName();
  TableFontName() = "DejaVu Sans";
  ExpectNothingWraps("ТОВАРЫ", goods, 8);
  ExpectNothingWraps("ЦЕННИКИ", GoodsRows(dir, {"CODE", "NAME", "PRICE", "BARCODE", "10"}), 5);
  TableFontName() = font;
}

}  // namespace
}  // namespace vm::test
