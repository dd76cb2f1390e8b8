// The document's controls on a window: a select, a list select and a button
// made while the document compiles, shown inside the window's surface where
// the form puts them, worked with the mouse and the keys; the form scaled
// when the window is widened; input fields fitted to what is typed; the
// information window's cells at its scale.
#include "ui/qt/form_surface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "documents/doc_rig.h"
#include "documents/document_recalc.h"
#include "documents/document_window.h"
#include "language/interpreter.h"
#include "tests/ui/qt/modal.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/document_window.h"
#include "ui/qt/info_window.h"

namespace vm::test {
namespace {

// WIDTH 500: on a 500-pixel surface one unit is one pixel.
const char* const kDocument =
    "VARS\nHITS = N\nS = C\nENDSECTION\n"
    "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:100, Y2:-60, KEYCOL:[1]\nENDSECTION\n"
    "SELECTS\nS1 = X1:10, X2:200, Y1:10\nENDSECTION\n"
    "SELLIST\nL1 = X1:-110, X2:-10, Y1:10, Y2:90\nENDSECTION\n"
    "BUTTONS\nB1 = X1:300, X2:380, Y1:-40, Y2:-10, TITLE:'Пересчитать', B:1\nENDSECTION\n"
    "VIEWS\n[S]:30 = X:250, Y:10, E:1\n['Итог'] = X:10, Y:-40\nENDSECTION\n"
    "SELCHANGE = S1\nHITS := HITS + 1\nENDSELCHANGE\n"
    "SELLISTCHANGE = L1\nHITS := HITS + 10\nENDSELCHANGE\n"
    "BUTTONCLICK = B1\nHITS := HITS + 100\nENDBUTCLICK\n";

bool Inside(const QWidget* w, const QWidget* surface) {
  return w->parentWidget() == surface && w->isVisible() && w->x() >= 0 && w->y() >= 0 &&
         w->geometry().right() < surface->width() && w->geometry().bottom() < surface->height();
}

class FormSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Context.Controls = &waiting;
    ASSERT_EQ(rig.CompileForm(kDocument), 0) << rig.Message;
    Interp().BeginDocumentRun();
    rig.Doc.Events.Recalc = [this] { RecalcDocument(rig.Doc); };
  }
  int Hits() { return static_cast<int>(rig.Doc.Context.Symbols().FindVariable("HITS")->Value.Num); }
  QComboBox* Combo() { return static_cast<TQtDropDown&>(rig.Doc.Selects.GetItem(0)->Combo()).Combo(); }
  QListWidget* List() { return static_cast<TQtListBox&>(rig.Doc.ListSelects.GetItem(0)->List()).List(); }
  QPushButton* Button() { return static_cast<TQtButton&>(rig.Doc.Buttons.GetItem(0)->Button()).Button(); }
  QLineEdit* Field() { return static_cast<TQtCell*>(rig.Doc.Views.GetItem(0)->Control())->Edit(); }

  DocRig rig;
  TQtControls waiting;
};

TEST_F(FormSurfaceTest, ControlsStandInsideTheSurfaceAndRunTheirPrograms) {
  // Made with the document, before any window: off every window.
  ASSERT_NE(Combo(), nullptr);
  EXPECT_EQ(Combo()->parentWidget(), nullptr);
  rig.Doc.Selects.GetItem(0)->Add(Utf8ToCp1251("груша"));
  rig.Doc.Selects.GetItem(0)->Add(Utf8ToCp1251("яблоко"));
  rig.Doc.Selects.GetItem(0)->Add(Utf8ToCp1251("айва"));
  rig.Doc.ListSelects.GetItem(0)->AddUnique("one");
  rig.Doc.ListSelects.GetItem(0)->AddUnique("two");
  {
    QWidget window;
    window.resize(500, 401);
    auto* surface = new QWidget(&window);
    surface->setGeometry(0, 0, 500, 401);
    auto* table = new TDataViewWidget(rig.Doc.Forms.GetItem(0)->View(), surface);
    TFormSurface form(rig.Doc, *surface);
    RecalcDocument(rig.Doc);
    window.show();
    QApplication::processEvents();

    for (QWidget* w : {static_cast<QWidget*>(Combo()), static_cast<QWidget*>(List()),
                       static_cast<QWidget*>(Button()), static_cast<QWidget*>(Field())})
      EXPECT_TRUE(Inside(w, surface)) << w->metaObject()->className();
    // The list counts back from the right edge: it ends 10 units short.
    EXPECT_EQ(List()->geometry(), QRect(388, 7, 107, 88));
    EXPECT_EQ(Button()->geometry(), QRect(298, 357, 87, 34));
    EXPECT_EQ(table->geometry().top(), 100);
    EXPECT_EQ(table->geometry().bottom(), 340);
    EXPECT_EQ(Button()->text(), QString::fromUtf8("Пересчитать"));
    EXPECT_TRUE(Button()->font().bold());
    // The items sorted in the core list show in its order.
    ASSERT_EQ(Combo()->count(), 3);
    EXPECT_EQ(Combo()->itemText(0), QString::fromUtf8("айва"));
    EXPECT_EQ(Combo()->currentIndex(), -1);
    // Reading order: the select, the field and the list on one row, then
    // the table and the button.
    std::vector<QWidget*> order;
    for (const TFormControl& c : form.Form().TabOrder()) order.push_back(form.WidgetOf(c));
    EXPECT_EQ(order, (std::vector<QWidget*>{Combo(), Field(), List(), table, Button()}));
    EXPECT_EQ(form.FirstControl(), table);

    // Typing into the select's field changes its text only; choosing runs
    // its program.
    TypeText(Combo()->lineEdit(), QString::fromUtf8("ки"));
    EXPECT_EQ(Cp1251ToUtf8(rig.Doc.Selects.GetItem(0)->GetText()), "ки");
    EXPECT_EQ(Hits(), 0);
    Combo()->setCurrentIndex(0);
    QTest::keyClick(Combo(), Qt::Key_Down);
    EXPECT_EQ(rig.Doc.Selects.GetItem(0)->GetItemIndex(), 1);
    EXPECT_EQ(Cp1251ToUtf8(rig.Doc.Selects.GetItem(0)->GetText()), "груша");
    EXPECT_EQ(Hits(), 1);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(List()->item(1)).center());
    EXPECT_EQ(rig.Doc.ListSelects.GetItem(0)->GetText(), "two");
    EXPECT_EQ(Hits(), 11);
    QTest::mouseClick(Button(), Qt::LeftButton);
    EXPECT_EQ(Hits(), 111);

    // A field grows with its text and stops one pixel short of the edge.
    const int narrow = Field()->width();
    Field()->setText("wwwwwwwwwwwwwwwwwwwwwwwwwwwwww");
    EXPECT_GT(Field()->width(), narrow);
    EXPECT_EQ(Field()->geometry().right(), surface->width() - 2);
  }
  // The window went; the controls live on with their state, off every
  // window, ready for the next one.
  ASSERT_NE(Combo(), nullptr);
  EXPECT_EQ(Combo()->parentWidget(), nullptr);
  EXPECT_EQ(Combo()->count(), 3);
  EXPECT_EQ(rig.Doc.Views.GetItem(0)->Control()->Text(), std::string(30, 'w'));
}

TEST_F(FormSurfaceTest, TheFormScalesWithTheWindow) {
  TDocumentWindowLogic logic(rig.Doc, "T");
  TDocData data;
  data.MenuCaption = "T";
  TDocumentWindow window(rig.Doc, logic, data);
  QWidget* surface = window.Table(0)->parentWidget();
  // Built before the window shows, at the size it first has, so that the
  // focus order sees the places counted from the bottom where they stand.
  ASSERT_GT(surface->width(), 500);
  EXPECT_EQ(Button()->y(), RoundEven(-40 * (surface->width() / 500.0L)) + surface->height() - 1 - 3);
  window.resize(560, 400);
  window.show();
  QApplication::processEvents();
  const int32_t total = rig.Doc.Forms.GetItem(0)->View().Blank().TotalWidth;
  struct Case {
    int width;
  };
  for (const Case c : {Case{560}, Case{1100}, Case{700}}) {
    window.resize(c.width, 400);
    QApplication::processEvents();
    const long double scale = surface->width() / 500.0L;
    SCOPED_TRACE(surface->width());
    EXPECT_EQ(window.Table(0)->width(), RoundEven(total * scale));
    EXPECT_EQ(Combo()->x(), RoundEven(10 * scale) - 2);
    EXPECT_EQ(Combo()->width(), RoundEven(200 * scale) - Combo()->x() + 5);
    EXPECT_EQ(Combo()->font().pixelSize(), RoundEven(50 * scale));
    // Counted back from the right, the list keeps to the right edge.
    EXPECT_EQ(List()->geometry().right(), RoundEven(490 * scale) + 4);
    EXPECT_TRUE(Inside(Button(), surface));
  }
}

TEST_F(FormSurfaceTest, InformationCellsFollowTheInformationWindow) {
  ASSERT_EQ(rig.CompileForm("VARS\nA = N\nENDSECTION\n"
                            "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:-1, KEYCOL:[1]\nENDSECTION\n"
                            "INFODESK\nSIZE = X:200, Y:100\n['Итог'] = X:10, Y:-20\n[A]:6 = X:-60, Y:5, E:1\n"
                            "ENDSECTION\n"),
            0)
      << rig.Message;
  QWidget window;
  auto* surface = new QWidget(&window);
  new TDataViewWidget(rig.Doc.Forms.GetItem(0)->View(), surface);
  TInfoWindow info;
  {
    TFormSurface form(rig.Doc, *surface);
    form.PlaceInfoCells(info);
    info.resize(400, 10);
    info.show();
    QApplication::processEvents();
    // The window keeps the proportions of the desk: 400 x 200, scale 2.
    QWidget* panel = info.Panel();
    ASSERT_EQ(panel->width(), 400);
    auto* label = static_cast<TQtCell*>(rig.Doc.InfViews.GetItem(0)->Control())->Widget();
    auto* field = static_cast<TQtCell*>(rig.Doc.InfViews.GetItem(1)->Control())->Widget();
    EXPECT_EQ(label->parentWidget(), panel);
    EXPECT_EQ(label->pos(), QPoint(20, panel->height() - 40));
    EXPECT_EQ(field->pos(), QPoint(400 - 120 - 2, 10 - 3));
    info.resize(200, 10);
    QApplication::processEvents();
    EXPECT_EQ(field->pos(), QPoint(200 - 60 - 2, 5 - 3));
  }
  // The surface gone, the window lays nothing out any more.
  info.resize(300, 10);
  QApplication::processEvents();
}

}  // namespace
}  // namespace vm::test
