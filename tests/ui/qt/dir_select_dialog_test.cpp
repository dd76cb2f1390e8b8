// The directory chooser answered from the keyboard: a disk chosen in the
// tree, a folder opened in the list with Enter, OK with Enter; Esc leaves
// the folder as it was.
#include "ui/qt/dir_select_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "platform/encoding.h"
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

}  // namespace
}  // namespace vm
