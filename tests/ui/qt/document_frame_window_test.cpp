// The document window's frame on the screen: the buttons where the frame's
// arithmetic puts them, Sort and Delete pressed with the mouse, and the
// scroll bars and zoom tools of a document that scrolls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "documents/doc_rig.h"
#include "language/interpreter.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/document_window.h"
#include "tests/ui/qt/modal.h"

namespace vm::test {
namespace {

struct WindowRig : DocRig {
  // Compiles T1 with the flags and the lines, then shows the window and
  // runs inWindow in it; the window is closed afterwards when still open.
  void Run(std::string_view flags, std::string_view lines, std::function<void(TDocumentWindow&)> inWindow) {
    ASSERT_EQ(CompileForm(std::string(lines) +
                          "VARS\nN = N\nENDSECTION\nFORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:150, KEYCOL:[1]" +
                          std::string(flags) + "\nENDSECTION\n"),
              0)
        << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    Data.MenuCaption = "Документ"_w;
    TDocumentWindowLogic logic(Doc, Data.MenuCaption);
    TDocumentWindow window(Doc, logic, Data);
    window.ApplyDocLayout();
    window.OnShown = [&](TDocumentWindow& w) {
      QApplication::processEvents();
      inWindow(w);
      if (w.isVisible()) w.done(QDialog::Rejected);
    };
    window.ShowModal(true);
  }
  TDataView& View() { return Doc.Forms.FindFormPar("T1")->View(); }
  std::string Keys() {
    std::string s;
    for (int32_t r = 0; r < View().RowCount(); ++r) s += View().GetCellText(0, r);
    return s;
  }
  TDocData Data;
};

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

TEST(DocumentFrameWindow, ButtonsStandWhereTheBarArithmeticPutsThem) {
  for (const char* flags : {"", ", SEARCH:1"}) {
    WindowRig r;
    bool ran = false;
    r.Run(flags, "", [&](TDocumentWindow& w) {
      ran = true;
      EXPECT_EQ(w.SearchLine()->isVisible(), std::string(flags).size() > 0);
      for (int width : {700, 500}) {
        w.resize(width, 400);
        Settle();
        const TButtonBarLayout bar = LayoutButtonBar(w.Panel2()->width(), w.SearchLine()->isVisible());
        EXPECT_EQ(w.Panel2()->height(), bar.Height) << width << flags;
        EXPECT_EQ(w.Panel2()->y() + w.Panel2()->height(), w.height());
        for (int b = 0; b < kFrameButtons; ++b) {
          const QPoint at = w.Button(static_cast<TFrameButton>(b))->pos();
          EXPECT_EQ(at, QPoint(bar.Buttons[b].Left, bar.Buttons[b].Top)) << width << flags << " button " << b;
        }
        // The document area ends where the bar begins.
        EXPECT_EQ(w.VisibleArea()->mapTo(&w, QPoint(0, w.VisibleArea()->height())).y(),
                  w.Panel2()->y() - 1);
      }
      EXPECT_EQ(w.Button(kSortBut)->text(), QString::fromUtf8("Сортировать"));
      EXPECT_TRUE(w.Button(kPrintBut)->isEnabled());  // printing is built
      EXPECT_GE(w.width(), kMinFrameWidth);
      w.resize(100, 100);
      Settle();
      EXPECT_GE(w.width(), kMinFrameWidth);
      EXPECT_GE(w.height(), kMinFrameHeight);
    });
    EXPECT_TRUE(ran);
  }
}

TEST(DocumentFrameWindow, SortAndDeleteByClicks) {
  WindowRig r;
  bool ran = false;
  r.Run(", DELABLE:1", "", [&](TDocumentWindow& w) {
    ran = true;
    TDataView& view = r.View();
    for (const char* k : {"c", "a", "b"}) view.SetCellText(0, view.AppendRow(), k);
    TDataViewWidget& table = *w.Table(0);
    w.activateWindow();
    table.setFocus();
    Settle();
    view.SetCol(0);
    EXPECT_TRUE(w.Button(kDelBut)->isEnabled());
    EXPECT_EQ(w.StatusRows()->text(), "3/3");
    QTest::mouseClick(w.Button(kSortBut), Qt::LeftButton);
    EXPECT_EQ(r.Keys(), "abc");
    // No to the question keeps the row, Yes deletes it.
    view.SetRow(1);
    r.Ui.Answers = {kIdNo, kIdYes};
    QTest::mouseClick(w.Button(kDelBut), Qt::LeftButton);
    EXPECT_EQ(r.Keys(), "abc");
    QTest::mouseClick(w.Button(kDelBut), Qt::LeftButton);
    EXPECT_EQ(r.Keys(), "ac");
    ASSERT_EQ(r.Ui.Boxes.size(), 2u);
    EXPECT_EQ(Cp1251ToUtf8(r.Ui.Boxes.back().Text), "Удалить текущую запись?");
    EXPECT_EQ(Cp1251ToUtf8(r.Ui.Boxes.back().Caption), "Документ");
  });
  EXPECT_TRUE(ran);
}

TEST(DocumentFrameWindow, TheWindowSeesItsKeysBeforeItsControls) {
  WindowRig r;
  bool ran = false;
  r.Run("", "", [&](TDocumentWindow& w) {
    ran = true;
    TDataViewWidget& table = *w.Table(0);
    w.activateWindow();
    ASSERT_TRUE(WaitUntilActive(w));
    table.setFocus();
    Settle();
    QTest::keyClick(&table, Qt::Key_F5);
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    QTest::keyClick(&table, Qt::Key_F5);
    EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);
    // Ctrl+Break asks a running program to stop; the key goes on.
    QTest::keyClick(&table, Qt::Key_Pause, Qt::ControlModifier);
    EXPECT_TRUE(Interp().BreakRequested());
    // Ctrl+Alt+Shift+C breaks the document off without a question.
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_NE(Interp().TerminateValue(), 0);
    EXPECT_TRUE(r.Ui.Boxes.empty());
  });
  EXPECT_TRUE(ran);
  Interp().BeginDocumentRun();
}

TEST(DocumentFrameWindow, AScrollingDocumentHasScrollBarsAndZoomTools) {
  for (bool scroll : {true, false}) {
    WindowRig r;
    bool ran = false;
    r.Run("", scroll ? "BLANK\nSCROLL = 1\nENDSECTION\n" : "", [&](TDocumentWindow& w) {
      ran = true;
      EXPECT_EQ(w.HScroll()->isVisible(), scroll);
      EXPECT_EQ(w.VScroll()->isVisible(), scroll);
      EXPECT_EQ(w.ZoomTools()->isVisible(), scroll);
      if (!scroll) {
        EXPECT_EQ(w.Panel1()->size(), w.VisibleArea()->size());
        return;
      }
      EXPECT_EQ(w.HorizontalZoom()->text(), QString::fromUtf8("гор."));
      EXPECT_EQ(w.ZoomButton(1)->toolTip(), QString::fromUtf8("Увеличить масштаб формы"));
      const QSize visible = w.VisibleArea()->size();
      EXPECT_EQ(w.Panel1()->size(), visible);
      EXPECT_FALSE(w.HScroll()->isEnabled());
      // Only the width grows while the height's box is clear.
      w.VerticalZoom()->setChecked(false);
      QTest::mouseClick(w.ZoomButton(1), Qt::LeftButton);
      QTest::mouseClick(w.ZoomButton(1), Qt::LeftButton);
      EXPECT_GT(w.Panel1()->width(), visible.width());
      EXPECT_EQ(w.Panel1()->height(), visible.height());
      EXPECT_TRUE(w.HScroll()->isEnabled());
      // The bar at its end shows the surface's right edge at the area's.
      w.HScroll()->setValue(kScrollMax);
      EXPECT_EQ(w.Panel1()->x() + w.Panel1()->width(), visible.width());
      QTest::mouseClick(w.ZoomButton(2), Qt::LeftButton);
      QTest::mouseClick(w.ZoomButton(2), Qt::LeftButton);
      QTest::mouseClick(w.ZoomButton(2), Qt::LeftButton);
      EXPECT_EQ(w.Panel1()->size(), visible);
      EXPECT_EQ(w.Panel1()->pos(), QPoint(0, 0));
      QTest::mouseClick(w.ZoomButton(1), Qt::LeftButton);
      QTest::mouseClick(w.ZoomButton(0), Qt::LeftButton);
      EXPECT_EQ(w.Panel1()->size(), visible);
      // Cancel, answered Yes, keeps the places with the document.
      r.Ui.Answers.push_back(kIdYes);
      w.reject();
    });
    EXPECT_TRUE(ran);
    // The surface's size and the boxes are kept with the document.
    if (scroll) {
      EXPECT_GT(r.Data.WorkWindowRect.Width, 0);
      EXPECT_GT(r.Data.FormWidth, 0);
      EXPECT_TRUE(r.Data.FixedHeight);
      EXPECT_FALSE(r.Data.FixedWidth);
    }
  }
}

}  // namespace
}  // namespace vm::test
