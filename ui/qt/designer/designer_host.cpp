#include "ui/qt/designer/designer_host.h"

#include <algorithm>

#include <QFontDatabase>
#include <QTimer>

#include "config/data_dir.h"
#include "config/settings.h"
#include "documents/document_road.h"
#include "output/price_tag_draw.h"
#include "output/printer.h"
#include "devices/scanner_port.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/main_state.h"
#include "models/password.h"
#include "ui/qt/designer/designer_window.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_steps.h"
#include "models/startup.h"

namespace vm {

namespace {

// Selects the installed printer closest to name; false when none is.
bool SelectClosestPrinter(const std::string& name) {
  const int found = Printer().ClosestPrinter(name);
  if (found < 0) return false;
  Printer().SetPrinterIndex(found);
  Printer().EnsureDeviceMode();
  return !Printer().DeviceMode().empty();
}

}  // namespace

std::string TQtDesignerHost::PrinterSettings(const std::string& printer) {
  return SelectClosestPrinter(printer) ? Printer().DeviceMode() : std::string();
}

bool TQtDesignerHost::EditPrinterSettings(const std::string& printer, std::string& data) {
  if (!SelectClosestPrinter(printer)) return false;
  const int32_t size = static_cast<int32_t>(std::max(data.size(), Printer().DeviceMode().size()));
  std::string edited;
  if (!Printer().EditDeviceMode(data, size, edited)) return false;
  data = edited;
  return true;
}

void TQtDesignerHost::ShowTagPictures(const TCennik* tag) {
  if (pictured_)
    ReleasePictures(pictured_->Graphics);
  else
    Pictures().Clear();
  pictured_ = tag;
  if (tag) LoadPictures(tag->Graphics);
}

void TQtDesignerHost::RebuildMenus() {
  MainState().ValidArchives = CheckArchiveConfigs(Settings());
  if (!mainWindow_) return;
  mainWindow_->SetValidArchives(MainState().ValidArchives);
  mainWindow_->BuildDocMenus();
  mainWindow_->BuildArchiveMenus();
  mainWindow_->BuildPanels();
}

void TQtDesignerHost::ApplyTitle() {
  if (!Settings().Title.empty()) Ui().SetAppTitle(Settings().Title);
  if (mainWindow_) mainWindow_->setWindowTitle(ToQt(Ui().AppTitle()));
}

std::vector<std::string> TQtDesignerHost::FontNames() const {
  std::vector<std::string> names;
  for (const QString& family : QFontDatabase::families()) names.push_back(FromQt(family));
  return names;
}

bool TQtDesignerHost::RunDocument(TDocData& doc, int32_t& errorLine) {
  int32_t code = 0;
  errorLine = 0;
  RunDocumentChecked(doc, steps_, errorLine, code);
  return code != 0;
}

void TQtDesignerHost::EnableDesigner(bool on) {
  if (window_) window_->setEnabled(on);
}

void OpenDesigner(TMainWindow& mainWindow, TWindowSteps& steps,
                  const std::function<void(TDesignerWindow&)>& shown) {
  CloseScanner();
  mainWindow.setEnabled(false);
  const bool go =
      Ui().MsgBox("Некорректное изменение настроек может привести к ошибкам"_w + "\r" +
                      "в работе программы !  Продолжить?"_w,
                  "Предупреждение"_w, kMbYesNoWarning) == kIdYes &&
      AskPasswordInDialog(12, DesignerBuiltInPassword(), &mainWindow) && LockBases();
  if (go) {
    ReloadAutoParams();
    TQtDesignerHost host(&mainWindow, steps);
    TDesigner designer(Settings(), host);
    TDesignerWindow window(designer, &mainWindow);
    host.SetWindow(&window);
    if (shown) QTimer::singleShot(0, &window, [&] { shown(window); });
    window.Run();
    UnlockBases();
  }
  mainWindow.setEnabled(true);
}

}  // namespace vm
