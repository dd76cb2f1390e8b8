// The directory chooser answered from the keyboard: a disk chosen in the
// tree, a folder opened in the list with Enter, OK with Enter; Esc leaves
// the folder as it was.
#include "ui/qt/dir_select_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "platform/encoding.h"
#include "support/fake_disks.h"
#include "tests/ui/qt/modal.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

TEST(DirSelectDialog, LocalDisksFirstNothingChosenAtStartAFolderOpenedAndTakenByKeys) {
  TDirSelForm form;
  ASSERT_GE(form.ResTree()->topLevelItemCount(), 1);
  EXPECT_EQ(form.ResTree()->topLevelItem(0)->text(0), QString::fromUtf8("Локальные диски"));
  EXPECT_EQ(form.ResTree()->topLevelItem(0)->child(0)->text(0), "/");
  EXPECT_FALSE(form.OkButton()->isEnabled());
  EXPECT_TRUE(form.Directory().empty());

  const fs::path base = fs::temp_directory_path() / ("dirsel_" + std::to_string(::getpid()));
  fs::create_directories(base / "Магазин");
  fs::create_directories(base / "archive");
  std::string chosen = "unchanged";
  test::WhenModal([&](QWidget* modal) {
    auto* f = qobject_cast<TDirSelForm*>(modal);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), QString::fromUtf8("Каталог баз"));
    // The root disk from the tree, then the folder from the list.
    f->ResTree()->setFocus();
    f->ResTree()->setCurrentItem(f->ResTree()->topLevelItem(0)->child(0));
    EXPECT_EQ(f->Directory(), "/");
    EXPECT_TRUE(f->OkButton()->isEnabled());
    f->SetDirectory(base.string());
    QListWidget* list = f->DirList();
    const auto found = list->findItems(QString::fromUtf8("Магазин"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(list->item(0)->text(), "..");
    EXPECT_EQ(list->item(1)->text(), "archive");
    list->setFocus();
    list->setCurrentItem(found[0]);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(f->Directory(), Utf8ToCp1251((base / "Магазин").string()));
    f->OkButton()->setFocus();
    QTest::keyClick(f->OkButton(), Qt::Key_Return);
  });
  EXPECT_TRUE(ShowDirSelect(chosen, "Каталог баз"_w));
  EXPECT_EQ(chosen, Utf8ToCp1251((base / "Магазин").string()));

  test::WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(ShowDirSelect(chosen, "Каталог баз"_w));
  EXPECT_EQ(chosen, Utf8ToCp1251((base / "Магазин").string()));
  fs::remove_all(base);
}

std::vector<QString> Children(const QTreeWidgetItem* group) {
  std::vector<QString> texts;
  for (int i = 0; i < group->childCount(); ++i) texts.push_back(group->child(i)->text(0));
  return texts;
}

TEST(DirSelectDialog, TheDisksAreFixedOnesByTheirDevicesThenNetworkMounts) {
  test::DesktopDisks disks;
  TDirSelForm form(nullptr, disks.Sources());
  ASSERT_EQ(form.ResTree()->topLevelItemCount(), 2);
  EXPECT_EQ(form.ResTree()->topLevelItem(0)->text(0), QString::fromUtf8("Локальные диски"));
  EXPECT_EQ(Children(form.ResTree()->topLevelItem(0)), (std::vector<QString>{"/", "/home", "/media/data"}));
  EXPECT_EQ(form.ResTree()->topLevelItem(1)->text(0), QString::fromUtf8("Сетевые диски"));
  EXPECT_EQ(Children(form.ResTree()->topLevelItem(1)),
            (std::vector<QString>{"/srv/shop", QString::fromUtf8("/mnt/маг а"), "/mnt/remote"}));
}

// A picture of the chooser on a desktop's disks with a folder chosen, for
// people to look at when VELOMAR_SCREENSHOTS names a folder.
TEST(ScreenshotOfDirChooser, DesktopDisks) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  test::DesktopDisks disks;
  TDirSelForm form(nullptr, disks.Sources());
  form.setWindowTitle(QString::fromUtf8("Каталог баз"));
  form.ResTree()->setCurrentItem(form.ResTree()->topLevelItem(0)->child(0));
  form.show();
  QTest::qWait(400);  // the window manager maps and frames it
  EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(folder) + "/dir_chooser.png"));
  EXPECT_TRUE(form.screen()->grabWindow(0).save(QString::fromLocal8Bit(folder) + "/dir_chooser_screen.png"));
}

}  // namespace
}  // namespace vm
