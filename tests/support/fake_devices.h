// Stand-ins for the spreadsheet application and the scanner port: each
// installs itself while it lives and writes every call it gets into one
// log, as "Name(arg,arg)", so a test compares what reached the device.
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/scanner.h"
#include "platform/spreadsheet.h"

namespace vm::test {

using CallLog = std::vector<std::string>;

template <typename... Args>
std::string CallText(const std::string& name, const Args&... args) {
  std::string text = name + "(";
  bool first = true;
  [[maybe_unused]] auto add = [&](const auto& a) {
    if (!first) text += ",";
    first = false;
    if constexpr (std::is_convertible_v<decltype(a), std::string>) {
      text += a;
    } else {
      text += std::to_string(a);
    }
  };
  (add(args), ...);
  return text + ")";
}

class FakeWorkbook : public IWorkbook {
 public:
  FakeWorkbook(CallLog& log, std::string name) : log_(log), name_(std::move(name)) {}

  // What FindCell answers and what failing calls say.
  bool Found = false;
  int32_t FoundRow = 0, FoundColumn = 0;
  TSheetStatus Status;
  // What saving answers, alone and on closing.
  TSheetStatus SaveStatus;

  TSheetStatus Save() override {
    Log("Save");
    return SaveStatus;
  }
  TSheetStatus Close(bool save) override {
    Log("Close", save ? 1 : 0);
    return save ? SaveStatus : TSheetStatus{};
  }
  std::string GetCell(int32_t s, int32_t r, int32_t c) override { return Log("GetCell", s, r, c); }
  std::string GetRange(int32_t s, const std::string& a) override { return Log("GetRange", s, a); }
  void SetCell(int32_t s, int32_t r, int32_t c, const std::string& t) override { Log("SetCell", s, r, c, t); }
  void SetRange(int32_t s, const std::string& a, const std::string& t) override { Log("SetRange", s, a, t); }
  void SetCellNum(int32_t s, int32_t r, int32_t c, double v) override { Log("SetCellNum", s, r, c, v); }
  void SetRangeNum(int32_t s, const std::string& a, double v) override { Log("SetRangeNum", s, a, v); }
  bool FindCell(int32_t s, const std::string& t, int32_t& r, int32_t& c) override {
    Log("FindCell", s, t);
    // A reader that leaves the coordinates alone when it finds nothing.
    if (Found) {
      r = FoundRow;
      c = FoundColumn;
    }
    return Found;
  }
  void CopyRow(int32_t s, int32_t a, int32_t b, int32_t n) override { Log("CopyRow", s, a, b, n); }
  void CopyRows(int32_t s, int32_t a, int32_t b, int32_t t, int32_t n) override { Log("CopyRows", s, a, b, t, n); }
  TSheetStatus CopyCell(int32_t s, int32_t a, int32_t b, int32_t t, int32_t u) override {
    Log("CopyCell", s, a, b, t, u);
    return Status;
  }
  void CopySheet(int32_t s, int32_t n) override { Log("CopySheet", s, n); }
  void ReplaceWords(int32_t s, const std::string& w, const std::string& b, bool all) override {
    Log("ReplaceWords", s, w, b, all ? 1 : 0);
  }
  TSheetStatus Print(int32_t s, const std::string& p, int32_t n) override {
    Log("Print", s, p, n);
    return Status;
  }

 private:
  template <typename... Args>
  std::string Log(const std::string& call, const Args&... args) {
    log_.push_back(CallText(name_ + "." + call, args...));
    return log_.back();
  }
  CallLog& log_;
  std::string name_;
};

class FakeSpreadsheet : public SpreadsheetServices {
 public:
  FakeSpreadsheet() { InstallSpreadsheetServices(this); }
  ~FakeSpreadsheet() override { InstallSpreadsheetServices(nullptr); }
  FakeSpreadsheet(const FakeSpreadsheet&) = delete;
  FakeSpreadsheet& operator=(const FakeSpreadsheet&) = delete;

  CallLog Calls;
  bool Usable = true;
  // When not empty, creating and opening fail with these words.
  std::string Refusal;
  // The workbooks handed out, in order; they live as long as their report.
  std::vector<FakeWorkbook*> Books;

  bool Start() override {
    Calls.push_back("Start");
    return Usable;
  }
  std::unique_ptr<IWorkbook> CreateReport(const std::string& t, const std::string& f, std::string& error) override {
    Calls.push_back(CallText("CreateReport", t, f));
    return Hand(error);
  }
  std::unique_ptr<IWorkbook> OpenReport(const std::string& f, std::string& error) override {
    Calls.push_back(CallText("OpenReport", f));
    return Hand(error);
  }
  void CloseAll(bool save) override { Calls.push_back(CallText("CloseAll", save ? 1 : 0)); }
  void SetVisible(bool on) override { Calls.push_back(CallText("SetVisible", on ? 1 : 0)); }

 private:
  std::unique_ptr<IWorkbook> Hand(std::string& error) {
    if (!Refusal.empty()) {
      error = Refusal;
      return nullptr;
    }
    auto book = std::make_unique<FakeWorkbook>(Calls, "Book" + std::to_string(Books.size() + 1));
    Books.push_back(book.get());
    return book;
  }
};

class FakeScanner : public ScannerServices {
 public:
  FakeScanner() { InstallScannerServices(this); }
  ~FakeScanner() override { InstallScannerServices(nullptr); }
  FakeScanner(const FakeScanner&) = delete;
  FakeScanner& operator=(const FakeScanner&) = delete;

  CallLog Calls;
  bool Exists = false;
  TPortConfig Config{};

  bool PortExists() const override { return Exists; }
  void CreatePort(const std::string& name, const TPortConfig& config) override {
    Calls.push_back(CallText("CreatePort", name));
    Exists = true;
    Config = config;
  }
  void SetReceiveEnabled(bool on) override { Calls.push_back(CallText("SetReceiveEnabled", on ? 1 : 0)); }
  void FreePort() override {
    Calls.push_back("FreePort");
    Exists = false;
  }
};

}  // namespace vm::test
