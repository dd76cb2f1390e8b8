#include "app/run_services.h"

#include <unistd.h>

#include <fstream>

#include "documents/value_edit.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"

namespace vm {

namespace {

std::string Escaped(const std::string& s, bool terminal) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
    if (terminal) {
      out += c == '\r' ? '\n' : c;
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

// What a written answer means for a box's buttons; 0 when it fits none.
int32_t ButtonOf(const std::string& answer) {
  std::string a = answer;
  MakeUpperCase(a);
  if (a == "ДА"_w) return kIdYes;
  if (a == "НЕТ"_w) return kIdNo;
  if (a == "OK" || a == "ОК"_w) return kIdOk;
  if (a == "ОТМЕНА"_w) return kIdCancel;
  return 0;
}

bool AnswerFits(int32_t button, uint32_t flags) {
  switch (flags & 0x0F) {
    case 1:
      return button == kIdOk || button == kIdCancel;
    case 3:
      return button == kIdYes || button == kIdNo || button == kIdCancel;
    case 4:
      return button == kIdYes || button == kIdNo;
    default:
      return false;
  }
}

// The answers AnswerFits takes for a box's buttons, in words.
std::string ButtonWords(uint32_t flags) {
  switch (flags & 0x0F) {
    case 1: return "нужно OK или Отмена"_w;
    case 3: return "нужно Да, Нет или Отмена"_w;
    case 4: return "нужно Да или Нет"_w;
    default: return "ответов на него не бывает"_w;
  }
}

std::string Quoted(const std::string& s) { return "«"_w + s + "»"_w; }

// A person reads it: lines are broken where the box would break them.
bool IsTerminal(std::FILE* file) { return isatty(fileno(file)) == 1; }

}  // namespace

std::string MessageLine(const std::string& caption, const std::string& text, bool terminal) {
  return "[" + Escaped(Cp1251ToUtf8(caption), terminal) + "] " + Escaped(Cp1251ToUtf8(text), terminal);
}

TRunServices::TRunServices(std::vector<std::string> answers, std::FILE* out, std::FILE* err)
    : answers_(answers.begin(), answers.end()), out_(out), err_(err) {}

void TRunServices::Refused(const std::string& text) {
  std::fprintf(err_, "velomar-run: %s\n", Escaped(Cp1251ToUtf8(text), IsTerminal(err_)).c_str());
  std::fflush(err_);
}

bool TRunServices::NextAnswer(std::string& answer) {
  if (answers_.empty()) return false;
  answer = answers_.front();
  answers_.pop_front();
  return true;
}

int32_t TRunServices::MsgBox(const std::string& text, const std::string& caption, uint32_t flags) {
  std::fprintf(out_, "%s\n", MessageLine(caption, text, IsTerminal(out_)).c_str());
  std::fflush(out_);
  const uint32_t buttons = flags & 0x0F;
  std::string answer;
  if (buttons != 0 && NextAnswer(answer)) {
    const int32_t button = ButtonOf(answer);
    if (AnswerFits(button, flags)) return button;
    Refused("сообщение "_w + Quoted(caption) + " не принимает ответ "_w + Quoted(answer) + ": "_w +
            ButtonWords(flags) + "; взят ответ по умолчанию"_w);
  }
  return UiServices::MsgBox(text, caption, flags);
}

bool TRunServices::AskQuestion(const QuestionRequest& request, std::vector<std::string>& texts) {
  texts.clear();
  std::vector<std::string> given;
  const auto editOf = [](const QuestionInput& input) { return TValueEdit{input.Kind, input.Width, input.Decimals}; };
  const auto refusedBy = [&](std::size_t i) {
    const QuestionInput& input = request.Inputs[i];
    Refused("вопрос "_w + Quoted(request.Caption) + ": поле "_w + Quoted(TrimBlanks(input.Label)) +
            " не принимает ответ "_w + Quoted(given[i]) + ": "_w + editOf(input).Requirement());
    texts.clear();
    return false;
  };
  for (const QuestionInput& input : request.Inputs) {
    std::string answer;
    const bool typed = NextAnswer(answer);
    if (!typed) answer = input.Text;
    given.push_back(answer);
    if (request.CancelVisible && ButtonOf(answer) == kIdCancel) {
      texts.clear();
      return false;
    }
    // The edit takes no more characters; cut, the answer would be another.
    const int32_t limit = editOf(input).TextLimit();
    if (typed && limit > 0 && answer.size() > static_cast<std::size_t>(limit)) return refusedBy(given.size() - 1);
    // Typed and the field left, as in the window: "10,5" is 10.50.
    texts.push_back(editOf(input).Normalized(answer));
  }
  if (!request.Accept || request.Accept(texts)) return true;
  // The dialog would keep OK off until the edit held what it takes.
  for (std::size_t i = 0; i < request.Inputs.size() && i < texts.size(); ++i)
    if (!editOf(request.Inputs[i]).IsValid(texts[i])) return refusedBy(i);
  Refused("вопрос "_w + Quoted(request.Caption) + " не принимает ответы"_w);
  return false;
}

BaseQuestionEnd TRunServices::AskBaseQuestion(const BaseQuestionRequest& request, int32_t& row) {
  row = -1;
  const auto count = static_cast<int32_t>(request.Rows.size());
  std::string answer;
  // An empty line, like no line, takes the list's default: its first row.
  if (!NextAnswer(answer) || TrimBlanks(answer).empty()) {
    row = count > 0 ? 0 : -1;
    return count > 0 ? BaseQuestionEnd::Chosen : BaseQuestionEnd::Cancelled;
  }
  if (ButtonOf(answer) == kIdCancel) return BaseQuestionEnd::Cancelled;
  int32_t n = 0;
  if (TryStrToInt(answer, n) && n >= 1 && n <= count) {
    row = n - 1;
    return BaseQuestionEnd::Chosen;
  }
  for (int32_t i = 0; i < count; ++i)
    for (const std::string& cell : request.Rows[static_cast<std::size_t>(i)])
      if (TrimBlanks(cell) == TrimBlanks(answer)) {
        row = i;
        return BaseQuestionEnd::Chosen;
      }
  Refused("список "_w + Quoted(request.Caption) + " не принимает ответ "_w + Quoted(answer) + ": "_w +
          (count > 0 ? "нужен номер строки от 1 до "_w + std::to_string(count) + " или текст ее ячейки"_w
                     : "в списке нет строк"_w));
  return BaseQuestionEnd::Cancelled;
}

bool ReadAnswers(const std::string& path, std::vector<std::string>& answers) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    answers.push_back(Utf8ToCp1251(line));
  }
  return true;
}

}  // namespace vm
