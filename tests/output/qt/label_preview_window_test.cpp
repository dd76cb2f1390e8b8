// The label preview of a price-tag document, played as a user would: paging
// through the tags, then printing or cancelling.
#include "output/qt/label_preview_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "output/document_price_rig.h"
#include "ui/qt/modal.h"
#include "ui/qt/qt_text.h"

namespace vm::test {
namespace {

std::string Text(QLabel* label) { return label->text().toStdString(); }

TEST(LabelPreviewWindow, PagesThroughTheTagsThenPrintsOrCancels) {
  PriceRig r;
  r.Build({{"Хлеб"_w, "2"}, {"Соль"_w, "0"}, {"Мёд"_w, "3"}});
  r.preview = RunLabelPreview;
  std::vector<std::string> seen;
  WhenModal([&](QWidget* modal) {
    auto* form = qobject_cast<TPrevCenForm*>(modal);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle().toStdString(), "Предварительный просмотр ярлыков");
    auto note = [&] {
      seen.push_back(Text(form->PositionPanel()) + " " + Text(form->CopiesPanel()) +
                     (form->PreviousButton()->isEnabled() ? " <" : "") + (form->NextButton()->isEnabled() ? " >" : ""));
    };
    note();
    QTest::mouseClick(form->NextButton(), Qt::LeftButton);
    note();
    QTest::mouseClick(form->NextButton(), Qt::LeftButton);  // already at the last
    note();
    QTest::mouseClick(form->PreviousButton(), Qt::LeftButton);
    note();
    EXPECT_TRUE(form->PaintBox()->isVisible());
    EXPECT_GT(form->PaintBox()->width(), 10);
    QTest::mouseClick(form->PrintButton(), Qt::LeftButton);
  });
  PrintDocument(r.Doc, "Ценники"_w, r.hooks);
  EXPECT_EQ(seen, (std::vector<std::string>{"1/2 Количество: 2 >", "2/2 Количество: 3 <", "2/2 Количество: 3 <",
                                            "1/2 Количество: 2 >"}));
  ASSERT_EQ(r.system.Jobs.size(), 1u);
  EXPECT_EQ(r.system.Jobs[0].Pages[0].Texts().size(), 2u * 5);

  WhenModal([](QWidget* modal) {
    auto* form = qobject_cast<TPrevCenForm*>(modal);
    ASSERT_NE(form, nullptr);
    QTest::mouseClick(form->CancelButton(), Qt::LeftButton);
  });
  PrintDocument(r.Doc, "Ценники"_w, r.hooks);
  EXPECT_EQ(r.system.Jobs.size(), 1u);
}

TEST(LabelPreviewWindow, ButtonsSpacedEvenlyAndAMinimumSize) {
  ZoneCompiling compiling;
  TPrintCenList queue;
  TCennik tag;
  AddPrintCen(queue, tag, 1);
  TPrevCenForm form(queue);
  form.resize(100, 50);
  form.show();
  QApplication::processEvents();
  EXPECT_GE(form.width(), 380);
  EXPECT_GE(form.height(), 150);
  form.resize(600, 300);
  QApplication::processEvents();
  const int gap = form.PrintButton()->x();
  EXPECT_GT(gap, 0);
  EXPECT_EQ(form.CancelButton()->x(), gap + form.PrintButton()->width() + gap);
  EXPECT_EQ(form.NextButton()->x(), 4 * gap + 3 * form.PrintButton()->width());
  EXPECT_EQ(Text(form.PositionPanel()), "1/1");
  EXPECT_FALSE(form.PreviousButton()->isEnabled() || form.NextButton()->isEnabled());
}

}  // namespace
}  // namespace vm::test
