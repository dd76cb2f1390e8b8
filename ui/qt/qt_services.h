// The windows' side of what the core asks: message boxes, the busy and
// progress windows, the file and check-box dialogs, the printers, and the
// enabling of the document windows. Installed at start-up with
// InstallUiServices.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vm {

class TBusyWindow;
class TProgressWindow;

class TQtUiServices : public UiServices {
 public:
  TQtUiServices();
  ~TQtUiServices() override;

  int32_t MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  void ProcessMessages() override;
  bool BusyRunning() const override;
  void BeginBusy() override;
  void EndBusy() override;
  bool DocWindowsEnabled() const override { return docWindowsEnabled_; }
  void EnableDocWindows(bool enable) override;
  bool ChooseFiles(const FileDialogRequest& request, std::vector<std::string>& paths) override;
  std::string AppTitle() const override;
  bool CheckBoxes(const std::string& caption, const std::vector<std::string>& items, uint32_t mask,
                  int columns, uint32_t& result) override;
  std::vector<std::string> PrinterNames() const override;
  void CloseDocWindow() override;
  void FocusTable(FocusableTable* table) override;
  void DocOkClick(bool confirm) override;
  void DocPrintClick() override;
  bool DocCheckAll() override;
  bool AskQuestion(const QuestionRequest& request, std::vector<std::string>& texts) override;
  BaseQuestionEnd AskBaseQuestion(const BaseQuestionRequest& request, int32_t& row) override;
  bool PickFromList(const ListPickRequest& request, std::string& text) override;
  // The date dialog over the program clock (qt_date_time.cpp).
  bool AskDateTime(DateTimeFields& value) override;
  bool InputBox(InputBoxRequest& request) override;
  int32_t ScreenWidth() const override;
  int32_t TextWidth(const std::string& text) const override;

  // What the document window does for the core; it sets these while it
  // exists. Unset, the headless answers hold.
  struct TDocWindowHooks {
    std::function<void()> Close;
    std::function<void(FocusableTable*)> FocusTable;
    std::function<void(bool confirm)> OkClick;
    std::function<void()> PrintClick;
    std::function<bool()> CheckAll;
  };
  TDocWindowHooks DocWindow;

  // The owner of the boxes (the main window); none leaves them unowned.
  // The progress window, made over the main window, goes when the main
  // window is replaced, before Qt would delete it a second time as a child.
  void SetMainWindow(QWidget* window);
  // The configured title; empty keeps the program's name.
  void SetAppTitle(const std::string& title) { title_ = title; }
  // What the busy window's cancel button does (it sets the break flag).
  void SetBreakHandler(std::function<void()> handler) { onBreak_ = std::move(handler); }
  // The document, information and reference-book windows, enabled and
  // disabled together.
  void AddDocWindow(QWidget* window);
  TBusyWindow* BusyWindow() const { return busy_.get(); }
  // The one progress window, made on first use.
  TProgressWindow& Progress();
  void ShowProgressMessage(const std::string& text, int32_t max) override;
  void SetProgressText(const std::string& text) override;
  void SetProgressPosition(int32_t position) override;
  void HideProgressMessage() override;

 private:
  // The window a dialog stands over: the one that asked (the modal window
  // showing, else the active one), so that the window manager raises no
  // other window with it; the main window when none is known.
  QWidget* AskingWindow() const;
  QPointer<QWidget> mainWindow_;
  std::string title_;
  std::function<void()> onBreak_;
  std::unique_ptr<TBusyWindow> busy_;
  // Owned by the main window when there is one, which may go first.
  QPointer<TProgressWindow> progress_;
  std::vector<QPointer<QWidget>> docWindows_;
  QPointer<QWidget> focusBeforeDisable_;
  bool docWindowsEnabled_ = true;
};

// "desc|*.a;*.b|desc2|*.c" as Qt name filters: "desc (*.a *.b)", "desc2 (*.c)";
// "desc (*.a)|*.a" stays "desc (*.a)".
QStringList FileDialogFilters(const std::string& filter);

}  // namespace vm
