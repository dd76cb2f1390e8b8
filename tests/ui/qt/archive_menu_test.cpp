// "Сервис → Архивация баз данных" and "Восстановление из архива" on the
// sample data, answered as a user would: the password, the date, the
// questions and the closing messages.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "archive/archive_period.h"
#include "config/settings.h"
#include "foundation/tables/dbf.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/modal.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/designer/designer_window.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

// Answers every input window and message box that comes up: the next typed
// text for an input window, "Да" or else the default button for a box.
class Answerer {
 public:
  explicit Answerer(std::vector<QString> texts) : texts_(std::move(texts)) {}
  QStringList Seen;

 private:
  void Answer(QWidget* modal) {
    // Pictures for people to look at, when VELOMAR_SCREENSHOTS names a folder.
    if (const char* folder = std::getenv("VELOMAR_SCREENSHOTS"))
      modal->grab().save(QString::fromLocal8Bit(folder) + QString("/archive_menu_%1.png").arg(++shots_));
    if (auto* input = qobject_cast<TInputDialog*>(modal)) {
      modal->setProperty("answered", true);
      Seen << "input: " + modal->windowTitle();
      input->Edit()->selectAll();
      test::TypeText(input->Edit(), next_ < texts_.size() ? texts_[next_++] : QString());
      input->OkButton()->click();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      Seen << box->text();
      test::AgreeTo(box);
    }
  }
  std::vector<QString> texts_;
  std::size_t next_ = 0;
  static inline int shots_ = 0;
  test::ModalAnswerer answerer_{[this](QWidget* modal) { Answer(modal); }};
};

// A table's bytes but the date of its last change, which every write stamps.
std::string Undated(std::string table) {
  if (table.size() > 4) table.replace(1, 3, 3, '\0');
  return table;
}

// A configuration made in the designer's "Архивация" tab is at once an item
// of "Сервис → Архивация баз данных", and running it moves the income records
// into ARCHIVE while the sales, not in it, stay as they were.
int32_t Records(const fs::path& file) {
  TDBF t;
  t.FileName = file;
  if (!t.OpenReadOnly()) return -1;
  return t.RecCount();
}

TEST(ArchiveMenuWindow, AConfigurationMadeInTheDesignerArchivesFromTheMenu) {
  test::ProgramHome home;
  for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  const std::string income = test::ReadBytes(home / "income.dbf"), sales = test::ReadBytes(home / "sales.dbf");
  const int32_t incomeRecords = Records(home / "income.dbf");
  ASSERT_GT(incomeRecords, 0);
  TMainProgramHooks hooks;
  hooks.DesignerShown = [&](TDesignerWindow& w) {
    w.SelectTab(TDesignerTab::Archive);
    test::WhenModal([](QWidget* modal) {
      auto* edit = modal->findChild<QLineEdit*>();
      test::TypeText(edit, QString::fromUtf8("Поставки"));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    w.Archive->AddConfig->click();
    test::WhenModal([&](QWidget* modal) {
      modal->findChildren<QComboBox*>()[0]->setCurrentText(QString::fromUtf8("ПРИХОД"));
      for (QPushButton* b : modal->findChildren<QPushButton*>())
        if (b->text() == "OK") b->click();
    });
    w.Archive->AddEntry->click();
    w.Ok->click();
  };
  QStringList seen, items;
  hooks.Shown = [&](TMainWindow& w) {
    {
      Answerer answers({});
      for (QAction* a : w.ControlMenu()->actions())
        if (a->text() == QString::fromUtf8("Служебные настройки")) a->trigger();
    }
    PackPassword("КЛЮЧ"_w, Settings().Passwords[13], 14);
    ASSERT_FALSE(w.ArchiveMenus().empty());
    QAction* archive = nullptr;
    for (QAction* a : w.ArchiveMenus()[0]->actions()) {
      items << a->text();
      if (a->text() == QString::fromUtf8("Поставки")) archive = a;
    }
    ASSERT_NE(archive, nullptr) << items.join(",").toStdString();
    {
      Answerer answers({QString::fromUtf8("КЛЮЧ"), "04.12.2026"});
      archive->trigger();
      seen << answers.Seen;
    }
    test::ClickInMessageBox("Да");
    w.close();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  ASSERT_EQ(seen.size(), 4) << seen.join(" | ").toStdString();
  EXPECT_EQ(seen[2], QString::fromUtf8("Архивировать базы по конфигурации 'Поставки'\r по 4 декабря 2026 г. включительно?"));
  EXPECT_EQ(seen[3], QString::fromUtf8("Архивация успешно завершена"));
  EXPECT_FALSE(Undated(test::ReadBytes(home / "income.dbf")) == Undated(income));
  EXPECT_TRUE(Undated(test::ReadBytes(home / "sales.dbf")) == Undated(sales));
  EXPECT_LT(Records(home / "income.dbf"), incomeRecords);
  std::uintmax_t kept = 0;
  for (const auto& e : fs::directory_iterator(home / "ARCHIVE")) kept += e.file_size();
  EXPECT_GT(kept, 0u);
}

TEST(ArchiveMenuWindow, ArchivingAndRestoringTheSampleDataFromTheMenu) {
  test::ProgramHome home;
  // As an earlier start in this process leaves it: the program's own start
  // numbers its archives from 1 again.
  NextArchiveNumber() = 5;
  for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  const std::string income = test::ReadBytes(home / "income.dbf"), sales = test::ReadBytes(home / "sales.dbf");
  bool archived = false, gone = false;
  QStringList seen;
  TMainProgramHooks hooks;
  hooks.Shown = [&](TMainWindow& w) {
    // The archive items ask the password of level 14, kept upper-cased.
    PackPassword("КЛЮЧ"_w, Settings().Passwords[13], 14);
    ASSERT_EQ(w.ArchiveMenus().size(), 4u);
    QAction* archive = w.ArchiveMenus()[0]->actions().value(0);
    QAction* restore = w.ArchiveMenus()[1]->actions().value(0);
    ASSERT_TRUE(archive && restore);
    EXPECT_EQ(archive->text(), QString::fromUtf8("Движение товаров"));
    {
      Answerer answers({QString::fromUtf8("КЛЮЧ"), "04.12.2026"});
      archive->trigger();
      seen << answers.Seen;
    }
    archived = test::ReadBytes(home / "income.dbf") != income && test::ReadBytes(home / "sales.dbf") != sales;
    gone = fs::exists(home / "ARCHIVE/00000001.BH");
    {
      Answerer answers({QString::fromUtf8("ключ")});
      restore->trigger();
      seen << answers.Seen;
    }
    EXPECT_TRUE(w.isEnabled());
    test::ClickInMessageBox("Да");
    w.close();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  EXPECT_TRUE(archived);
  EXPECT_TRUE(gone);
  EXPECT_TRUE(Undated(test::ReadBytes(home / "income.dbf")) == Undated(income));
  EXPECT_TRUE(Undated(test::ReadBytes(home / "sales.dbf")) == Undated(sales));
  EXPECT_FALSE(fs::exists(home / "ARCHIVE/00000001.BH"));
  // The password, the date, the question and the message of each command.
  ASSERT_EQ(seen.size(), 7) << seen.join(" | ").toStdString();
  EXPECT_EQ(seen[1], QString::fromUtf8("input: Архивация до даты (включительно)"));
  EXPECT_EQ(seen[2],
            QString::fromUtf8("Архивировать базы по конфигурации 'Движение товаров'\r по 4 декабря 2026 г. включительно?"));
  EXPECT_EQ(seen[3], QString::fromUtf8("Архивация успешно завершена"));
  EXPECT_TRUE(seen[4].startsWith("input: "));
  EXPECT_TRUE(seen[5].startsWith(QString::fromUtf8("Вы действительно желаете восстановить данные по конфигурации "
                                                   "'Движение товаров', удаленные по 4 декабря 2026 г.")))
      << seen[5].toStdString();
  EXPECT_EQ(seen[6], QString::fromUtf8("Восстановление данных успешно завершено"));
}

}  // namespace
}  // namespace vm
