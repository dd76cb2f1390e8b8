// The small dialogs of the designer and of "Сервис" as openbox frames
// them (a test of its own runs this under Xvfb with openbox, on a large
// and on a small screen): each asks for the close button and no other
// (the form name dialog for none), cannot be resized or maximised, lies
// wholly on the screen, and its title bar shows the whole title. Openbox
// offers minimise all the same; minimised, the dialog comes back at once,
// and the main window it took along with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "devices/qt/comm_config_dialog.h"
#include "documents/designer/graphics_editor.h"
#include "platform/encoding.h"
#include "tests/ui/qt/modal.h"
#include "tests/ui/qt/title_bar.h"
#include "ui/qt/archive_dialogs.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/print_range_dialog.h"
#include "ui/qt/screen_place.h"

namespace vm {
namespace {

using test::ShownFrame;
using test::XProperty;

void Settle() {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QTest::qWait(30);
  }
}

// The ink of the title's text as the screen shows the window's bar.
std::vector<bool> TitleShown(const QWidget& window) {
  std::vector<bool> text;
  for (int i = 0; i < 10 && text.empty(); ++i) {
    Settle();
    const QRect frame = ShownFrame(window);
    if (frame.isEmpty()) continue;
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    text = test::TitleText(test::TitleInk(screen, frame, window.geometry()));
  }
  return text;
}

// What a dialog showed of itself while it was open.
struct TSeen {
  bool Framed = false;
  bool BackFromMinimise = false;
  std::string Motif, NormalHints, Actions;
  QRect Frame, Screen;
  std::vector<bool> Title;
};

// Looks at the next modal dialog once openbox has framed it, minimises it,
// then closes it as "Отмена" would.
void LookAtNext(TSeen& seen, const QWidget& main) {
  static int shots = 0;
  test::WhenModal([&seen, &main](QWidget* modal) {
    seen.Framed = QTest::qWaitFor([modal] { return !ShownFrame(*modal).isEmpty(); }, 3000);
    Settle();
    seen.Motif = XProperty(*modal, "_MOTIF_WM_HINTS");
    seen.NormalHints = XProperty(*modal, "WM_NORMAL_HINTS");
    seen.Actions = XProperty(*modal, "_NET_WM_ALLOWED_ACTIONS");
    seen.Frame = ShownFrame(*modal);
    seen.Screen = ScreenArea(*modal);
    seen.Title = TitleShown(*modal);
    // A picture for people to look at when VELOMAR_SCREENSHOTS names a folder.
    if (const char* folder = std::getenv("VELOMAR_SCREENSHOTS"))
      QGuiApplication::primaryScreen()
          ->grabWindow(0, seen.Frame.x(), seen.Frame.y(), seen.Frame.width(), seen.Frame.height())
          .save(QString::fromLocal8Bit(folder) + "/small_dialog_" + QString::number(++shots) + ".png");
    seen.BackFromMinimise = test::MinimisedComesBack(*modal, main);
    static_cast<QDialog*>(modal)->reject();
  });
}

// The functions "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = flags, functions, ..."
// asks for; -1 when it asks for none.
long MotifFunctions(const std::string& hints) {
  const auto m = QRegularExpression(R"(= 0x([0-9a-f]+), 0x([0-9a-f]+))").match(QString::fromStdString(hints));
  if (!m.hasMatch()) return -1;
  return m.captured(1).toLong(nullptr, 16) & 1 ? m.captured(2).toLong(nullptr, 16) : -1;
}

// The "minimum size" or "maximum size" of WM_NORMAL_HINTS.
std::string HintedSize(const std::string& hints, const std::string& which) {
  const auto m = QRegularExpression(QString::fromStdString(which) + R"( size: (\d+ by \d+))")
                     .match(QString::fromStdString(hints));
  return m.hasMatch() ? m.captured(1).toStdString() : "none";
}

struct TSmallDialog {
  const char* Title;
  bool CloseButton;
  std::function<void(QWidget*)> Open;
};

TEST(SmallDialogsUnderOpenbox, AskForTheCloseButtonOnlyKeepTheirSizeAndShowTheirWholeTitle) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X display";
  QWidget main;
  main.setWindowTitle(QString::fromUtf8("Веломар"));
  main.setGeometry(0, 0, 250, 100);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  if (!QTest::qWaitFor([&main] { return !ShownFrame(main).isEmpty(); }, 3000)) GTEST_SKIP() << "no window manager";

  TArcIDList archives;
  for (int i = 0; i < 3; ++i) {
    TArcIDItem& item = NewArchiveListItem(archives);
    item.Record.Made = {i + 1, 11, 2026};
    item.Record.CutDate = {i + 1, 10, 2026};
  }
  const std::vector<TSmallDialog> dialogs = {
      {"Добавить новую базу", true,
       [](QWidget* p) {
         TBaseDialogTexts t;
         ShowBaseDialog("Добавить новую базу"_w, t, {}, {}, -1, p);
       }},
      {"Редактирование параметров базы", true,
       [](QWidget* p) {
         TBaseDialogTexts t{"GOODS.DBF", "ТОВАРЫ"_w, "Товары"_w};
         ShowBaseDialog("Редактирование параметров базы"_w, t, {"GOODS.DBF"}, {"ТОВАРЫ"_w}, 0, p);
       }},
      {"Создать новое поле", true,
       [](QWidget* p) {
         TFieldDialogTexts f{"", "Строка"_w, "10", "0"};
         ShowFieldDialog(f, "Создать новое поле"_w, {}, -1, p);
       }},
      {"Параметры поля", true,
       [](QWidget* p) {
         TFieldDialogTexts f{"PRICE", "Число"_w, "10", "2"};
         ShowFieldDialog(f, "Параметры поля"_w, {"PRICE"}, 0, p);
       }},
      {"Добавить справочник", true,
       [](QWidget* p) {
         std::string alias, name;
         ShowAddBookDialog({"ТОВАРЫ"_w}, {}, alias, name, p);
       }},
      {"Добавить автопараметр", true,
       [](QWidget* p) {
         std::string name, value, type;
         ShowAddAutoParamDialog("Добавить автопараметр"_w, name, value, {}, type, p);
       }},
      {"Параметры удаления периода базы", true,
       [](QWidget* p) {
         TArchiveEntryDialog entry;
         entry.BaseChoices = {"ПРОДАЖИ"_w};
         entry.DateFields = {"DAT"};
         entry.GroupFields = {"нет"_w};
         entry.Values.Base = "ПРОДАЖИ"_w;
         ShowArchiveEntryDialog(entry, p);
       }},
      {"Пароль на вход в программу", true,
       [](QWidget* p) {
         std::string password;
         ShowPasswordDialog("Пароль на вход в программу"_w, password, p);
       }},
      {"Зона №1", true,
       [](QWidget* p) {
         TZoneDialogValues zone;
         ShowZoneTextDialog("Зона №1"_w, zone, p);
       }},
      {"Графические объекты", true,
       [](QWidget* p) {
         TGraphicsEditor editor;
         editor.Start();
         ShowGraphObjects(editor, p);
       }},
      {"Графический объект", true,
       [](QWidget* p) {
         TGraphObject object;
         ShowGraphObjectDialog(object, p);
       }},
      {"Выберите диск", true,
       [](QWidget* p) {
         TDriveDialog drive("Копировать данные на дискету?"_w, p);
         drive.exec();
       }},
      {"Удаление периода из архива", true,
       [&archives](QWidget* p) {
         TArchiveListDialog list(archives, "Движение товаров"_w, p);
         list.exec();
       }},
      {"Печать справочника", true,
       [](QWidget* p) { AskPrintRange("Печать справочника"_w, "Текущая запись"_w, "Весь справочник"_w, p); }},
      {"Настройка порта COM1", true,
       [](QWidget* p) {
         TCommConfigDialog port("COM1", TPortConfig{}, p);
         port.exec();
       }},
      {"Новая форма", false,
       [](QWidget* p) {
         std::string name;
         ShowAddBlankDialog("Новая форма"_w, name, {}, p);
       }},
      {"Редактирование имени формы", false,
       [](QWidget* p) {
         std::string name = "ЧЕК"_w;
         ShowAddBlankDialog("Редактирование имени формы"_w, name, {"ЧЕК"_w}, p);
       }},
  };
  constexpr long kClose = 32, kMinimise = 8, kMaximise = 16;
  for (const TSmallDialog& dialog : dialogs) {
    SCOPED_TRACE(dialog.Title);
    TSeen seen;
    LookAtNext(seen, main);
    dialog.Open(&main);
    ASSERT_TRUE(seen.Framed);
    const long functions = MotifFunctions(seen.Motif);
    ASSERT_GE(functions, 0) << seen.Motif;
    EXPECT_EQ((functions & kClose) != 0, dialog.CloseButton) << seen.Motif;
    EXPECT_EQ(functions & (kMinimise | kMaximise), 0) << seen.Motif;
    EXPECT_EQ(HintedSize(seen.NormalHints, "minimum"), HintedSize(seen.NormalHints, "maximum")) << seen.NormalHints;
    EXPECT_EQ(seen.Actions.find("MAXIMIZE"), std::string::npos) << seen.Actions;
    EXPECT_EQ(seen.Actions.find("RESIZE"), std::string::npos) << seen.Actions;
    EXPECT_NE(seen.Actions.find("_NET_WM_ACTION_MINIMIZE"), std::string::npos) << seen.Actions;
    EXPECT_TRUE(seen.BackFromMinimise);
    EXPECT_TRUE(seen.Screen.contains(seen.Frame));

    // The same title in a window wide enough for any: the dialog's bar
    // shows the same text, column for column.
    QWidget wide;
    wide.setWindowTitle(QString::fromUtf8(dialog.Title));
    wide.setGeometry(20, 20, 700, 80);
    wide.show();
    wide.activateWindow();
    const std::vector<bool> whole = TitleShown(wide);
    ASSERT_GT(whole.size(), 20u) << "no title found in the wide window";
    EXPECT_NEAR(static_cast<double>(seen.Title.size()), static_cast<double>(whole.size()), 1) << "the title is cut";
    int differ = 0;
    for (std::size_t x = 0; x < whole.size() && x < seen.Title.size(); ++x)
      if (whole[x] != seen.Title[x]) ++differ;
    EXPECT_LE(differ, static_cast<int>(whole.size()) / 20) << "the title is cut";
  }
}

}  // namespace
}  // namespace vm
