// Message boxes and dialogs of the headless document runner: every message
// box is one line "[caption] text" on standard output in UTF-8 (CR written
// \r, LF \n, a backslash \\; on a terminal, a person reading, the line
// breaks where the box would), and questions take their answers, one a line,
// from a list, then their default answers when it runs out. An answer its
// question or box does not take is said on standard error, with why.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vm {

// The text of one message box line, in UTF-8; for a terminal a CR or LF of
// the text breaks the line and nothing is escaped.
std::string MessageLine(const std::string& caption, const std::string& text, bool terminal = false);

class TRunServices : public UiServices {
 public:
  // Answers are Windows-1251; out is where the lines go, err where refused
  // answers are said.
  explicit TRunServices(std::vector<std::string> answers, std::FILE* out = stdout, std::FILE* err = stderr);

  int32_t MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  bool AskQuestion(const QuestionRequest& request, std::vector<std::string>& texts) override;
  // The answer is a row's number (from 1) or a text one of its cells holds;
  // an empty answer, or none, chooses the first row.
  BaseQuestionEnd AskBaseQuestion(const BaseQuestionRequest& request, int32_t& row) override;
  // The program clock as --date and --time set it is taken as confirmed.
  bool AskDateTime(DateTimeFields& /*value*/) override { return true; }

 private:
  // False when the answers have run out.
  bool NextAnswer(std::string& answer);
  // "velomar-run: " and the text, a line on err.
  void Refused(const std::string& text);

  std::deque<std::string> answers_;
  std::FILE* out_;
  std::FILE* err_;
};

// The lines of an answers file (UTF-8, CR LF or LF) in Windows-1251; false
// when it cannot be read.
bool ReadAnswers(const std::string& path, std::vector<std::string>& answers);

}  // namespace vm
