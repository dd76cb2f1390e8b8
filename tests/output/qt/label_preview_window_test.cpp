// The label preview of a price-tag document, played as a user would: paging
// through the tags, then printing or cancelling.
#include "output/qt/label_preview_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <cstdlib>
#include <QPushButton>

#include "config/data_dir.h"
#include "foundation/barcodes/bar_patterns.h"
#include "foundation/values/dates.h"
#include "output/document_price_rig.h"
#include "output/price_tag_draw.h"
#include "foundation/qt/qt_canvas.h"
#include "ui/qt/modal.h"
#include "foundation/qt/qt_text.h"

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

namespace vm::test {
namespace {

// A picture for people to look at: the demo's label in the preview, filled
// as its price-tag document fills it; taken only when VELOMAR_SCREENSHOTS
// names a folder.
TEST(Screenshot, LabelPreviewOfTheDemoLabel) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (folder == nullptr) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  ZoneCompiling compiling;
  const std::string demo = std::string(VELOMAR_SOURCE_DIR) + "/demo/";
  TSettingsModel m;
  ASSERT_TRUE(ReadConfigurationFile(0, demo + "program.ini", m));
  ASSERT_GT(m.PriceTags.Count(), 0);
  const TCennik& layout = *m.PriceTags.GetItem(0);
  SetDataDir(demo);
  InstallPictureReader(ReadQtPicture);
  LoadPictures(layout.Graphics);
  TPrintCenList queue;
  const char* goods[][3] = {{"Велосипед горный «Урал»", "4990.00", "460000001221"},
                            {"Звонок велосипедный", "320.00", "460000000370"}};
  for (const auto& g : goods) {
    TCennik& tag = *AddPrintCen(queue, layout, 3).Tag;
    SetZoneText(*tag.GetZone(0), "Магазин «Колосок»"_w);
    SetZoneText(*tag.GetZone(1), Utf8ToCp1251(g[0]));
    SetZoneText(*tag.GetZone(2), g[1]);
    SetZoneText(*tag.GetZone(3), Interleaved25(g[2]));
    SetZoneText(*tag.GetZone(4), DateStrToLongStr("30.09.2026"));  // the longest date
  }
  TPrevCenForm form(queue);
  form.resize(640, 520);
  form.show();
  QTest::qWait(300);
  form.grab().save(QString::fromLocal8Bit(folder) + "/label_preview.png");
  form.close();
  ReleasePictures(layout.Graphics);
  InstallPictureReader(nullptr);
}

}  // namespace
}  // namespace vm::test
