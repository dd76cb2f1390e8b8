// A price tag designed from nothing in the designer's "Ярлыки" tab (two
// text zones, a Code 39 zone, a rectangle and a picture), applied, and
// printed as the tab's test page on the local PDF queue; the texts are read
// back from the PDF and the barcode by an independent decoder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <ctime>
#include <filesystem>

#include "config/data_dir.h"
#include "config/settings.h"
#include "output/price_tag_draw.h"
#include "output/price_tag_rig.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "platform/encoding.h"
#include "support/cups_queue.h"
#include "support/program_home.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/modal.h"
#include "ui/qt/designer/designer_window.h"
#include "foundation/qt/qt_canvas.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

// Places the current zone and gives it an expression through the zone
// dialog.
void DesignZone(TLabelsTab& l, std::array<int, 4> rect, const std::string& expression, bool barcode) {
  l.AddZone->click();
  for (int i = 0; i < 4; ++i)
    (std::array<QSpinBox*, 4>{l.ZoneX, l.ZoneY, l.ZoneWidth, l.ZoneHeight})[i]->setValue(rect[i]);
  test::WhenModal([=](QWidget* modal) {
    modal->findChildren<QLineEdit*>()[0]->setText(ToQt(expression));
    for (QCheckBox* box : modal->findChildren<QCheckBox*>())
      if (box->text() == ToQt("Штрихкод"_w)) box->setChecked(barcode);
    if (barcode) modal->findChildren<QLineEdit*>()[2]->setText("25");
    for (QPushButton* b : modal->findChildren<QPushButton*>())
      if (b->text() == "OK") b->click();
  });
  l.EditText->click();
}

// Designs the tag, applies it, prints the test page and hands over the
// PDF's text and what the decoder read from its first page at 300 dpi.
void DesignAndPrint(std::string& text, std::string& codes) {
  test::CupsQueue cups;
  ASSERT_TRUE(cups.Start()) << "the PDF print queue is needed: " << cups.Why;
  test::ProgramHome home;
  for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  TQtUiServices ui;
  InstallUiServices(&ui);
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  InstallPictureReader(ReadQtPicture);
  test::ZoneCompiling compiling;
  TQtPrintSystem system;
  InstallPrintSystem(&system);
  QImage logo(40, 40, QImage::Format_RGB32);
  logo.fill(Qt::darkGreen);
  ASSERT_TRUE(logo.save(QString::fromStdString(home.Dir() + "/logo.bmp")));

  TDesignerHost host;
  TDesigner d{Settings(), host};
  TDesignerWindow w{d};
  w.ShowDesigner();
  w.show();
  w.SelectTab(TDesignerTab::Labels);
  TLabelsTab& l = *w.Labels;
  while (d.LabelsPage.CurrentTag()) {
    test::ClickInMessageBox("Да");
    l.DeleteTag->click();
  }
  l.AddTag->click();
  l.TagWidth->setValue(700);
  l.TagHeight->setValue(420);
  const std::string marker = "VMD" + std::to_string(getpid() % 10000) + "T" + std::to_string(time(nullptr) % 10000);
  DesignZone(l, {20, 10, 660, 60}, "'" + marker + "'", false);
  DesignZone(l, {20, 80, 660, 60}, "'Батон нарезной'"_w, false);
  DesignZone(l, {20, 160, 660, 120}, "CODE39('VM42')", true);
  TGraphicsEditor editor;
  d.LabelsPage.StartGraphics(editor);
  TGraphObject& frame = *editor.BeginAdd();
  frame.Kind = TGraphKind::Rectangle;
  frame.SetWords({0, 10, 300, 400, 100});
  editor.EndAdd(true);
  TGraphObject& picture = *editor.BeginAdd();
  picture.Kind = TGraphKind::Picture;
  picture.FileName = "logo.bmp";
  picture.SetWords({0, 500, 300, 100, 100});
  editor.EndAdd(true);
  d.LabelsPage.TakeGraphics(editor);
  d.Misc.PrinterName = test::kTestQueue;
  w.Save->click();
  const TCennik& applied = *Settings().PriceTags.GetItem(Settings().PriceTags.Count() - 1);
  ASSERT_EQ(applied.ZoneCount(), 3);
  EXPECT_TRUE(applied.GetZone(2)->Barcode);
  EXPECT_EQ(applied.GetZone(2)->BarWidth, 25);
  EXPECT_EQ(applied.Graphics.size(), 2u);
  l.Print->click();
  InstallPrintSystem(nullptr);
  InstallPictureReader(nullptr);

  const std::string pdf = cups.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " in " << cups.Dir;
  text = test::CupsQueue::PdfText(pdf);
  test::TempDir dir;
  const std::string base = dir.Dir() + "page";
  test::CommandOutput("pdftoppm -r 300 -gray -singlefile '" + pdf + "' '" + base + "' 2>&1");
  codes = test::CupsQueue::Barcodes(base + ".pgm");
  d.Hide();
  InstallUiServices(nullptr);
}

TEST(DesignerLabelsCups, ATagDesignedFromNothingPrintsItsTestPage) {
  std::string text, codes;
  DesignAndPrint(text, codes);
  // The zones print upper-cased, the dialog's default.
  EXPECT_NE(text.find("БАТОН НАРЕЗНОЙ"), std::string::npos) << text;
  EXPECT_NE(codes.find("CODE-39:VM42"), std::string::npos) << codes;
}

}  // namespace
}  // namespace vm
