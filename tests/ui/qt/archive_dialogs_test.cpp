// The archive dialogs as a user meets them (the drive dialog, the archive
// list of a period deletion, the volume-file question), and "Создание
// резервной копии данных" / "Восстановление данных из резервной копии" run
// from the menu on the sample data.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <gtest/gtest.h>

#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "support/fake_disks.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/modal.h"
#include "ui/qt/archive_dialogs.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_services.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(ArchiveDialogs, TheDriveListHoldsTheRemovableMediaByTheirDevices) {
  test::DesktopDisks media;
  TDriveDialog form("Копировать данные на дискету?"_w, nullptr, media.Sources());
  QStringList shown;
  for (int i = 0; i < form.DriveList()->count(); ++i) shown << form.DriveList()->itemText(i);
  EXPECT_EQ(shown, (QStringList{"/media/user/STICK", "/run/media/user/CARD ONE", "/mnt/sd", "/media/user/DISC"}));
}

TEST(ArchiveDialogs, TheDriveDialogGivesTheDriveItShowsEvenAfterNo) {
  test::DesktopDisks media;
  TQtArchiveDialogs installed(nullptr, media.Sources());
  QString title, prompt;
  bool yesFocused = false;
  test::WhenModal([&](QWidget* modal) {
    auto* form = qobject_cast<TDriveDialog*>(modal);
    ASSERT_TRUE(form);
    title = form->windowTitle();
    for (QLabel* l : form->findChildren<QLabel*>())
      if (l->isVisibleTo(form)) prompt += l->text() + "|";
    yesFocused = form->focusWidget() == form->YesButton();
    EXPECT_EQ(form->DriveList()->currentIndex(), 0);
    form->DriveList()->setEditText("/media/stick");
    form->NoButton()->click();
  });
  std::string drive;
  EXPECT_FALSE(SelectDrive("Копировать данные на дискету?"_w, drive));
  EXPECT_EQ(drive, "/media/stick");
  EXPECT_EQ(title, U("Выберите диск"));
  EXPECT_EQ(prompt, U("Копировать данные на дискету?|Диск:|"));
  EXPECT_TRUE(yesFocused);
}

// With no removable disk mounted (only the system disk and a fixed disk
// where sticks usually go) nothing stands in for one: the dialog says so,
// and "Да" waits until a folder is named.
TEST(ArchiveDialogs, WithoutARemovableDiskTheDriveDialogSaysSoAndWaitsForAFolder) {
  test::FakeDisks fixed;
  fixed.Disk("sda", false);
  fixed.Partition("sda", "sda1");
  fixed.Disk("nvme0n1", false);
  fixed.Partition("nvme0n1", "nvme0n1p1");
  fixed.Mount("/dev/sda1", "/", "ext4");
  fixed.Mount("/dev/nvme0n1p1", "/media/data", "ext4");
  TQtArchiveDialogs installed(nullptr, fixed.Sources());
  struct Seen {
    int Listed = -1;
    bool Said = false, YesAtFirst = true, BrowseFocused = false, YesOnceNamed = false;
    QString Text;
  } seen;
  test::WhenModal([&](QWidget* modal) {
    auto* form = qobject_cast<TDriveDialog*>(modal);
    ASSERT_TRUE(form);
    seen.Listed = form->DriveList()->count();
    seen.Said = form->NoDiskLabel()->isVisibleTo(form);
    seen.Text = form->NoDiskLabel()->text();
    seen.YesAtFirst = form->YesButton()->isEnabled();
    seen.BrowseFocused = form->focusWidget() == form->BrowseButton();
    QLineEdit* edit = form->DriveList()->lineEdit();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    edit->setFocus();
    test::TypeText(edit, "/mnt/copy");
    seen.YesOnceNamed = form->YesButton()->isEnabled();
    QTest::keyClick(edit, Qt::Key_Return);
    if (form->isVisible()) form->NoButton()->click();
  });
  std::string drive;
  EXPECT_TRUE(SelectDrive("Копировать данные на дискету?"_w, drive));
  EXPECT_EQ(drive, "/mnt/copy");
  EXPECT_EQ(seen.Listed, 0);
  EXPECT_TRUE(seen.Said);
  EXPECT_EQ(seen.Text, U("Съемный диск не найден. Вставьте его и выберите кнопкой \"Обзор...\" или введите папку."));
  EXPECT_FALSE(seen.YesAtFirst);
  EXPECT_TRUE(seen.BrowseFocused);
  EXPECT_TRUE(seen.YesOnceNamed);
}

TArcIDList Archives(int count) {
  TArcIDList list;
  for (int i = 0; i < count; ++i) {
    TArcIDItem& item = NewArchiveListItem(list);
    item.Record.Made = {i + 1, 11, 2026};
    item.Record.CutDate = {i + 1, 10, 2026};
    item.Record.MadeTime = {9, 30, 0};
    item.Position = 2 * i + 1;
  }
  return list;
}

TEST(ArchiveDialogs, TheArchiveListShowsTheDatesAndAsksBeforeItDeletes) {
  test::ScriptedUi ui;
  ui.Answers = {kIdNo, kIdYes};
  TQtArchiveDialogs installed(nullptr);
  const TArcIDList many = Archives(12);
  struct Seen {
    QStringList Headings, FirstRow;
    int Columns = 0, Usable = 0, Selected = -1;
    bool Checked = false, StillOpen = false;
  } seen;
  test::WhenModal([&](QWidget* modal) {
    auto* form = qobject_cast<TArchiveListDialog*>(modal);
    ASSERT_TRUE(form);
    QTableWidget* grid = form->Grid();
    for (int c = 0; c < 2; ++c) {
      seen.Headings << grid->horizontalHeaderItem(c)->text();
      seen.FirstRow << grid->item(0, c)->text();
    }
    seen.Columns = grid->columnWidth(0) + grid->columnWidth(1);
    seen.Usable = grid->width() - 6 - 15;
    seen.Selected = grid->currentRow();
    seen.Checked = form->MoveBox()->isChecked();
    form->DeleteButton()->click();
    seen.StillOpen = form->isVisible();
    grid->selectRow(3);
    form->MoveBox()->setChecked(false);
    form->DeleteButton()->click();
  });
  int32_t index = -1;
  bool move = true;
  EXPECT_TRUE(ChooseArchivePeriod(many, "Накладные"_w, index, move));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(move);
  EXPECT_EQ(seen.Headings, (QStringList{U("Дата создания архива"), U("Архивировано до")}));
  EXPECT_EQ(seen.FirstRow, (QStringList{U("1 ноября 2026 г."), U("1 октября 2026 г.")}));
  // Twelve rows need the scroll bar: the columns share 15 pixels less.
  EXPECT_EQ(seen.Columns, seen.Usable);
  EXPECT_EQ(seen.Selected, 0);
  EXPECT_TRUE(seen.Checked);
  EXPECT_TRUE(seen.StillOpen);
  ASSERT_EQ(ui.Boxes.size(), 2u);
  EXPECT_EQ(ui.Boxes[1].Text, "Удалить все архивы по конфигурации 'Накладные'\r созданные до 4 ноября 2026 г. "_w +
                                  TimeRecToStr({9, 30, 0}, true, false) + " включительно?"_w);
  EXPECT_EQ(ui.Boxes[1].Caption, "Удаление периода из архива"_w);

  // Cancel gives nothing; two rows fit without a scroll bar.
  const TArcIDList two = Archives(2);
  int columns = 0, usable = 0;
  test::WhenModal([&](QWidget* modal) {
    auto* form = qobject_cast<TArchiveListDialog*>(modal);
    ASSERT_TRUE(form);
    columns = form->Grid()->columnWidth(0) + form->Grid()->columnWidth(1);
    usable = form->Grid()->width() - 6;
    form->reject();
  });
  EXPECT_FALSE(ChooseArchivePeriod(two, "Накладные"_w, index, move));
  EXPECT_EQ(columns, usable);
}

TEST(ArchiveDialogs, TheVolumeQuestionGivesTheFolderOfTheChosenFile) {
  test::TempDir dir;
  test::WriteBytes(dir / "Reserv.000", "volume");
  TQtArchiveDialogs installed(nullptr);
  QStringList filters;
  test::WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_TRUE(dialog);
    filters = dialog->nameFilters();
    dialog->selectFile(QString::fromStdString(dir / "Reserv.000"));
    static_cast<QDialog*>(dialog)->accept();
  });
  std::string folder;
  EXPECT_TRUE(AskVolumeFolder(folder, "Файлы резервных копий (Reserv.000)|Reserv.000"_w, dir.Dir(), "Reserv.000"));
  EXPECT_EQ(folder, Utf8ToCp1251(fs::canonical(dir.Dir()).string()) + "/");
  EXPECT_EQ(filters.join('|').toStdString(), "Файлы резервных копий (Reserv.000)");
}

// A file type shows its masks once, whether its description names them or
// not; masks that differ from those named are added, since Qt takes its
// patterns from the last brackets.
TEST(ArchiveDialogs, AFileTypeShowsItsMasksOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"Файлы удаленных периодов (Delarch.000)|Delarch.000", "Файлы удаленных периодов (Delarch.000)"},
      {"Таблицы|*.dbf;*.DBF|Все файлы|*.*", "Таблицы (*.dbf *.DBF)|Все файлы (*.*)"},
      {"Файлы рисунков (*.bmp)|*.BMP", "Файлы рисунков (*.bmp) (*.BMP)"},
  };
  for (const auto& [filter, shown] : cases)
    EXPECT_EQ(FileDialogFilters(Utf8ToCp1251(filter)).join('|').toStdString(), shown);
}

// Answers whatever comes up while a menu command runs: "Да" in message
// boxes, "Нет" in the drive dialog, the volume file in the file dialog.
class MenuAnswerer {
 public:
  explicit MenuAnswerer(std::string volume) : volume_(std::move(volume)) {}
  QStringList Seen;

 private:
  void Answer(QWidget* modal) {
    modal->setProperty("answered", true);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      Seen << box->text();
      return test::AgreeTo(box);
    }
    if (auto* drive = qobject_cast<TDriveDialog*>(modal)) {
      Seen << "drive";
      return drive->NoButton()->click();
    }
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      Seen << "file";
      files->selectFile(QString::fromStdString(volume_));
      return static_cast<QDialog*>(files)->accept();
    }
  }
  std::string volume_;
  test::ModalAnswerer answerer_{[this](QWidget* modal) { Answer(modal); }};
};

TEST(ArchiveDialogs, BackupAndRestoreFromTheMenuOnTheSampleData) {
  test::ProgramHome home;
  for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  const std::string income = test::ReadBytes(home / "income.dbf");
  std::string restored;
  int exitCode = -1;
  QStringList seen;
  TMainProgramHooks hooks;
  hooks.ExitAfterRestore = [&](int code) { exitCode = code; };
  hooks.Shown = [&](TMainWindow& w) {
    {
      MenuAnswerer answers(home / "RESERV/Reserv.000");
      w.BackupAction()->trigger();
      seen << answers.Seen;
    }
    test::WriteBytes(home / "income.dbf", "changed after the backup");
    {
      MenuAnswerer answers(home / "RESERV/Reserv.000");
      w.RestoreBackupAction()->trigger();
      seen << answers.Seen;
    }
    restored = test::ReadBytes(home / "income.dbf");
    EXPECT_TRUE(w.isEnabled());
    test::ClickInMessageBox("Да");
    w.close();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  EXPECT_EQ(exitCode, 1);
  EXPECT_TRUE(restored == income);
  ASSERT_EQ(seen.size(), 8) << seen.join(" | ").toStdString();
  EXPECT_EQ(seen[0], U("Создать резервную копию данных с удалением предыдущей копии ?"));
  EXPECT_EQ(seen[1], "drive");
  EXPECT_EQ(seen[2], U("Создание резервной копии данных успешно завершено"));
  EXPECT_EQ(seen[3], "file");
  EXPECT_TRUE(seen[4].startsWith(U("Восстановить данные с резервной копии,"))) << seen[4].toStdString();
  EXPECT_TRUE(seen[5].startsWith(U("После восстановления все изменения в данных"))) << seen[5].toStdString();
  EXPECT_EQ(seen[6], U("Восстановление данных успешно завершено"));
  EXPECT_EQ(seen[7], U("Перезапустите программу"));
}

// Pictures of the drive and archive-list dialogs, for people to look at
// when VELOMAR_SCREENSHOTS names a folder.
TEST(ScreenshotOfArchiveDialogs, DriveAndArchiveList) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  test::DesktopDisks media;
  TDriveDialog drive("Копировать данные на дискету?"_w, nullptr, media.Sources());
  drive.show();
  const TArcIDList list = Archives(12);
  TArchiveListDialog archives(list, "Движение товаров"_w);
  archives.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_TRUE(drive.grab().save(QString::fromLocal8Bit(folder) + "/select_drive.png"));
  archives.hide();
  QTest::qWait(400);  // the window manager maps and frames the drive dialog
  EXPECT_TRUE(drive.screen()->grabWindow(0).save(QString::fromLocal8Bit(folder) + "/select_drive_screen.png"));
  drive.DriveList()->showPopup();
  QTest::qWait(200);
  EXPECT_TRUE(drive.screen()->grabWindow(0).save(QString::fromLocal8Bit(folder) + "/select_drive_list_screen.png"));
  drive.DriveList()->hidePopup();
  EXPECT_TRUE(archives.grab().save(QString::fromLocal8Bit(folder) + "/archive_list.png"));
  drive.hide();
  const test::FakeDisks none;
  TDriveDialog noDisk("Копировать данные на дискету?"_w, nullptr, none.Sources());
  noDisk.show();
  QTest::qWait(400);
  EXPECT_TRUE(noDisk.screen()->grabWindow(0).save(QString::fromLocal8Bit(folder) + "/select_no_drive_screen.png"));
}

// Pictures of the file dialogs as a window manager frames them: the
// folder chooser behind "Обзор..." of the drive dialog, and the file
// chooser on the demo's folder.
TEST(ScreenshotOfArchiveDialogs, TheFileDialogs) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  const QString out = QString::fromLocal8Bit(folder);
  test::DesktopDisks media;
  TDriveDialog drive("Копировать данные на дискету?"_w, nullptr, media.Sources());
  drive.show();
  bool saved = false;
  test::WhenModalOf<QFileDialog>([&](QFileDialog* dialog) {
    QTest::qWait(800);
    saved = dialog->screen()->grabWindow(0).save(out + "/choose_disk_screen.png");
    dialog->reject();
  });
  for (QPushButton* b : drive.findChildren<QPushButton*>())
    if (b->text() == QString::fromUtf8("Обзор...")) b->click();
  EXPECT_TRUE(saved);
  drive.hide();
  saved = false;
  test::WhenModalOf<QFileDialog>([&](QFileDialog* dialog) {
    QTest::qWait(800);
    saved = dialog->screen()->grabWindow(0).save(out + "/choose_file_screen.png");
    dialog->reject();
  });
  TQtUiServices ui;
  FileDialogRequest request;
  request.Title = "Загрузка"_w;
  request.Dir = std::string(VELOMAR_SOURCE_DIR) + "/demo";
  std::vector<std::string> paths;
  EXPECT_FALSE(ui.ChooseFiles(request, paths));
  EXPECT_TRUE(saved);
}

}  // namespace
}  // namespace vm
