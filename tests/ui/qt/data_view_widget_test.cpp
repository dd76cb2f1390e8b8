// The blank view widget driven by keys and the mouse as a user would.
#include "ui/qt/data_view_widget.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <functional>

#include "models/view_rig.h"
#include "modal.h"
#include "shown_text.h"
#include "platform/encoding.h"
#include "ui/qt/lookup_grid.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"

using namespace vm;
using namespace vm::test;

namespace {

class ViewWidgetTest : public testing::Test {
 protected:
  void SetUp() override {
    InstallUiServices(&ui);
    view.SetBlank(&GoodsBlank());
    FillRows(view, {{"Шлем"_w, "1200"}, {"Велосипед"_w, "15400.5"}, {"Насос"_w, "850"}});
    std::bitset<256> editable;
    editable.set(kName).set(kPrice);
    view.SetEditableColumns(editable);
    view.SetUpdating(false);
    view.SetCol(0);
    view.SetRow(0);
    widget.resize(200, 300);
    widget.show();
    QApplication::setActiveWindow(&widget);
    widget.setFocus();
    QApplication::processEvents();
  }
  void TearDown() override { InstallUiServices(nullptr); }

  // Keys go where the user's would: to the editor while a cell is edited.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(view.Editing() ? static_cast<QWidget*>(widget.Editor()) : &widget, key, modifiers);
  }
  QPoint CellCentre(int32_t col, int32_t row) { return widget.CellRect(col, row).center(); }

  TQtUiServices ui;
  TDataView view;
  TDataViewWidget widget{view};
};

TEST_F(ViewWidgetTest, KeysAndClicksMoveTheCurrentCell) {
  ASSERT_TRUE(view.Focused());
  QTest::mouseClick(widget.PaintArea(), Qt::LeftButton, {}, CellCentre(1, 1));
  EXPECT_EQ(view.CurRow(), 1);
  EXPECT_EQ(view.CurCol(), 1);
  Key(Qt::Key_Up);
  Key(Qt::Key_Left);
  Key(Qt::Key_Down);
  Key(Qt::Key_Right);
  EXPECT_EQ(view.CurRow(), 1);
  EXPECT_EQ(view.CurCol(), 1);
  Key(Qt::Key_End);
  EXPECT_EQ(view.CurCol(), 2);
  Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(view.CurRow(), 0);
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(view.CurRow(), 2);
  EXPECT_EQ(widget.RowBar()->value(), 2);
  EXPECT_EQ(widget.RowBar()->maximum(), 2);

  int32_t row = -1, col = -1;
  EXPECT_FALSE(widget.HitTest(QPoint(5, widget.RowsTop() - 2), row, col));  // the header

  // The rows lie under the header; the row bands follow one another.
  Key(Qt::Key_PageUp, Qt::ControlModifier);
  const QRect first = widget.CellRect(0, 0), second = widget.CellRect(0, 1);
  EXPECT_EQ(first.top(), widget.RowsTop());
  EXPECT_EQ(second.top(), first.bottom() + 1 + widget.LinePen());
  EXPECT_LE(widget.CellRect(2, 0).right(), widget.PaintArea()->width());
}

TEST_F(ViewWidgetTest, EditingStoresValidTextAndReportsInvalidText) {
  int ended = 0;
  view.OnEditEnd = [&ended](TDataView&) { ++ended; };
  Key(Qt::Key_Right);  // the price
  Key(Qt::Key_Return);
  ASSERT_TRUE(view.Editing());
  ASSERT_TRUE(widget.Editor()->isVisible());
  EXPECT_EQ(widget.Editor()->toPlainText(), "1200");

  widget.Editor()->selectAll();
  TypeText(widget.Editor(), "12x");
  QString message;
  WhenModal([&message](QWidget* modal) {
    message = static_cast<QMessageBox*>(modal)->text();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  Key(Qt::Key_Return);
  // The offscreen platform has no window manager to give the window back
  // its activation when the box goes.
  QApplication::setActiveWindow(&widget);
  EXPECT_EQ(message, QString::fromUtf8("Введены неправильные данные"));
  EXPECT_TRUE(view.Editing());
  EXPECT_TRUE(widget.Editor()->isVisible());
  EXPECT_EQ(widget.Editor()->toPlainText(), "12x");
  EXPECT_EQ(view.GetCellText(kPrice, 0), "1200");

  widget.Editor()->selectAll();
  TypeText(widget.Editor(), "12,5");
  Key(Qt::Key_Return);
  EXPECT_FALSE(view.Editing());
  EXPECT_FALSE(widget.Editor()->isVisible());
  EXPECT_EQ(view.GetCellText(kPrice, 0), "12.5");
  EXPECT_TRUE(widget.hasFocus());

  // Esc leaves the cell as it was.
  Key(Qt::Key_F2);
  TypeText(widget.Editor(), "999");
  Key(Qt::Key_Escape);
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.GetCellText(kPrice, 0), "12.5");
  EXPECT_EQ(ended, 1);

  // The right button cancels; a left click elsewhere stores.
  Key(Qt::Key_F2);
  TypeText(widget.Editor(), "7");
  QTest::mouseClick(widget.PaintArea(), Qt::RightButton, {}, CellCentre(0, 1));
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.GetCellText(kPrice, 0), "12.5");
  EXPECT_EQ(ended, 2);
  Key(Qt::Key_F2);
  TypeText(widget.Editor(), "7");
  QTest::mouseClick(widget.PaintArea(), Qt::LeftButton, {}, CellCentre(0, 1));
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.GetCellText(kPrice, 0), "12.57");
  EXPECT_EQ(view.CurRow(), 1);
  Key(Qt::Key_Up);
  Key(Qt::Key_Right);

  // A column that is not editable does not open the editor.
  Key(Qt::Key_End);
  Key(Qt::Key_Return);
  EXPECT_FALSE(view.Editing());
}

// A no-break space is stored as typed, and one the cell holds stays when
// another character of the cell is edited.
TEST_F(ViewWidgetTest, ANoBreakSpaceIsStoredAsItStands) {
  Key(Qt::Key_F2);
  TypeText(widget.Editor(), QString(QChar::Nbsp) + "S");
  Key(Qt::Key_Return);
  EXPECT_EQ(view.GetCellText(kName, 0), "Шлем"_w + "\xA0S");

  Key(Qt::Key_F2);
  Key(Qt::Key_End);
  Key(Qt::Key_Backspace);
  Key(Qt::Key_Return);
  EXPECT_EQ(view.GetCellText(kName, 0), "Шлем"_w + "\xA0");
}

// A text longer than its cell wraps as the cell shows it, and the editor
// grows over the rows below, or above at the foot of the rows, until every
// line shows; a number stays on one line and shows its end and the caret.
TEST_F(ViewWidgetTest, TheEditorShowsAllThatIsTyped) {
  const struct {
    int height;
    int32_t col, row;
    const char* typed;
  } cases[] = {
      {300, kName, 0, "Велосипед горный 26"},
      {300, kPrice, 0, "1234567,89"},
      {300, kName, 2, "Велосипед горный 26"},
      {widget.CellRect(kName, 2).bottom() + 6, kName, 2, "Велосипед горный 26"},
  };
  for (const auto& c : cases) {
    widget.resize(200, c.height);
    QApplication::processEvents();
    view.SetRow(c.row);
    view.SetCol(c.col);
    Key(Qt::Key_F2);
    ASSERT_TRUE(view.Editing());
    widget.Editor()->selectAll();
    TypeText(widget.Editor(), QString::fromUtf8(c.typed));
    EXPECT_TRUE(ShowsWholeOrItsEnd(*widget.Editor()))
        << c.height << " " << c.typed << " shows \"" << ShownText(*widget.Editor()).toStdString() << "\"";
    EXPECT_LE(widget.Editor()->geometry().bottom(), widget.PaintArea()->height()) << c.height << " " << c.typed;
    EXPECT_GE(widget.Editor()->geometry().top(), widget.RowsTop()) << c.height << " " << c.typed;
    Key(Qt::Key_Escape);
  }
}

// A column that selects its text when the editor opens: however it opens,
// what is typed replaces the value rather than joining it.
TEST_F(ViewWidgetTest, AColumnThatSelectsOnEditTakesWhatIsTypedInPlaceOfItsValue) {
  view.GetColLayout(kPrice)->SelectOnEdit = true;
  view.SetCol(kPrice);
  const std::function<void()> opens[] = {
      [&] { Key(Qt::Key_Return); }, [&] { Key(Qt::Key_F2); },
      [&] { QTest::mouseDClick(widget.PaintArea(), Qt::LeftButton, {}, CellCentre(kPrice, 0)); }};
  int32_t typed = 0;
  for (const auto& open : opens) {
    open();
    ASSERT_TRUE(view.Editing());
    const std::string value = std::to_string(++typed);
    TypeText(widget.Editor(), QString::fromStdString(value));
    Key(Qt::Key_Return);
    EXPECT_EQ(view.GetCellText(kPrice, 0), value);
  }
}

// Suspended, the area shows the rows as the suspension found them, a move
// or a value not painted yet included.
TEST_F(ViewWidgetTest, SuspendedTheAreaShowsTheRowsAsTheSuspensionFoundThem) {
  const auto picture = [this] {
    QImage image(widget.PaintArea()->size(), QImage::Format_RGB32);
    widget.PaintArea()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
  };
  const std::function<void()> changes[] = {[&] { Key(Qt::Key_Down); },
                                           [&] { view.SetCellText(kName, 1, "Звонок"_w); }};
  for (const auto& change : changes) {
    change();
    view.SetUpdating(true);
    const QImage behind = picture();
    view.SetUpdating(false);
    EXPECT_TRUE(picture() == behind);
  }
}

TEST_F(ViewWidgetTest, InsertedAndDeletedRowsShowAtOnce) {
  view.InsertRow(1);
  EXPECT_EQ(view.RowCount(), 4);
  EXPECT_EQ(view.CurRow(), 1);
  EXPECT_EQ(widget.RowBar()->maximum(), 3);
  EXPECT_EQ(widget.RowBar()->value(), 1);
  view.SetRow(3);
  view.DeleteRow(3);
  EXPECT_EQ(view.CurRow(), 2);
  EXPECT_EQ(widget.RowBar()->maximum(), 2);
  EXPECT_FALSE(widget.CellRect(0, 2).isEmpty());
}

TEST_F(ViewWidgetTest, TenThousandRowsScrollWithTheCurrentRow) {
  view.SetUpdating(true);
  view.ClearRows();
  for (int32_t i = 0; i < 10000; ++i) {
    const int32_t r = view.AppendRow();
    view.SetCellText(kName, r, "Row " + std::to_string(i));
  }
  view.SetUpdating(false);
  view.SetRow(0);
  const int32_t shown = widget.VisibleRows();
  EXPECT_GT(shown, 3);
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(view.CurRow(), 9999);
  EXPECT_EQ(widget.RowBar()->value(), 9999);
  // The current row is the last one shown, wholly inside the rows area.
  const QRect last = widget.CellRect(0, 9999);
  ASSERT_FALSE(last.isEmpty());
  EXPECT_LE(last.bottom(), widget.RowsTop() + widget.RowsHeight());
  EXPECT_GT(widget.TopRow(), 9999 - shown);

  widget.RowBar()->setValue(5000);
  EXPECT_EQ(view.CurRow(), 5000);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(view.CurRow(), 4990);
  EXPECT_EQ(widget.TopRow(), 4990);
  // Four notches of the wheel make one step of the default 480.
  for (int i = 0; i < 4; ++i) {
    QWheelEvent wheel(QPointF(10, 50), widget.mapToGlobal(QPointF(10, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
  }
  EXPECT_EQ(view.CurRow(), 4991);
}

TEST_F(ViewWidgetTest, AHeaderClickSortsByItsColumn) {
  QTest::mouseClick(widget.PaintArea(), Qt::LeftButton, {}, QPoint(CellCentre(1, 0).x(), widget.RowsTop() / 2));
  EXPECT_EQ(Column(view, kPrice), (std::vector<std::string>{"850", "1200", "15400.5"}));
  QTest::mouseClick(widget.PaintArea(), Qt::LeftButton, {}, QPoint(CellCentre(1, 0).x(), widget.RowsTop() / 2));
  EXPECT_EQ(Column(view, kPrice), (std::vector<std::string>{"15400.5", "1200", "850"}));
  QTest::mouseClick(widget.PaintArea(), Qt::LeftButton, {}, QPoint(CellCentre(0, 0).x(), widget.RowsTop() / 2));
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"Велосипед"_w, "Насос"_w, "Шлем"_w}));
}

TEST_F(ViewWidgetTest, ALookUpListFollowsWhatIsTyped) {
  TDataView goods;
  goods.SetBlank(&GoodsBlank());
  FillRows(goods, {{"Вилка"_w, "10"}, {"Велосипед"_w, "15400.5"}, {"Вентиль"_w, "30"}, {"Шлем"_w, "1200"}});
  goods.SortByColumn(kName, false);
  std::unique_ptr<TKeyCol> keys;
  int32_t keyCount = 0;
  AddKeyCol(keys, keyCount)->Number = kName;
  AddKeyCol(keys, keyCount)->Number = kPrice;
  TLookupGrid grid;
  view.OnCellChange = [&](TDataView& v) { grid.Fill(goods, v.EditorText(), keys.get()); };

  Key(Qt::Key_Return);
  widget.Editor()->clear();
  TypeText(widget.Editor(), QString::fromUtf8("в"));
  EXPECT_EQ(grid.rowCount(), 3);
  TypeText(widget.Editor(), QString::fromUtf8("е"));
  ASSERT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.item(0, 0)->text(), QString::fromUtf8("Велосипед"));
  EXPECT_EQ(grid.item(0, 1)->text(), "15400.50");
  EXPECT_EQ(grid.item(1, 0)->text(), QString::fromUtf8("Вентиль"));
  TypeText(widget.Editor(), QString::fromUtf8("л"));
  ASSERT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.Rows(), std::vector<int32_t>{0});
}

}  // namespace
