#include "ui/qt/main_program.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>

#include "config/data_dir.h"
#include "config/settings.h"
#include "devices/serial_scanner.h"
#include "documents/document_road.h"
#include "documents/document_window.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/instance_mark.h"
#include "models/main_state.h"
#include "models/password.h"
#include "ui/qt/designer/designer_host.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/main_window.h"
#include "output/qt/label_preview_window.h"
#include "output/qt/qt_print_system.h"
#include "output/price_tag_draw.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/window_steps.h"
#include "models/startup.h"

namespace vm {

namespace {

bool EnvSet(const char *name) {
  const char *value = std::getenv(name);
  return value && *value;
}

}  // namespace

bool DisplayAvailable() {
  return EnvSet("QT_QPA_PLATFORM") || EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
}

bool WindowsOnScreen() {
  const QString platform = QGuiApplication::platformName();
  return platform == "xcb" || platform.startsWith("wayland");
}

std::string NoDisplayLine() {
  return "velomar: нет дисплея для окон (не задан DISPLAY); документы без окон "
         "выполняет "
         "velomar-run"_w;
}

bool AskPasswordInDialog(int32_t level, const std::string &builtIn, QWidget *parent) {
  return AskPassword(level, Settings().Passwords, builtIn,
                     [parent]() -> std::optional<std::string> {
                       TInputRequest request;
                       request.Caption = Ui().AppTitle();
                       request.Prompt = "Пароль:"_w;
                       request.PasswordChar = '*';
                       request.AllowEmpty = false;
                       if (!ShowInputDialog(request, parent)) return std::nullopt;
                       return request.Text;
                     });
}

int RunMainProgram(int argc, char **argv, const TMainProgramHooks &hooks) {
  TQtUiServices ui;
  UiServices *before = &Ui();
  InstallUiServices(&ui);
  TScannerInstallation scanner(OnScannerData);
  TQtPrintSystem printSystem;
  InstallPrintSystem(&printSystem);
  InstallPictureReader(ReadQtPicture);
  InstallLabelPreview(RunLabelPreview);
  InitProgramDirectory();
  SetCommandLine(argc, argv);
  // The start-of-day document runs on the document road before the main
  // window exists, in its document window when it has tables.
  TWindowSteps steps(nullptr);
  steps.Shown = hooks.DocumentShown;
  TStartOfDayOnRoad startOfDay(steps);
  TInstanceMark instance({}, DesktopName(FromQt(QGuiApplication::platformName())));
  TStartUpOptions startUp;
  startUp.StartOfDay = &startOfDay;
  startUp.Instance = &instance;
  TInstanceMark home = TInstanceMark::OfProgramDirectory(ProgramDirectory());
  startUp.Home = &home;
  startUp.HomeShared = true;
  startUp.AskStartUpPassword = [] {
    return AskPasswordInDialog(11, StartUpBuiltInPassword(), nullptr);
  };
  if (StartUp(startUp) != 0) {
    InstallPrintSystem(nullptr);
    InstallUiServices(before);
    return kStartUpFailed;
  }
  ui.SetAppTitle(Ui().AppTitle());
  QApplication::setApplicationDisplayName(QString());
  int code = 0;
  {
    // A refused start-up password still builds the window; the loop then
    // ends at once, as the program ends.
    const bool allowed = !MainState().StartUpRefused;
    TMainWindowOptions options;
    options.LocalBases = LocalBases();
    options.ValidArchives = MainState().ValidArchives;
    options.ExitAfterRestore = hooks.ExitAfterRestore;
    options.AskPassword = [](int32_t level) { return AskPasswordInDialog(level, "", QApplication::activeWindow()); };
    options.RunDocument = hooks.RunDocument ? hooks.RunDocument : [&steps](TDocData &doc) {
      int32_t line = 0, code = 0;
      RunDocumentChecked(doc, steps, line, code);
    };
    TMainWindow *shownWindow = nullptr;
    options.OpenDesigner = [&] {
      if (shownWindow) OpenDesigner(*shownWindow, steps, hooks.DesignerShown);
    };
    TMainWindow window(Settings(), std::move(options));
    shownWindow = &window;
    steps.SetMainWindow(&window);
    ui.SetMainWindow(&window);
    window.RestorePlace();
    if (allowed) {
      window.show();
      if (hooks.Shown) QTimer::singleShot(0, &window, [&] { hooks.Shown(window); });
      code = QApplication::exec();
    }
    window.StorePlace();
    steps.SetMainWindow(nullptr);
    ui.SetMainWindow(nullptr);
  }
  ShutDown();
  InstallPrintSystem(nullptr);
  InstallUiServices(before);
  return code;
}

}  // namespace vm
