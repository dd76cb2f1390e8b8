// The main window on a copy of the sample data, through the program's own
// main block: menus from the document tree, panels, the exit question, and
// the window's place kept on the screen and saved in "local.ini".
#include "ui/qt/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "tests/ui/qt/modal.h"
#include "models/instance_mark.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/main_program.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    for (const auto &e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  }

  int Run(const TMainProgramHooks &hooks) {
    char name[] = "velomar";
    char *argv[] = {name, nullptr};
    return RunMainProgram(1, argv, hooks);
  }

  test::ProgramHome home;
};

QStringList Titles(const QList<QAction *> &actions) {
  QStringList titles;
  for (QAction *a : actions)
    if (a->isVisible() && !a->isSeparator()) titles << a->text();
  return titles;
}


TEST_F(MainWindowTest, OpensWithTheDocumentMenusAndPanelsAndLeavesOnlyWhenConfirmed) {
  TMainProgramHooks hooks;
  std::vector<std::string> ran;
  hooks.RunDocument = [&ran](TDocData &doc) { ran.push_back(doc.MenuCaption); };
  QStringList bar;
  QString question;
  bool stayedAfterNo = false;
  int buttons = 0;
  hooks.Shown = [&](TMainWindow &w) {
    bar = Titles(w.menuBar()->actions());
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Веломар — магазин «Колосок»"));
    EXPECT_EQ(Titles(w.ControlMenu()->actions()),
              (QStringList{"Справочники", "Служебные настройки", "О программе", "Выход"}));
    // A document from its menu, then from a panel button.
    ASSERT_FALSE(w.DocMenus().empty());
    QMenu *menu = w.DocMenus().front();
    QAction *first = nullptr;
    for (QAction *a : menu->actions())
      if (auto *item = qobject_cast<TMyMenuItem *>(a); item && !first) first = item;
    ASSERT_NE(first, nullptr);
    first->trigger();
    for (TMyToolBar *t : w.ToolBars()) buttons += t->ButtonCount();
    if (!w.ToolBars().empty() && w.ToolBars().front()->ButtonCount() > 0) {
      QTest::mouseClick(w.ToolBars().front()->Button(0), Qt::LeftButton);
    }
    test::ClickInMessageBox("Нет", &question);
    w.ExitAction()->trigger();
    stayedAfterNo = w.isVisible();
    test::ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_TRUE(stayedAfterNo);
  EXPECT_EQ(question, QString::fromUtf8("Вы действительно хотите выйти из программы?"));
  ASSERT_GE(bar.size(), 4);
  EXPECT_EQ(bar.front(), QString::fromUtf8("Управление"));
  // The sample data lie in the program directory: "Сервис" is there.
  EXPECT_EQ(bar.mid(bar.size() - 2), (QStringList{"Сервис", "Панели"}));
  ASSERT_GE(ran.size(), 1u);
  EXPECT_EQ(ran.size(), buttons > 0 ? 2u : 1u);
  // The end of the run wrote the window's place.
  EXPECT_TRUE(fs::exists(home / "basepath.ini"));
}

TEST_F(MainWindowTest, ThePlaceIsKeptOnTheScreenAndSavedForTheNextStart) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  TSettingsModel &m = Settings();
  TMainWindowOptions options;
  options.LocalBases = false;
  options.ScreenSize = [] { return QSize(1024, 768); };
  {
    m.MainWindowRect = {5000, -10, 0, 0};
    TMainWindow w(m, options);
    EXPECT_FALSE(w.ServiceMenu()->menuAction()->isVisible());
    w.RestorePlace();
    EXPECT_EQ(w.pos(), QPoint(1024 - 50, 0));
    w.move(300, 200);
    w.StorePlace();
  }
  ASSERT_TRUE(SaveLocalSettings());
  m.MainWindowRect = {};
  ASSERT_TRUE(LoadLocalSettings());
  EXPECT_EQ(m.MainWindowRect.Left, 300);
  EXPECT_EQ(m.MainWindowRect.Top, 200);
  TMainWindow again(m, options);
  again.RestorePlace();
  EXPECT_EQ(again.pos(), QPoint(300, 200));
  m.MainWindowRect = {700, 5000, 0, 0};
  again.RestorePlace();
  EXPECT_EQ(again.pos(), QPoint(700, 768 - 50));
}

TEST_F(MainWindowTest, APanelHiddenFromItsMenuItemLeavesTheOthersInPlace) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  TSettingsModel &m = Settings();
  ASSERT_GT(m.Panels.Count(), 0);
  for (int32_t i = 0; i < m.Panels.Count(); ++i) m.Panels.GetPanel(i)->Shown = true;
  TMainWindow w(m, {});
  EXPECT_EQ(static_cast<int32_t>(w.ToolBars().size()), m.Panels.Count());
  const QRect first = w.ToolBars().front()->geometry();
  EXPECT_EQ(w.FindPanelAt(w.centralWidget()->mapTo(&w, first.topLeft())), m.Panels.GetPanel(0));
  QList<QAction *> items;
  for (QAction *a : w.PanelsMenu()->actions())
    if (a->isCheckable()) items << a;
  ASSERT_EQ(items.size(), m.Panels.Count());
  items.front()->trigger();
  EXPECT_FALSE(m.Panels.GetPanel(0)->Shown);
  EXPECT_FALSE(items.front()->isChecked());
  EXPECT_EQ(static_cast<int32_t>(w.ToolBars().size()), m.Panels.Count() - 1);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

class MainWindowMenusTest : public MainWindowTest {
 protected:
  MainWindowMenusTest() {
    ChooseDataDirectory();
    EXPECT_TRUE(LoadAllSettings());
  }
  TSettingsModel &m = Settings();
};

TEST_F(MainWindowMenusTest, ArchiveItemsComeOnlyForCheckedConfigurationsAndWorkOnLocalBases) {
  m.ArchiveConfigs.Clear();
  for (int32_t id : {3, 4}) {
    TArchiveConfig *c = m.ArchiveConfigs.AddConfig();
    c->ID = id;
    c->Name = "Архив "_w + std::to_string(id);
  }
  const auto shown = [](const QMenu *service) {
    QStringList titles;
    for (QAction *a : service->actions())
      if (a->isVisible()) titles << (a->isSeparator() ? QString("-") : a->text());
    return titles;
  };
  TMainWindowOptions none;
  TMainWindow bare(m, none);
  EXPECT_EQ(shown(bare.ServiceMenu()),
            (QStringList{"Создание резервной копии данных",
                         "Восстановление данных из резервной копии"}));
  TMainWindowOptions one;
  one.ValidArchives = {4};
  TMainWindow w(m, one);
  EXPECT_EQ(shown(w.ServiceMenu()).count("-"), 2);
  ASSERT_EQ(w.ArchiveMenus().size(), 4u);
  // All four commands work, and so do the backup items.
  for (std::size_t i = 0; i < 4; ++i) {
    QMenu *sub = w.ArchiveMenus()[i];
    ASSERT_EQ(sub->actions().size(), 1);
    EXPECT_EQ(sub->actions().front()->text(), QString::fromUtf8("Архив 4"));
    EXPECT_TRUE(sub->actions().front()->isEnabled()) << i;
  }
  EXPECT_TRUE(w.BackupAction()->isEnabled() && w.RestoreBackupAction()->isEnabled());
  one.LocalBases = false;
  TMainWindow remote(m, one);
  for (QMenu *sub : remote.ArchiveMenus()) EXPECT_FALSE(sub->actions().front()->isEnabled());
}

TEST_F(MainWindowMenusTest, OnANarrowScreenTheMenuBarWrapsIntoLinesInItsOrder) {
  TMainWindowOptions options;
  options.ScreenSize = [] { return QSize(140, 600); };
  TMainWindow narrow(m, options);
  ASSERT_FALSE(narrow.MenuLines().empty());
  QStringList all = Titles(narrow.menuBar()->actions());
  for (QMenuBar *line : narrow.MenuLines()) {
    EXPECT_FALSE(line->actions().isEmpty());
    all << Titles(line->actions());
  }
  TMainWindow wide(m, {});
  EXPECT_TRUE(wide.MenuLines().empty());
  EXPECT_EQ(all, Titles(wide.menuBar()->actions()));
  EXPECT_EQ(narrow.MenuWidth().Starts.size(), narrow.MenuLines().size() + 1);
  // The lines stand above the panels, which move down by their height.
  if (!narrow.ToolBars().empty()) {
    EXPECT_GE(narrow.ToolBars().front()->mapTo(&narrow, QPoint()).y(),
              narrow.MenuLines().back()->mapTo(&narrow, QPoint()).y() +
                  narrow.MenuLines().back()->height());
  }
}

TEST_F(MainWindowMenusTest, ButtonsShowPicturesAndThoseOfMissingDocumentsAreDropped) {
  ASSERT_GT(m.Panels.Count(), 0);
  TMyPanel *panel = m.Panels.GetPanel(0);
  panel->SetChecked(true);
  const int32_t before = panel->ToolCount();
  ASSERT_GT(before, 0);
  panel->AddTool(987654)->IconIndex = 2;
  panel->GetTool(0)->IconIndex = 5000;
  TMainWindow w(m, {});
  EXPECT_EQ(panel->ToolCount(), before);
  EXPECT_EQ(panel->GetTool(0)->IconIndex, 0);
  ASSERT_FALSE(w.ToolBars().empty());
  TMyToolBar *bar = w.ToolBars().front();
  EXPECT_EQ(bar->ButtonCount(), before);
  for (int32_t i = 0; i < bar->ButtonCount(); ++i) {
    EXPECT_FALSE(bar->Button(i)->icon().isNull()) << i;
    EXPECT_TRUE(bar->Button(i)->text().isEmpty()) << i;
  }
}

TEST_F(MainWindowMenusTest, PanelsHaveTheirOwnPopupAndTheWindowItsOwnElsewhere) {
  for (int32_t i = 0; i < m.Panels.Count(); ++i) m.Panels.GetPanel(i)->SetChecked(true);
  TMainWindow w(m, {});
  ASSERT_FALSE(w.ToolBars().empty());
  const QPoint onPanel = w.ToolBars().front()->mapTo(&w, QPoint(3, 3));
  QMenu *panelPopup = w.PopupFor(onPanel);
  ASSERT_EQ(panelPopup, w.PanelPopup());
  EXPECT_EQ(Titles(panelPopup->actions()), (QStringList{"Настройка", "Скрыть"}));
  EXPECT_EQ(panelPopup->actions().front(), w.PanelSetupAction());
  EXPECT_TRUE(panelPopup->actions().front()->isEnabled());
  EXPECT_TRUE(w.HidePanelAction()->isEnabled());
  QMenu *own = w.PopupFor(QPoint(w.width() - 1, w.height() - 1));
  EXPECT_EQ(own, w.WindowPopup());
  EXPECT_EQ(Titles(own->actions()), (QStringList{"Служебные настройки"}));
  // "Скрыть" hides the panel under the pop-up point.
  const std::size_t shown = w.ToolBars().size();
  w.PopupFor(onPanel);
  w.HidePanelAction()->trigger();
  EXPECT_FALSE(m.Panels.GetPanel(0)->Shown);
  EXPECT_EQ(w.ToolBars().size(), shown - 1);
}

// The program itself, started a second time or refused its password.
TEST_F(MainWindowTest, ASecondStartIsToldAndEndsWithOneARefusedPasswordEndsAtOnce) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  // The program's mark on this desktop (the offscreen platform's).
  TInstanceMark first({}, DesktopName(FromQt(QGuiApplication::platformName())));
  ASSERT_TRUE(first.Take(Settings().Title));
  TMainProgramHooks hooks;
  bool shown = false;
  hooks.Shown = [&shown](TMainWindow &w) {
    shown = true;
    w.close();
  };
  QString told;
  test::ClickInMessageBox("OK", &told);
  EXPECT_EQ(Run(hooks), 1);
  EXPECT_EQ(told, QString::fromUtf8("Программа уже загружена !"));
  EXPECT_FALSE(shown);
  first.Release();

  // Level 11 gets a password; Cancel at its prompt ends the program once
  // the start-up is done, without the main window.
  ASSERT_TRUE(LoadAllSettings());
  PackPassword("ВХОД"_w, Settings().Passwords[10], 11);
  ASSERT_TRUE(SaveConfiguration());
  UnlockBases();
  bool prompted = false;
  test::WhenModal([&prompted](QWidget *modal) {
    auto *dialog = qobject_cast<TInputDialog *>(modal);
    if (!dialog) return;
    prompted = true;
    dialog->reject();
  });
  EXPECT_EQ(Run(hooks), 0);
  EXPECT_TRUE(prompted);
  EXPECT_FALSE(shown);
}

// A picture of the menu bar wrapped on a narrow screen, for people to look
// at when VELOMAR_SCREENSHOTS names a folder.
class ScreenshotOfMainWindow : public MainWindowMenusTest {};

TEST_F(ScreenshotOfMainWindow, WithItsMenuWrappedOnANarrowScreen) {
  const char *folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  for (int32_t i = 0; i < m.Panels.Count(); ++i) m.Panels.GetPanel(i)->SetChecked(true);
  TMainWindowOptions options;
  options.ScreenSize = [] { return QSize(140, 600); };
  TMainWindow w(m, options);
  w.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(folder) + "/main_window_narrow.png"));
}

}  // namespace
}  // namespace vm
