// The configuration designer as an administrator uses it: a small shop
// built inside the program from an empty configuration, tried, checked and
// applied, then run by the headless runner; and a second opening left with
// "Отмена", which must change nothing on the disk.
#include "ui/qt/designer/designer_window.h"

#include <gtest/gtest.h>

#include <QListWidget>

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/data_dir.h"
#include "config/page_format.h"
#include "config/scramble.h"
#include "config/settings.h"
#include "foundation/tables/dbf.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "support/busy_machine.h"
#include "support/program_home.h"
#include "tests/ui/qt/modal.h"
#include "tests/ui/qt/on_screen.h"
#include "tests/ui/qt/title_bar.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/screen_place.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

QString Folder() {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  return folder ? QString::fromLocal8Bit(folder) : QString();
}

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Types into the dialog's edits in order (each emptied first), picks the
// given texts in its lists, then presses OK.
void FillDialog(QStringList edits, QStringList picks = {}, QString* caption = nullptr) {
  test::WhenModal([edits, picks, caption](QWidget* modal) {
    if (caption) *caption = modal->windowTitle();
    const QList<QComboBox*> boxes = modal->findChildren<QComboBox*>();
    for (int i = 0; i < picks.size() && i < boxes.size(); ++i) boxes[i]->setCurrentText(picks[i]);
    const QList<QLineEdit*> lines = modal->findChildren<QLineEdit*>();
    for (int i = 0; i < edits.size() && i < lines.size(); ++i) {
      lines[i]->clear();
      test::TypeText(lines[i], edits[i]);
    }
    for (QPushButton* b : modal->findChildren<QPushButton*>())
      if (b->text() == "OK" && b->isEnabled()) {
        b->click();
        return;
      }
    ADD_FAILURE() << "OK stayed disabled in " << modal->windowTitle().toStdString();
    static_cast<QDialog*>(modal)->reject();
  });
}

// Types the name of the node just added into the editor the tree opened
// for it.
void RenameNewNode(QTreeWidget* tree, const QString& text) {
  const QList<QLineEdit*> editors = tree->viewport()->findChildren<QLineEdit*>();
  ASSERT_FALSE(editors.isEmpty());
  editors.last()->setText(text);
  QTest::keyClick(editors.last(), Qt::Key_Return);
  QApplication::processEvents();
}

const char* kGoodsBlank =
    "COLCOUNT=3\nLEVELCOUNT=1\nHEADER[1]='Код'\nHEADER[2]='Наименование'\n"
    "HEADER[3]='Остаток'\nFORMAT[1]=N,6,0\nFORMAT[2]=C,20,0\nFORMAT[3]=N,10,3\n"
    "COLWIDTH[1]=120\nCOLWIDTH[2]=400\nCOLWIDTH[3]=200";

const char* kIncomeDoc =
    "USEDBASES\n  ТВ = NAME:ТОВ, KEY:[CODE]\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\n"
    "INIT\n  LOADBASE(ТВ)\n  ADDRECORD(ТВ)\n  ТВ.CODE := 1\n  ТВ.NAIM := 'Хлеб'\n"
    "  ТВ.QTY := %СКИДКА%\n  SAVEBASE(ТВ)\nENDSECTION";

class DesignerWindowTest : public ::testing::Test {
 protected:
  DesignerWindowTest() {
    // Nothing configured: one empty folder of documents, the system clock
    // and a start of the day that does nothing.
    TSettingsModel m;
    m.DocTree.AddTop("Документы"_w);
    m.SystemClock = true;
    m.StartOfDayDoc.Description = "INIT\r\nENDSECTION\r\n";
    m.Title = "Магазин"_w;
    m.LastDate = GetTodayRec();
    // Documents are laid out on the standard paper.
    PageFormats().Clear();
    PageFormats().Add({"A4", ""});
    m.DefaultFormatName = "A4";
    for (int32_t level = 1; level <= 16; ++level)
      PackPassword("", m.Passwords[static_cast<std::size_t>(level - 1)], level);
    EXPECT_TRUE(SaveConfigurationTo(home / "program.ini", m));
    EXPECT_TRUE(SaveAutoParamsTo(home / "manager.ini", m));
    EXPECT_TRUE(SaveLocalSettingsTo(home / "local.ini", m));
  }

  int Run(const TMainProgramHooks& hooks) {
    char name[] = "velomar";
    char* argv[] = {name, nullptr};
    return RunMainProgram(1, argv, hooks);
  }

  // Opens "Служебные настройки" from the main window's menu.
  static void OpenDesignerFrom(TMainWindow& w) {
    test::ClickInMessageBox("Да");
    for (QAction* a : w.ControlMenu()->actions())
      if (a->text() == U("Служебные настройки")) a->trigger();
  }

  int32_t GoodsRecords() const {
    TDBF t;
    t.FileName = home / "GOODS.DBF";
    if (!t.OpenReadOnly()) return -1;
    return t.RecCount();
  }

  std::string Files() const {
    return test::ReadBytes(home / "program.ini") + "|" + test::ReadBytes(home / "manager.ini") +
           "|" + test::ReadBytes(home / "local.ini");
  }

  void BuildShop(TDesignerWindow& w);

  test::ProgramHome home;
  QString previewCaption, checkText;
  int32_t recordsAfterTestRun = -2;
};

void DesignerWindowTest::BuildShop(TDesignerWindow& w) {
  TDesigner& d = w.Designer();
  EXPECT_EQ(w.Tabs->count(), 10);
  // A database and its fields.
  w.SelectTab(TDesignerTab::Bases);
  d.BasesPage.ActiveGrid = TBaseGrid::Bases;
  w.UpdateControls();
  FillDialog({"goods.dbf", U("тов"), U("Товары")});
  w.Bases->Add->click();
  ASSERT_EQ(d.BasesPage.ListedBases().size(), 1u);
  EXPECT_EQ(w.Bases->BasesGrid->item(0, 0)->text(), "GOODS.DBF");
  d.BasesPage.ActiveGrid = TBaseGrid::Fields;
  w.UpdateControls();
  const QStringList fields[] = {{"code", "6", "0"}, {"naim", "20", "0"}, {"qty", "10", "3"}};
  const QString types[] = {U("Число"), U("Строка"), U("Число")};
  for (int i = 0; i < 3; ++i) {
    FillDialog(fields[i], {types[i]});
    w.Bases->Add->click();
  }
  EXPECT_EQ(w.Bases->FieldsGrid->rowCount(), 3);
  EXPECT_EQ(w.Bases->FieldsGrid->item(2, 0)->text(), "QTY");
  // "Сохранить" creates the table, so that a test run can read it.
  w.Save->click();
  EXPECT_EQ(GoodsRecords(), 0);

  // A form and its preview.
  w.SelectTab(TDesignerTab::Forms);
  FillDialog({U("товары")});
  w.Forms->Add->click();
  ASSERT_EQ(w.Forms->List->count(), 1);
  EXPECT_EQ(w.Forms->List->item(0)->text(), U("ТОВАРЫ"));
  EXPECT_EQ(w.Forms->Caption->text(), U("Описание формы 'ТОВАРЫ'"));
  w.Forms->Memo->setPlainText(U(kGoodsBlank));
  test::WhenModal([this](QWidget* modal) {
    previewCaption = modal->windowTitle();
    if (!Folder().isEmpty()) modal->grab().save(Folder() + "/designer_preview.png");
    static_cast<QDialog*>(modal)->accept();
  });
  w.Forms->Preview->click();
  EXPECT_TRUE(previewCaption.startsWith(U("Предварительный просмотр, масштаб ")));

  // A reference book on the database, through that form.
  w.SelectTab(TDesignerTab::Books);
  FillDialog({U("ТОВАРЫ")});
  w.Books->Add->click();
  ASSERT_EQ(w.Books->List->count(), 1);
  w.Books->Form->setCurrentText(U("ТОВАРЫ"));
  ASSERT_EQ(w.Books->Columns->rowCount(), 3);
  const char* bookFields[] = {"CODE", "NAIM", "QTY"};
  for (int r = 0; r < 3; ++r) {
    w.Books->Columns->setCurrentCell(r, 1);
    w.Books->Field->setCurrentText(bookFields[r]);
  }
  w.Books->Insert->setChecked(true);
  w.Books->Edit->setChecked(true);
  test::TypeText(w.Books->Sort, "1");
  test::TypeText(w.Books->EditColumns, "3");
  EXPECT_EQ(SortKeysText(*d.BooksPage.CurrentBook()), "1");
  EXPECT_EQ(EditColumnsText(*d.BooksPage.CurrentBook()), "3");
  EXPECT_EQ(d.BooksPage.CurrentBook()->GetSDef(2)->FieldName, "QTY");

  // An auto-parameter.
  w.SelectTab(TDesignerTab::AutoParams);
  FillDialog({U("скидка"), "2.5"}, {U("Число")});
  w.AutoParams->Add->click();
  EXPECT_EQ(w.AutoParams->Grid->item(0, 0)->text(), U("СКИДКА"));

  // A folder and a document with a password number.
  w.SelectTab(TDesignerTab::Commands);
  w.Commands->Select(d.Tree.First());
  w.Commands->Add->click();
  RenameNewNode(w.Commands->Tree, U("Склад"));
  w.Commands->Add->click();
  RenameNewNode(w.Commands->Tree, U("Приход хлеба"));
  w.Commands->Memo->setPlainText(U(kIncomeDoc));
  w.Commands->Password->setValue(1);
  EXPECT_EQ(d.CommandsPage.SelectedNode()->Text, "Приход хлеба"_w);
  EXPECT_EQ(d.CommandsPage.SelectedNode()->Data->PasswordNumber, 1);
  EXPECT_TRUE(w.Commands->Preview->isEnabled());

  if (!Folder().isEmpty()) {
    // As large as it opens, which the screen may make smaller.
    for (int i = 0; i < w.Tabs->count(); ++i) {
      w.Tabs->setCurrentIndex(i);
      QApplication::processEvents();
      w.grab().save(Folder() + QString("/designer_tab%1.png").arg(i + 1));
    }
    w.SelectTab(TDesignerTab::Commands);
    // The whole screen as the window manager shows it, where there is one.
    if (std::getenv("DISPLAY")) {
      const std::string shot = Folder().toStdString() + "/designer_screen.png";
      if (!test::TakeScreen(shot)) ADD_FAILURE() << shot;
    }
  }

  // The test run neither locks again nor commits.
  w.Commands->Preview->click();
  recordsAfterTestRun = GoodsRecords();
  test::ClickInMessageBox("OK", &checkText);
  w.Commands->CheckAll->click();
  // Only OK and a confirmed "Отмена" close the window.
  w.close();
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_TRUE(w.isVisible());
  w.Ok->click();
}

TEST_F(DesignerWindowTest, BuildsASmallShopThatTheRunnerThenUses) {
  TMainProgramHooks hooks;
  hooks.DesignerShown = [this](TDesignerWindow& w) { BuildShop(w); };
  QStringList menus;
  hooks.Shown = [&](TMainWindow& w) {
    OpenDesignerFrom(w);
    for (QAction* a : w.menuBar()->actions()) menus << a->text();
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_EQ(previewCaption, U("Предварительный просмотр, масштаб 100%"));
  EXPECT_EQ(recordsAfterTestRun, 0);
  EXPECT_EQ(checkText, U("Проверено 1 команд. Ошибки не обнаружены!"));
  EXPECT_TRUE(menus.contains(U("Документы"))) << menus.join(",").toStdString();

  // The three files hold the shop.
  TSettingsModel saved;
  ASSERT_TRUE(ReadConfigurationFile(0, home / "program.ini", saved));
  EXPECT_NE(saved.Bases.FindByFileName("GOODS.DBF"), nullptr);
  EXPECT_NE(saved.Blanks.FindByName("ТОВАРЫ"_w), nullptr);
  EXPECT_EQ(saved.Books.Count(), 1);
  int32_t operation = 0;
  ASSERT_TRUE(ReadAutoParamsFile(0, home / "manager.ini", saved, operation));
  ASSERT_TRUE(ReadLocalSettingsFile(0, home / "local.ini", saved));
  EXPECT_EQ(saved.AutoParams.GetValueText("СКИДКА"_w), "2.5000");

  // The runner takes the new document and commits through it.
  const std::string command = std::string("VELOMAR_HOME='") + home.Dir() + "' '" +
                              VELOMAR_RUN_EXE + "' '" + Cp1251ToUtf8("Приход хлеба"_w) +
                              "' > /dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(GoodsRecords(), 1);

  // Opened again and left with "Отмена": not a byte changes.
  std::string before, after;
  hooks.DesignerShown = [](TDesignerWindow& w) {
    test::ClickInMessageBox("Да");
    w.Cancel->click();
  };
  hooks.Shown = [&](TMainWindow& w) {
    before = Files();
    OpenDesignerFrom(w);
    after = Files();
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_TRUE(after == before);
}

// The load spins two threads for each core the test may use: its affinity
// mask, and no more than the parallel jobs it was given.
TEST(BusyMachine, SpinsTwoThreadsForEachCoreTheTestMayUse) {
  cpu_set_t all, one;
  ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
  CPU_ZERO(&one);
  CPU_SET(::sched_getcpu(), &one);
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  EXPECT_EQ(test::BusyMachine().Threads(), 2u);
  ASSERT_EQ(::sched_setaffinity(0, sizeof all, &all), 0);

  const char* given = std::getenv("CMAKE_BUILD_PARALLEL_LEVEL");
  const std::string was = given ? given : "";
  ::setenv("CMAKE_BUILD_PARALLEL_LEVEL", "1", 1);
  EXPECT_EQ(test::BusyMachine().Threads(), 2u);
  if (given) {
    ::setenv("CMAKE_BUILD_PARALLEL_LEVEL", was.c_str(), 1);
  } else {
    ::unsetenv("CMAKE_BUILD_PARALLEL_LEVEL");
  }
}

// A busy window manager frames a window late, and Qt's own idea of the
// frame may be half made (none yet, or a frame window of 1x1 round the
// whole client) until the window moves again. Fifty openings of the
// designer with the machine loaded to twice its cores, each window read
// back as openbox framed it: the designer (again once its dialog has
// gone), the warning before it, one of its dialogs in turn and the
// question of "Отмена" each stand in the middle of the screen, frame
// included, and lie wholly on it.
class DesignerWindowUnderOpenbox : public DesignerWindowTest {};

TEST_F(DesignerWindowUnderOpenbox, EveryWindowOfEveryOpeningStandsInTheMiddleOfTheScreen) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X display";
  const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> dialogs = {
      {"Добавить новую базу",
       [](QWidget* p) {
         TBaseDialogTexts t;
         ShowBaseDialog("Добавить новую базу"_w, t, {}, {}, -1, p);
       }},
      {"Создать новое поле",
       [](QWidget* p) {
         TFieldDialogTexts f{"", "Строка"_w, "10", "0"};
         ShowFieldDialog(f, "Создать новое поле"_w, {}, -1, p);
       }},
      {"Новая форма",
       [](QWidget* p) {
         std::string name;
         ShowAddBlankDialog("Новая форма"_w, name, {}, p);
       }},
      {"Добавить справочник",
       [](QWidget* p) {
         std::string alias, name;
         ShowAddBookDialog({"ТОВАРЫ"_w}, {}, alias, name, p);
       }},
      {"Добавить автопараметр",
       [](QWidget* p) {
         std::string name, value, type;
         ShowAddAutoParamDialog("Добавить автопараметр"_w, name, value, {}, type, p);
       }},
  };
  std::vector<std::string> misplaced;
  int looked = 0, opening = 0;
  // Notes the window unless, once openbox has framed it, it comes to stand
  // in the middle of the screen.
  const auto look = [&](QWidget& window) {
    ++looked;
    const QRect area = ScreenArea(window);
    QRect frame;
    const auto centred = [&] {
      frame = test::ShownFrame(window);
      const QPoint off = frame.center() - area.center();
      return area.contains(frame) && std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
    };
    if (QTest::qWaitFor(centred, 2000)) return;
    misplaced.push_back(std::to_string(opening) + " " + window.windowTitle().toStdString() + ": " +
                        std::to_string(frame.x()) + "," + std::to_string(frame.y()) + " " +
                        std::to_string(frame.width()) + "x" + std::to_string(frame.height()));
  };
  const auto answer = [&](const char* button) {
    test::WhenModalOf<QMessageBox>([&look, button](QMessageBox* box) {
      look(*box);
      for (QAbstractButton* b : box->buttons())
        if (b->text() == U(button)) return b->click();
    });
  };
  TMainProgramHooks hooks;
  hooks.DesignerShown = [&](TDesignerWindow& w) {
    look(w);
    const auto& [title, open] = dialogs[static_cast<std::size_t>(opening) % dialogs.size()];
    test::WhenModal([&look](QWidget* modal) {
      look(*modal);
      static_cast<QDialog*>(modal)->reject();
    });
    open(&w);
    // Still there, once its dialog has come and gone.
    look(w);
    answer("Да");
    w.Cancel->click();
    EXPECT_FALSE(w.isVisible()) << title;
  };
  hooks.Shown = [&](TMainWindow& w) {
    const test::BusyMachine busy;
    for (opening = 0; opening < 50; ++opening) {
      answer("Да");
      for (QAction* a : w.ControlMenu()->actions())
        if (a->text() == U("Служебные настройки")) a->trigger();
    }
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_EQ(looked, 50 * 5);
  EXPECT_EQ(misplaced, std::vector<std::string>{});
}

// Agrees to every message box while it lives, noting each text.
class BoxAnswerer {
 public:
  BoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(test::UnansweredModal());
      if (!box) return;
      Texts << box->text();
      test::AgreeTo(box);
    });
    timer_.start();
  }
  QStringList Texts;

 private:
  QTimer timer_;
};

// "Проверить" of "Автозапуск" runs the program as a test and puts the caret
// on the line of its error; "Выполнить", asked first, runs it on the full
// road under the lock the designer holds, which stays held for it.
TEST_F(DesignerWindowTest, StartOfDayIsCheckedAndExecutedUnderTheDesignersLock) {
  TMainProgramHooks hooks;
  QStringList checked, executed;
  int errorBlock = -1;
  bool lockedAfter = false;
  hooks.DesignerShown = [&](TDesignerWindow& w) {
    w.SelectTab(TDesignerTab::StartOfDay);
    TStartOfDayTab& s = *w.StartOfDay;
    {
      BoxAnswerer answerer;
      s.Memo->setPlainText(U("INIT\n  MESSAGE(0, 'проверка', 'Проба')\n  NOSUCHFUNC(1)\nENDSECTION\n"));
      s.Check->click();
      errorBlock = s.Memo->textCursor().blockNumber();
      checked = answerer.Texts;
    }
    {
      BoxAnswerer answerer;
      s.Memo->setPlainText(U("INIT\n  MESSAGE(0, 'выполнено', 'Проба')\nENDSECTION\n"));
      s.Execute->click();
      executed = answerer.Texts;
    }
    lockedAfter = BasesLocked();
    test::ClickInMessageBox("Да");
    w.Cancel->click();
  };
  hooks.Shown = [&](TMainWindow& w) {
    OpenDesignerFrom(w);
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_EQ(errorBlock, 2) << checked.join("|").toStdString();
  EXPECT_FALSE(checked.contains(U("проверка")));
  ASSERT_EQ(executed.size(), 2) << executed.join("|").toStdString();
  EXPECT_EQ(executed[0], U("Вы действительно хотите выполнить программу автозапуска ?"));
  EXPECT_EQ(executed[1], U("выполнено"));
  EXPECT_TRUE(lockedAfter);
}

// The start-up password set in "Разное" guards the next start of the
// program on the same folder: a wrong entry is refused and asked again, the
// right one typed in small letters between blanks lets the program open.
TEST_F(DesignerWindowTest, AStartUpPasswordChangedInTheDesignerIsAskedByTheNextStart) {
  TMainProgramHooks hooks;
  hooks.DesignerShown = [](TDesignerWindow& w) {
    w.SelectTab(TDesignerTab::Misc);
    w.Misc->Passwords->setCurrentRow(10);
    test::WhenModal([](QWidget* modal) {
      const QList<QLineEdit*> edits = modal->findChildren<QLineEdit*>();
      ASSERT_EQ(edits.size(), 2);
      test::TypeText(edits[0], U("Сезам"));
      test::TypeText(edits[1], U("сезам"));
      for (QPushButton* b : modal->findChildren<QPushButton*>())
        if (b->text() == "OK") b->click();
    });
    w.Misc->ChangePassword->click();
    w.Ok->click();
  };
  hooks.Shown = [](TMainWindow& w) {
    OpenDesignerFrom(w);
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  ASSERT_EQ(Run(hooks), 0);

  QStringList answers{U("Сезан"), U("  сезам ")};
  QStringList prompts;
  QString refusal;
  std::function<void()> answerNext = [&] {
    test::WhenModalOf<TInputDialog>([&](TInputDialog* dialog) {
      prompts << dialog->windowTitle();
      if (answers.isEmpty()) {
        dialog->reject();
        return;
      }
      test::TypeText(dialog->Edit(), answers.takeFirst());
      if (prompts.size() == 1) {
        test::ClickInMessageBox("OK", &refusal);
        answerNext();
      }
      dialog->OkButton()->click();
    });
  };
  answerNext();
  bool shown = false;
  hooks.DesignerShown = nullptr;
  hooks.Shown = [&shown](TMainWindow& w) {
    shown = true;
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_EQ(prompts.size(), 2);
  EXPECT_EQ(refusal, U("Неверный пароль !"));
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace vm
