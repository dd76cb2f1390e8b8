// The designer's small dialogs as an administrator uses them: a field
// whose name is a word of the document language, the picture of a price
// tag's graphic chosen through "Обзор", and Enter in the price tag's
// dialogs.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/modal.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"

namespace vm {
namespace {

// The demo's goods keep their "PRICE" field, a word of the document
// language, when its width or decimals change; a new field cannot take
// that name.
TEST(DesignerDialogs, AFieldNamedByAWordOfTheLanguageKeepsItsName) {
  const std::vector<std::string> names{"KOD", "PRICE"};
  bool okForPrice = false;
  test::WhenModalOf<TCheckedDialog>([&](TCheckedDialog* dialog) {
    okForPrice = dialog->OkButton()->isEnabled();
    dialog->findChildren<QSpinBox*>().front()->setValue(12);
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    if (dialog->isVisible()) dialog->CancelButton()->click();
  });
  TFieldDialogTexts price{"PRICE", "Число"_w, "10", "2"};
  EXPECT_TRUE(ShowFieldDialog(price, "Параметры поля"_w, names, 1, nullptr));
  EXPECT_TRUE(okForPrice);
  EXPECT_EQ(price.Length, "12");

  bool okForNew = true;
  test::WhenModalOf<TCheckedDialog>([&](TCheckedDialog* dialog) {
    test::TypeText(dialog->findChild<QLineEdit*>(), QStringLiteral("price"));
    okForNew = dialog->OkButton()->isEnabled();
    dialog->CancelButton()->click();
  });
  TFieldDialogTexts added{"", "Число"_w, "10", "2"};
  EXPECT_FALSE(ShowFieldDialog(added, "Создать новое поле"_w, names, -1, nullptr));
  EXPECT_FALSE(okForNew);
}

// "Обзор" opens in the data directory on the picture named so far, with
// "Открыть" ready; a picture inside the data directory is kept by its name
// relative to it, one elsewhere by its whole path.
TEST(DesignerDialogs, APictureInsideTheDataDirectoryIsKeptByItsRelativeName) {
  test::TempDir data, elsewhere;
  std::filesystem::create_directory(data / "pics");
  for (const std::string& file : {data / "logo.bmp", data / "pics/stamp.bmp", elsewhere / "seal.bmp"})
    test::WriteBytes(file, "BM");
  const std::string keptDataDir = DataDir();
  SetDataDir(data.Dir());
  struct TCase {
    std::string Kept, Chosen, KeptAfter;
  };
  const TCase cases[] = {
      {"logo.bmp", data / "pics/stamp.bmp", "pics/stamp.bmp"},
      {"", data / "logo.bmp", "logo.bmp"},
      {"logo.bmp", elsewhere / "seal.bmp", elsewhere / "seal.bmp"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Chosen);
    QString openedIn, selected;
    bool openReady = false;
    test::WhenModal([&](QWidget* modal) {
      test::WhenModalOf<QFileDialog>([&](QFileDialog* files) {
        openedIn = files->directory().absolutePath();
        selected = files->selectedFiles().value(0);
        openReady = files->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->isEnabled();
        files->selectFile(QString::fromStdString(c.Chosen));
        static_cast<QDialog*>(files)->accept();
      });
      for (QPushButton* b : modal->findChildren<QPushButton*>())
        if (b->text() == QString::fromUtf8("Обзор")) b->click();
      static_cast<QDialog*>(modal)->accept();
    });
    TGraphObject object;
    object.Kind = TGraphKind::Picture;
    object.FileName = c.Kept;
    ASSERT_TRUE(ShowGraphObjectDialog(object, nullptr));
    EXPECT_EQ(openedIn.toStdString() + "/", std::filesystem::path(data.Dir()).lexically_normal().string());
    if (!c.Kept.empty()) {
      EXPECT_EQ(selected.toStdString(), data / c.Kept);
      EXPECT_TRUE(openReady);
    }
    EXPECT_EQ(object.FileName, c.KeptAfter);
  }
  SetDataDir(keptDataDir);
}

// Enter in a field of the price tag's dialogs confirms the dialog, as in
// the other small dialogs, rather than pressing the first button ("Шрифт",
// "Выбрать", "Добавить") and opening another dialog.
TEST(DesignerDialogs, EnterInAFieldOfThePriceTagDialogsConfirmsThem) {
  TZoneDialogValues zone;
  TGraphObject object;
  TGraphicsEditor editor;
  for (int i = 0; i < 2; ++i) editor.List.push_back(std::make_unique<TGraphObject>());
  editor.Start();
  const struct {
    const char* name;
    std::function<bool()> show;
    std::function<QWidget*(QWidget*)> field;
  } dialogs[] = {
      {"zone", [&] { return ShowZoneTextDialog("Зона №1"_w, zone, nullptr); },
       [](QWidget* d) { return d->findChildren<QLineEdit*>().front(); }},
      {"object", [&] { return ShowGraphObjectDialog(object, nullptr); },
       [](QWidget* d) { return d->findChildren<QSpinBox*>().front(); }},
      {"objects", [&] { return ShowGraphObjects(editor, nullptr); },
       [](QWidget* d) { return d->findChildren<QSpinBox*>().front(); }},
  };
  for (const auto& d : dialogs) {
    QStringList opened;
    test::WhenModal([&](QWidget* dialog) {
      dialog->setProperty("answered", true);
      const test::ModalAnswerer other([&opened](QWidget* modal) {
        opened << modal->windowTitle();
        modal->setProperty("answered", true);
        static_cast<QDialog*>(modal)->reject();
      });
      QWidget* field = d.field(dialog);
      field->setFocus();
      QTest::keyClick(field, Qt::Key_Return);
      if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_TRUE(d.show()) << d.name;
    EXPECT_EQ(opened.join(", ").toStdString(), "") << d.name;
  }
}

}  // namespace
}  // namespace vm
