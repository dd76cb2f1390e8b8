// Pictures of the reference-book window, the panel editor and its button
// dialog on the sample data, for people to look at when
// VELOMAR_SCREENSHOTS names a folder (scripts/screenshots). Under a real
// display the whole screen is taken too, window frame and all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/demo_goods.h"
#include "support/program_home.h"
#include "ui/qt/panel_config_window.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/sprav_window.h"
#include "tests/ui/qt/on_screen.h"
#include "models/startup.h"

namespace vm {
namespace {

void Picture(QWidget* window, const std::string& name) {
  const std::string folder = std::getenv("VELOMAR_SCREENSHOTS");
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QTest::qWait(30);
  }
  EXPECT_TRUE(window->grab().save(QString::fromStdString(folder + "/" + name + ".png")));
  if (QGuiApplication::platformName() == "xcb") test::TakeScreen(folder + "/" + name + "_screen.png");
}

class ScreenshotOfWindows3 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("VELOMAR_SCREENSHOTS")) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
    test::CopyDemoTo(home.Dir());
    InstallUiServices(&ui);
    ASSERT_EQ(StartUp(), 0);
    UnlockBases();
  }
  void TearDown() override {
    if (!std::getenv("VELOMAR_SCREENSHOTS")) return;
    ShutDown();
    InstallUiServices(nullptr);
  }
  test::ProgramHome home;
  TQtUiServices ui;
};

TEST_F(ScreenshotOfWindows3, TheReferenceBookWindowWhileSearching) {
  TSpravForm form(Settings());
  form.OnShown = [](TSpravForm& f) {
    f.activateWindow();
    TDataView& view = f.Logic().Current()->View;
    view.SetCol(1);
    f.Logic().SearchChanged("Са"_w);
    Picture(&f, "sprav_window");
    f.Tabs()->setCurrentIndex(1);
    Picture(&f, "sprav_window_suppliers");
    f.Tabs()->setCurrentIndex(0);
    // Made as narrow as it goes.
    f.resize(1, f.height());
    Picture(&f, "sprav_window_narrowest");
    f.OkButton()->click();
  };
  form.Execute();
}

// The modal box that comes up next is taken whole screen, then answered
// with the button of that caption.
void AnswerNextBox(const std::string& name, const char* button) {
  QTimer::singleShot(300, [name, button] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr) << name;
    Picture(box, name);
    for (QPushButton* b : box->findChildren<QPushButton*>())
      if (b->text() == QString::fromUtf8(button)) return b->click();
    ADD_FAILURE() << name << ": no button " << button;
  });
}

// A book whose form shows more digits than its field holds: OK refuses the
// number and puts the cell in front of the user.
TEST_F(ScreenshotOfWindows3, TheReferenceBookWindowRefusingANumberItsFieldCannotHold) {
  ASSERT_TRUE(test::WidenDemoPriceColumns(*Settings().Blanks.FindByName("ТОВАРЫ"_w)));
  TSpravForm form(Settings());
  form.OnShown = [](TSpravForm& f) {
    f.activateWindow();
    TDataView& view = f.Logic().Current()->View;
    view.SetRow(2);
    view.SetCol(4);
    ASSERT_TRUE(view.BeginEdit());
    view.SetEditorText("12345678901");
    int32_t key = kKeyEnter;
    view.EditorKeyDown(key, 0);
    AnswerNextBox("sprav_too_wide_box", "OK");
    f.OkButton()->click();
    Picture(&f, "sprav_too_wide");
    AnswerNextBox("sprav_too_wide_cancel", "Нет");
    f.CancelButton()->click();
  };
  form.Execute();
}

// A hundred thousand goods: found by typing in the middle, then the last.
TEST_F(ScreenshotOfWindows3, TheReferenceBookWindowOverAHundredThousandGoods) {
  Settings().Bases.FindByAlias("ТОВАРЫ"_w)->Table.Close();
  ASSERT_TRUE(test::GrowDemoGoods(home / "goods.dbf", 100000));
  TSpravForm form(Settings());
  form.OnShown = [](TSpravForm& f) {
    f.activateWindow();
    TDataView& view = f.Logic().Current()->View;
    view.SetCol(1);
    f.SearchEdit()->setText(QString::fromUtf8("Сыр 5"));
    Picture(&f, "sprav_window_big");
    int32_t key = kKeyPageDown;
    view.FocusEnter();
    view.KeyDown(key, kCtrlKey);
    Picture(&f, "sprav_window_big_end");
    f.OkButton()->click();
  };
  form.Execute();
}

TEST_F(ScreenshotOfWindows3, ThePanelEditorAndItsButtonDialog) {
  TConfigForm form(Settings());
  QTimer::singleShot(200, &form, [&form] {
    Picture(&form, "panel_editor");
    QTimer::singleShot(200, [] {
      auto* dialog = qobject_cast<TButConfForm*>(QApplication::activeModalWidget());
      if (dialog) {
        Picture(dialog, "button_dialog");
        dialog->reject();
      }
    });
    form.ButtonList()->setCurrentRow(1);
    form.EditButtonButton()->click();
    form.reject();
  });
  form.exec();
}

}  // namespace
}  // namespace vm
