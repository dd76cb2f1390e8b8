#include "ui/qt/lookup_page_widget.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "models/view_rig.h"
#include "modal.h"
#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/qt_services.h"

using namespace vm;
using namespace vm::test;

namespace {

TEST(LookupPageWidget, ShowsCategoriesAndOptionsAndPassesChoicesToThePage) {
  THelpItem page("GOODS", &GoodsBlank());
  page.HasValueList = true;
  page.Categories = {"Все"_w, "Велосипеды"_w, "Шлемы"_w};
  page.CategoryIndex = 0;
  page.Options.AddNew()->Caption = "Только в наличии"_w;
  page.Options.AddNew()->Caption = "Все товары"_w;
  page.Options.Visible = true;
  std::vector<std::string> clicked;
  page.Options.OnClick = [&clicked](THelpItem&, TOpt& opt) { clicked.push_back(opt.Caption); };
  int changes = 0;
  page.OnCategoryChange = [&changes](THelpItem&) { ++changes; };

  TLookupPageWidget widget(page);
  widget.resize(300, 300);
  widget.show();
  ASSERT_EQ(widget.Categories()->count(), 3);
  EXPECT_TRUE(widget.Categories()->isVisible());
  EXPECT_EQ(widget.Categories()->currentText(), QString::fromUtf8("Все"));
  ASSERT_EQ(widget.OptionButtons().size(), 2u);
  // Stacked from the top of their panel, one pixel apart.
  const QRadioButton* first = widget.OptionButtons()[0];
  const QRadioButton* second = widget.OptionButtons()[1];
  EXPECT_EQ(first->y(), 2);
  EXPECT_EQ(second->y(), first->y() + first->height() + 1);
  EXPECT_EQ(widget.OptionPanel()->height(), second->y() + second->height() + 2);

  QTest::mouseClick(widget.OptionButtons()[1], Qt::LeftButton);
  EXPECT_EQ(clicked, std::vector<std::string>{"Все товары"_w});
  EXPECT_EQ(page.Options.Selected, &page.Options.Items(1)->Condition);

  widget.Categories()->setFocus();
  QTest::keyClick(widget.Categories(), Qt::Key_Down);
  EXPECT_EQ(page.CategoryIndex, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(&widget.ShownView()->View(), &page.Shown);

  // A page without categories or options shows only its view.
  THelpItem plain("PLAIN", &GoodsBlank());
  TLookupPageWidget bare(plain);
  bare.show();
  EXPECT_FALSE(bare.Categories()->isVisible());
  EXPECT_FALSE(bare.OptionPanel()->isVisible());
}

TEST(DocWindows, AreDisabledTogetherAndGiveTheFocusBack) {
  TQtUiServices ui;
  QWidget document, info;
  auto* edit = new QLineEdit(&document);
  ui.AddDocWindow(&document);
  ui.AddDocWindow(&info);
  document.show();
  QApplication::setActiveWindow(&document);
  edit->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  ui.EnableDocWindows(false);
  EXPECT_FALSE(ui.DocWindowsEnabled());
  EXPECT_FALSE(document.isEnabled());
  EXPECT_FALSE(info.isEnabled());
  ui.EnableDocWindows(true);
  EXPECT_TRUE(document.isEnabled() && info.isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), edit);
}

}  // namespace
