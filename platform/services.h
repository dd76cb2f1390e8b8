// What the core asks of the windows. The Qt layer installs its
// implementation at start-up; tests and the headless runner install scripted
// ones. Without an installed implementation the core runs headless: message
// boxes answer their default button and dialogs are cancelled.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vm {

// What the open-file dialog is asked to show.
struct FileDialogRequest {
  std::string Title;
  std::string Filter;       // descriptions and their masks, all separated by '|'
  std::string Dir;          // the initial directory
  std::string FileName;     // the initial file name
  int32_t FilterIndex = 0;  // 1-based; 0 leaves the dialog's default
  bool HideReadOnly = false;
};

// A table of the document window as the core names it to the windows: the
// document's forms take this face, so that the services need know nothing
// of the layers that make them.
class FocusableTable {
 public:
  virtual ~FocusableTable() = default;
};

// One labelled edit of the question dialog.
struct QuestionInput {
  std::string Label;
  char Kind = 'C';
  int32_t Width = 0;
  int32_t Decimals = 0;
  std::string Text;  // what the edit shows first
  // How many characters the edit is made wide for.
  int32_t Length = 15;
};

// The question dialog: one edit per input, OK and (when allowed) Cancel.
// OK is taken only when Accept holds for the texts typed.
struct QuestionRequest {
  std::string Caption;
  bool CancelVisible = false;
  std::vector<QuestionInput> Inputs;
  std::function<bool(const std::vector<std::string>&)> Accept;
};

// How the base-question dialog ended.
enum class BaseQuestionEnd { Chosen, Cancelled, NewRecord };

// The base-question dialog: a grid of texts to choose a row from, OK,
// "Новая запись" and Cancel. AddNew runs the new-record dialog and says
// whether a record was added, which ends this dialog.
struct BaseQuestionRequest {
  std::string Caption;
  std::vector<std::string> Titles;
  std::vector<int32_t> ColumnWidths;  // pixels
  std::vector<std::vector<std::string>> Rows;
  int32_t GridWidth = 0;
  int32_t VisibleRows = 2;
  bool NewVisible = false;
  bool CancelVisible = false;
  std::function<bool()> AddNew;
};

// The value list of a cell to pick one text from: its size in 0.1 mm, its
// caption when it has one, and its items.
struct ListPickRequest {
  int32_t Width = 0;
  int32_t Height = 0;
  std::optional<std::string> Caption;
  std::vector<std::string> Items;
};

// A date and time as the date dialog shows and returns them.
struct DateTimeFields {
  int32_t Day = 0, Month = 0, Year = 0;
  int32_t Hour = 0, Minute = 0, Second = 0;
};

// The one-line input window: a prompt over an edit of the given kind ('C'
// text, 'N' number, 'D' date).
struct InputBoxRequest {
  std::string Caption;
  std::string Prompt;
  std::string Text;  // what the edit shows first; the typed text afterwards
  char Kind = 'C';
  bool AllowEmpty = true;
};

// Message box flags in use.
inline constexpr uint32_t kMbError = 0x2010;
inline constexpr uint32_t kMbWarning = 0x2030;
inline constexpr uint32_t kMbInformation = 0x2040;
inline constexpr uint32_t kMbYesNoQuestion = 0x2124;  // No is the default
inline constexpr uint32_t kMbYesNoWarning = 0x2134;   // No is the default

// Buttons a message box returns.
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;
inline constexpr int32_t kIdYes = 6;
inline constexpr int32_t kIdNo = 7;

class UiServices {
 public:
  virtual ~UiServices() = default;

  // A task-modal message box; returns the button pressed. Texts are
  // Windows-1251.
  virtual int32_t MsgBox(const std::string& text, const std::string& caption, uint32_t flags);

  // Lets the windows process the events that wait.
  virtual void ProcessMessages() {}

  // The busy window.
  virtual bool BusyRunning() const { return busy_; }
  virtual void BeginBusy() { busy_ = true; }
  virtual void EndBusy() { busy_ = false; }

  // The progress window: a message over a gauge that runs from 0 to max.
  virtual void ShowProgressMessage(const std::string& /*text*/, int32_t /*max*/) {}
  virtual void SetProgressText(const std::string& /*text*/) {}
  virtual void SetProgressPosition(int32_t /*position*/) {}
  virtual void HideProgressMessage() {}

  // The document, information and reference-book windows.
  virtual bool DocWindowsEnabled() const { return docWindowsEnabled_; }
  virtual void EnableDocWindows(bool enable) { docWindowsEnabled_ = enable; }

  // The open-file dialog that lets the user pick several existing files: True
  // with the chosen paths, or False when cancelled.
  virtual bool ChooseFiles(const FileDialogRequest& request, std::vector<std::string>& paths);
  // The application's title: the caption of the interpreter's boxes.
  // "Веломар" until the start-up applies the configured one.
  virtual std::string AppTitle() const;
  virtual void SetAppTitle(const std::string& title) { title_ = title; }

  // Appends a line to "Errors.log".
  virtual void LogError(const std::string& msg);

  // The document window: closed after a run that set the terminate value;
  // the table a program chose gets the focus when the run ends; OK, Print
  // and the checks of all rows and of the document, as its buttons do them.
  virtual void CloseDocWindow() {}
  virtual void FocusTable(FocusableTable* /*table*/) {}
  virtual void DocOkClick(bool /*confirm*/) {}
  virtual void DocPrintClick() {}
  virtual bool DocCheckAll() { return true; }

  // The check-box dialog: one box per item laid out in columns, box i
  // checked when bit i of mask is set. True and the checked boxes as bits in
  // result when confirmed; False when cancelled.
  virtual bool CheckBoxes(const std::string& caption, const std::vector<std::string>& items,
                          uint32_t mask, int columns, uint32_t& result);

  // The question dialog: True with one typed text per input after OK;
  // False when cancelled (headless: cancelled).
  virtual bool AskQuestion(const QuestionRequest& request, std::vector<std::string>& texts);
  // The base-question dialog; Row is the chosen grid row (0-based) after
  // Chosen (headless: cancelled).
  virtual BaseQuestionEnd AskBaseQuestion(const BaseQuestionRequest& request, int32_t& row);
  // The list pick: text comes in as the item to preselect and goes out as
  // the chosen item (trimmed; empty when none was selected) after OK; False
  // when cancelled (headless: cancelled).
  virtual bool PickFromList(const ListPickRequest& request, std::string& text);

  // The confirmation of the working date and time while the program keeps
  // its own clock: True with the confirmed values; False when cancelled
  // (headless: cancelled).
  virtual bool AskDateTime(DateTimeFields& /*value*/) { return false; }

  // The input window: True with request.Text after OK; False when
  // cancelled (headless: cancelled).
  virtual bool InputBox(InputBoxRequest& /*request*/) { return false; }

  // The screen's width and a text's width in the dialogs' font, in pixels.
  virtual int32_t ScreenWidth() const { return 1024; }
  virtual int32_t TextWidth(const std::string& text) const { return 7 * static_cast<int32_t>(text.size()); }

  // The names of the installed printers (none when headless).
  virtual std::vector<std::string> PrinterNames() const { return {}; }

  // Whether the running document was started from the designer for a test:
  // such a run takes no database lock, leaves the date index alone and logs
  // no run errors. By default the program-wide flag below.
  virtual bool DesignerTestRun() const;

 private:
  std::string title_;
  bool busy_ = false;
  bool docWindowsEnabled_ = true;
};

// The installed implementation (a headless one until something is installed).
UiServices& Ui();
// Installs an implementation; nullptr goes back to the headless one. The
// caller keeps ownership.
void InstallUiServices(UiServices* services);

// Stops the busy window if it runs and says whether it ran; every dialog
// calls it before it shows itself and SetBusy with the result afterwards.
bool SuspendBusy();
void SetBusy(bool on);

// "Errors.log" is kept by the configuration layer above this one; it hands
// its writer over here so that the headless services log as the windows do.
// Without a writer, logged lines are dropped.
using TLogWriter = void (*)(const std::string& msg);
void InstallLogWriter(TLogWriter writer);

// Set by the configuration designer while a document runs as its test: the
// run then locks nothing, commits nothing and logs no run errors. The core
// asks Ui().DesignerTestRun().
bool& DesignerTestRun();

}  // namespace vm
