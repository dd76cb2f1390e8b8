// A stand-in for the windows: records every message box, log line and
// dialog, answers questions from a script and lets a test act whenever the
// core lets the windows process their events.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vm::test {

struct BoxShown {
  std::string Text;
  std::string Caption;
  uint32_t Flags = 0;
};

struct CheckBoxesShown {
  std::string Caption;
  std::vector<std::string> Items;
  uint32_t Mask = 0;
  int Columns = 0;
};

// What the user does in a question dialog: OK with these texts, or Cancel.
struct QuestionAnswer {
  bool Ok = false;
  std::vector<std::string> Texts;
};

// What the user does in a base-question dialog; NewRecord presses
// "Новая запись", which answers the next question.
struct BaseQuestionAnswer {
  BaseQuestionEnd End = BaseQuestionEnd::Cancelled;
  int32_t Row = -1;
};

class ScriptedUi : public UiServices {
 public:
  ScriptedUi() { InstallUiServices(this); }
  ~ScriptedUi() override { InstallUiServices(nullptr); }
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  std::vector<BoxShown> Boxes;
  // Buttons the boxes return in turn; when empty, the default button.
  std::deque<int32_t> Answers;
  std::vector<std::string> Log;
  // Whether logged lines also reach "Errors.log".
  bool LogToFile = false;
  int Pumps = 0;
  // Called with the count of pumps so far.
  std::function<void(int)> OnPump;
  int Closes = 0;
  int OkClicks = 0;
  bool LastOkConfirm = false;
  int PrintClicks = 0;
  bool ChecksPass = true;
  FocusableTable* Focused = nullptr;
  std::vector<CheckBoxesShown> CheckBoxDialogs;
  // The checked boxes the user leaves; cancelled when unset.
  bool CheckBoxesConfirmed = false;
  uint32_t CheckBoxesResult = 0;
  std::vector<FileDialogRequest> FileDialogs;
  std::vector<std::string> ChosenFiles;
  // Whether the busy window ran while a box was shown.
  bool BusyDuringBox = false;
  // The designer started the run as a test.
  bool DesignerTest = false;
  // Question dialogs shown and the answers given in turn; without an answer
  // the dialog is cancelled. An OK the dialog refuses takes the next answer.
  std::vector<QuestionRequest> Questions;
  std::deque<QuestionAnswer> QuestionAnswers;
  int RefusedAnswers = 0;
  std::vector<BaseQuestionRequest> BaseQuestions;
  std::deque<BaseQuestionAnswer> BaseAnswers;

  int32_t MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override {
    Boxes.push_back({text, caption, flags});
    BusyDuringBox = BusyDuringBox || BusyRunning();
    if (Answers.empty()) return UiServices::MsgBox(text, caption, flags);
    const int32_t answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  void ProcessMessages() override {
    ++Pumps;
    if (OnPump) OnPump(Pumps);
  }
  // The progress window: every message shown, the gauge's maximum and its
  // highest position.
  std::vector<std::string> ProgressTexts;
  int32_t ProgressMax = 0;
  int32_t ProgressTop = 0;
  bool ProgressShown = false;
  void ShowProgressMessage(const std::string& text, int32_t max) override {
    ProgressTexts.push_back(text);
    ProgressMax = max;
    ProgressTop = 0;
    ProgressShown = true;
  }
  void SetProgressText(const std::string& text) override { ProgressTexts.push_back(text); }
  void SetProgressPosition(int32_t position) override { ProgressTop = std::max(ProgressTop, position); }
  void HideProgressMessage() override { ProgressShown = false; }
  std::string AppTitle() const override { return "Title"; }
  void LogError(const std::string& msg) override {
    Log.push_back(msg);
    if (LogToFile) UiServices::LogError(msg);
  }
  bool DesignerTestRun() const override { return DesignerTest || UiServices::DesignerTestRun(); }
  // The date dialog: the clock's date and time confirmed as shown, or as a
  // test types them, unless it cancels it.
  bool DateTimeConfirmed = true;
  std::optional<DateTimeFields> DateTimeTyped;
  int DateTimeAsked = 0;
  bool AskDateTime(DateTimeFields& value) override {
    ++DateTimeAsked;
    if (DateTimeConfirmed && DateTimeTyped) value = *DateTimeTyped;
    return DateTimeConfirmed;
  }
  void CloseDocWindow() override { ++Closes; }
  void FocusTable(FocusableTable* table) override { Focused = table; }
  void DocOkClick(bool confirm) override {
    ++OkClicks;
    LastOkConfirm = confirm;
  }
  void DocPrintClick() override { ++PrintClicks; }
  bool DocCheckAll() override { return ChecksPass; }
  bool CheckBoxes(const std::string& caption, const std::vector<std::string>& items,
                  uint32_t mask, int columns, uint32_t& result) override {
    CheckBoxDialogs.push_back({caption, items, mask, columns});
    result = CheckBoxesConfirmed ? CheckBoxesResult : 0;
    return CheckBoxesConfirmed;
  }
  bool AskQuestion(const QuestionRequest& request, std::vector<std::string>& texts) override {
    Questions.push_back(request);
    while (!QuestionAnswers.empty()) {
      QuestionAnswer answer = QuestionAnswers.front();
      QuestionAnswers.pop_front();
      if (!answer.Ok) break;
      if (request.Accept && !request.Accept(answer.Texts)) {
        ++RefusedAnswers;
        continue;
      }
      texts = answer.Texts;
      return true;
    }
    texts.clear();
    return false;
  }
  BaseQuestionEnd AskBaseQuestion(const BaseQuestionRequest& request, int32_t& row) override {
    BaseQuestions.push_back(request);
    row = -1;
    while (!BaseAnswers.empty()) {
      const BaseQuestionAnswer answer = BaseAnswers.front();
      BaseAnswers.pop_front();
      if (answer.End == BaseQuestionEnd::NewRecord) {
        if (request.AddNew && request.AddNew()) return BaseQuestionEnd::NewRecord;
        continue;
      }
      row = answer.Row;
      return answer.End;
    }
    return BaseQuestionEnd::Cancelled;
  }
  // List picks shown and the items chosen in turn; without one the pick is
  // cancelled.
  std::vector<ListPickRequest> ListPicks;
  std::deque<std::string> ListChoices;
  bool PickFromList(const ListPickRequest& request, std::string& text) override {
    ListPicks.push_back(request);
    if (ListChoices.empty()) return false;
    text = ListChoices.front();
    ListChoices.pop_front();
    return true;
  }
  bool ChooseFiles(const FileDialogRequest& request, std::vector<std::string>& paths) override {
    FileDialogs.push_back(request);
    paths = ChosenFiles;
    return !paths.empty();
  }
};

}  // namespace vm::test
