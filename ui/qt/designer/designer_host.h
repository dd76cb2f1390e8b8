// The designer inside the window program: the main window's menus rebuilt
// after apply, documents run in their windows, and the command
// "Служебные настройки" with its warning, password and lock.
#pragma once

#include <functional>

#include "documents/designer/designer.h"

namespace vm {

class TMainWindow;
class TWindowSteps;
class TDesignerWindow;

class TQtDesignerHost : public TDesignerHost {
 public:
  TQtDesignerHost(TMainWindow* mainWindow, TWindowSteps& steps)
      : mainWindow_(mainWindow), steps_(steps) {}
  void RebuildMenus() override;
  void ApplyTitle() override;
  std::vector<std::string> FontNames() const override;
  bool RunDocument(TDocData& doc, int32_t& errorLine) override;
  void EnableDesigner(bool on) override;
  std::string PrinterSettings(const std::string& printer) override;
  bool EditPrinterSettings(const std::string& printer, std::string& data) override;
  void ShowTagPictures(const TCennik* tag) override;
  void SetWindow(TDesignerWindow* window) { window_ = window; }

 private:
  TMainWindow* mainWindow_;
  TWindowSteps& steps_;
  TDesignerWindow* window_ = nullptr;
  const TCennik* pictured_ = nullptr;
};

// "Служебные настройки": the scanner closed, the warning, the password of
// level 12, the lock, the shared auto-parameters read again, the designer
// window, the lock let go; shown is called with the window once it shows
// (tests drive it there).
void OpenDesigner(TMainWindow& mainWindow, TWindowSteps& steps,
                  const std::function<void(TDesignerWindow&)>& shown = {});

}  // namespace vm
