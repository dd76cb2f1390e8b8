// Pictures of a filled blank view and of a message box, for people to look
// at; taken only when VELOMAR_SCREENSHOTS names a folder (scripts/screenshots
// runs them under Xvfb with the real fonts).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/encoding.h"
#include "support/sample_blank.h"
#include "modal.h"
#include "platform/services.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/message_box.h"
#include "foundation/qt/qt_text.h"

using namespace vm;

namespace {

QString Folder() {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  return folder ? QString::fromLocal8Bit(folder) : QString();
}

TEST(Screenshot, FilledBlankViewAndMessageBox) {
  if (Folder().isEmpty()) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  TCurBlank blank;
  blank.SetText(test::GoodsBlankText());
  TDataView view;
  view.SetBlank(&blank);
  const test::TextRows rows = test::GoodsRows();
  const char* more[][3] = {{"Звонок", "320", "15"},     {"Фара передняя", "990.9", "6"},
                           {"Цепь 116 звеньев", "745", "8"}, {"Камера 26\"", "280", "20"},
                           {"Седло мягкое", "1150", "3"}};
  for (int32_t r = 0; r < rows.RowCount(); ++r) {
    const int32_t row = view.AppendRow();
    for (int32_t c = 0; c < 3; ++c) view.SetCellText(c, row, rows.CellText(c + 1, r));
  }
  for (const auto& m : more) {
    const int32_t row = view.AppendRow();
    for (int32_t c = 0; c < 3; ++c) view.SetCellText(c, row, Utf8ToCp1251(m[c]));
  }
  view.SetUpdating(false);
  view.SetCol(0);
  view.SetRow(1);
  TDataViewWidget widget(view);
  widget.setWindowTitle(ToQt("Товары"_wv));
  widget.resize(520, 330);
  widget.show();
  QApplication::setActiveWindow(&widget);
  widget.setFocus();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  ASSERT_TRUE(widget.grab().save(Folder() + "/blank_view.png"));

  bool saved = false;
  test::WhenModal([&saved](QWidget* modal) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    saved = modal->grab().save(Folder() + "/message_box.png");
    QTest::keyClick(modal, Qt::Key_Return);
  });
  EXPECT_EQ(ShowMessageBox(nullptr, "Сохранить изменения в документе 'Приход товара'?"_w, "Веломар"_w,
                           kMbYesNoQuestion),
            kIdNo);
  EXPECT_TRUE(saved);
}

}  // namespace
