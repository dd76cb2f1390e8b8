#include "platform/calc_spreadsheet.h"

#include <cstdio>
#include <cstdlib>

#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

std::string StartCaption() { return "Ошибка запуска Excel"_w; }

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string Flag(bool on) { return on ? "1" : "0"; }

class TCalcWorkbook : public IWorkbook {
 public:
  TCalcWorkbook(TCalcSpreadsheet& app, int32_t number) : app_(app), number_(std::to_string(number)) {}

  TSheetStatus Save() override { return Status(app_.Call({"save", number_})); }
  TSheetStatus Close(bool save) override { return Status(app_.Call({"close", number_, Flag(save)})); }

  std::string GetCell(int32_t sheet, int32_t row, int32_t column) override {
    return Text(app_.Call({"get", number_, N(sheet), N(row), N(column)}));
  }
  std::string GetRange(int32_t sheet, const std::string& address) override {
    return Text(app_.Call({"getr", number_, N(sheet), address}));
  }
  void SetCell(int32_t sheet, int32_t row, int32_t column, const std::string& text) override {
    app_.Send({"set", number_, N(sheet), N(row), N(column), text});
  }
  void SetRange(int32_t sheet, const std::string& address, const std::string& text) override {
    app_.Send({"setr", number_, N(sheet), address, text});
  }
  void SetCellNum(int32_t sheet, int32_t row, int32_t column, double value) override {
    app_.Send({"setn", number_, N(sheet), N(row), N(column), Number(value)});
  }
  void SetRangeNum(int32_t sheet, const std::string& address, double value) override {
    app_.Send({"setrn", number_, N(sheet), address, Number(value)});
  }
  bool FindCell(int32_t sheet, const std::string& text, int32_t& row, int32_t& column) override {
    const TCalcFields answer = app_.Call({"find", number_, N(sheet), text});
    if (answer.size() < 3 || answer[0] != "ok") return false;
    row = std::atoi(answer[1].c_str());
    column = std::atoi(answer[2].c_str());
    return true;
  }
  void CopyRow(int32_t sheet, int32_t source, int32_t target, int32_t count) override {
    CopyRows(sheet, source, source, target, count);
  }
  void CopyRows(int32_t sheet, int32_t first, int32_t last, int32_t target, int32_t count) override {
    app_.Send({"copyrows", number_, N(sheet), N(first), N(last), N(target), N(count)});
  }
  TSheetStatus CopyCell(int32_t sheet, int32_t sourceRow, int32_t sourceColumn, int32_t targetRow,
                        int32_t targetColumn) override {
    return Status(
        app_.Call({"copycell", number_, N(sheet), N(sourceRow), N(sourceColumn), N(targetRow), N(targetColumn)}));
  }
  void CopySheet(int32_t sheet, int32_t count) override { app_.Call({"copysheet", number_, N(sheet), N(count)}); }
  void ReplaceWords(int32_t sheet, const std::string& what, const std::string& by, bool all) override {
    app_.Call({"replace", number_, N(sheet), what, by, Flag(all)});
  }
  TSheetStatus Print(int32_t sheet, const std::string& printer, int32_t copies) override {
    return Status(app_.Call({"print", number_, N(sheet), printer, N(copies)}));
  }

 private:
  static std::string N(int32_t n) { return std::to_string(n); }
  static std::string Text(const TCalcFields& answer) {
    return answer.size() >= 2 && answer[0] == "ok" ? answer[1] : std::string();
  }
  static TSheetStatus Status(const TCalcFields& answer) {
    if (!answer.empty() && answer[0] == "ok") return {};
    return {false, answer.size() >= 2 ? answer[1] : "LibreOffice Calc не отвечает"_w};
  }

  TCalcSpreadsheet& app_;
  std::string number_;
};

}  // namespace

double LeadingVersionNumber(std::string_view text) {
  std::string lead;
  bool point = false;
  for (char ch : text) {
    if (ch == '.' && !point) {
      point = true;
    } else if (ch < '0' || ch > '9') {
      break;
    }
    lead += ch;
  }
  return std::strtod(lead.c_str(), nullptr);
}

bool VersionAccepted(std::string_view text, double minimum) {
  return LeadingVersionNumber(text) - minimum >= -0.0001;
}

TCalcSpreadsheet::TCalcSpreadsheet(std::string officePath, TOfficeWindows windows)
    : officePath_(std::move(officePath)), windows_(windows == TOfficeWindows::OnDisplay) {}

TCalcSpreadsheet::~TCalcSpreadsheet() { Quit(); }

void TCalcSpreadsheet::Quit() {
  link_.Quit();
  started_ = false;
  officePid_ = 0;
}

TCalcFields TCalcSpreadsheet::Call(const TCalcFields& fields) {
  TCalcFields utf8;
  for (const std::string& f : fields) utf8.push_back(Cp1251ToUtf8(f));
  TCalcFields answer;
  if (!link_.Call(utf8, answer)) return {};
  for (std::string& f : answer) f = Utf8ToCp1251(f);
  return answer;
}

void TCalcSpreadsheet::Send(const TCalcFields& fields) {
  TCalcFields utf8;
  for (const std::string& f : fields) utf8.push_back(Cp1251ToUtf8(f));
  link_.Send(utf8);
}

bool TCalcSpreadsheet::Alive(std::string& why) {
  if (!link_.Running()) {
    why = "Программа связи с LibreOffice Calc завершилась"_w;
    return false;
  }
  const TCalcFields answer = Call({"check"});
  if (!answer.empty() && answer[0] == "ok") return true;
  why = answer.size() >= 2 ? answer[1] : "LibreOffice Calc не отвечает"_w;
  return false;
}

bool TCalcSpreadsheet::Create() {
  std::string error;
  if (!link_.Running() && !link_.Spawn(officePath_, windows_, error)) {
    Ui().MsgBox(error, StartCaption(), kMbError);
    return false;
  }
  const TCalcFields answer = Call({"start"});
  if (answer.size() < 3 || answer[0] != "ok") {
    Ui().MsgBox(answer.size() >= 2 ? answer[1] : "Не удалось запустить python3-uno"_w, StartCaption(), kMbError);
    return false;
  }
  if (!VersionAccepted(answer[1], kCalcMinimumVersion)) {
    Ui().MsgBox("Ошибка, версия Excel "_w + answer[1], "Ошибка"_w, kMbError);
    Quit();
    return false;
  }
  officePid_ = std::atoi(answer[2].c_str());
  started_ = true;
  return true;
}

bool TCalcSpreadsheet::Start() {
  if (started_) {
    std::string why;
    if (Alive(why)) return true;
    // The user (or anything else) ended the office: said, and replaced.
    Ui().MsgBox(why, StartCaption(), kMbError);
    started_ = false;
    officePid_ = 0;
  }
  return Create();
}

std::unique_ptr<IWorkbook> TCalcSpreadsheet::Report(const TCalcFields& call, std::string& error) {
  const TCalcFields answer = Call(call);
  if (!answer.empty() && answer[0] == "ok")
    return std::make_unique<TCalcWorkbook>(*this, std::atoi(call[1].c_str()));
  error = answer.size() >= 2 ? answer[1] : "LibreOffice Calc не отвечает"_w;
  return nullptr;
}

std::unique_ptr<IWorkbook> TCalcSpreadsheet::CreateReport(const std::string& templateFile,
                                                          const std::string& target, std::string& error) {
  return Report({"create", std::to_string(++lastBook_), templateFile, target}, error);
}

std::unique_ptr<IWorkbook> TCalcSpreadsheet::OpenReport(const std::string& file, std::string& error) {
  return Report({"open", std::to_string(++lastBook_), file}, error);
}

void TCalcSpreadsheet::CloseAll(bool save) {
  if (started_) Call({"closeall", Flag(save)});
}

void TCalcSpreadsheet::SetVisible(bool visible) {
  if (started_) Send({"visible", Flag(visible)});
}

}  // namespace vm
