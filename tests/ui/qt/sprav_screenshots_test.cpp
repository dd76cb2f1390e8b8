// Pictures of the reference-book window, the panel editor and its button
// dialog on the sample data, for people to look at when
// VELOMAR_SCREENSHOTS names a folder (scripts/screenshots). Under a real
// display the whole screen is taken too, window frame and all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "ui/qt/panel_config_window.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/sprav_window.h"
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
  if (QGuiApplication::platformName() == "xcb")
    std::system(("import -window root '" + folder + "/" + name + "_screen.png' 2>/dev/null").c_str());
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
