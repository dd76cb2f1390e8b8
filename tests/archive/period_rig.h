// A data folder for the archive commands: an invoice head table and its
// lines, the lines linking to heads by record number, an archive
// configuration over both, prepared as the menu frame prepares it, and the
// environment the commands run in.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_period.h"
#include "foundation/tables/dbf.h"
#include "archive/check/archive_check.h"
#include "platform/encoding.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm::test {

// NO__ N(10), NAME C(10), DAT D, GRP N(5), REF N(10), and SUM when the
// widths give it one.
struct PeriodRow {
  std::string Name;
  TDateRec Date{};  // Year 0: an empty date
  int32_t Group = 0;
  int32_t Ref = 0;
  bool Deleted = false;
  std::string Sum{};
};

enum PeriodField { kNo = 0, kName, kDat, kGrp, kRef, kSum };

// The widths of NAME and GRP as a table whose fields became narrower has
// them; SUM N(SumLength, SumDecimals), or of another type, only with a
// length.
struct PeriodWidths {
  int32_t Name = 10;
  int32_t Grp = 5;
  int32_t SumLength = 0;
  int32_t SumDecimals = 0;
  char SumType = 'N';
};

inline bool WritePeriodTable(const std::string& path, const std::vector<PeriodRow>& rows, int32_t refWidth = 10,
                             PeriodWidths widths = {}) {
  TDBF t;
  t.FileName = path;
  if (!t.CreateTable()) return false;
  t.AddFieldEx("NO__", 10, 'N', 0);
  t.AddFieldEx("NAME", widths.Name, 'C', 0);
  t.AddFieldEx("DAT", 8, 'D', 0);
  t.AddFieldEx("GRP", widths.Grp, 'N', 0);
  t.AddFieldEx("REF", refWidth, 'N', 0);
  if (widths.SumLength > 0) t.AddFieldEx("SUM", widths.SumLength, widths.SumType, widths.SumDecimals);
  if (!t.WriteStructure()) return false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const PeriodRow& r = rows[i];
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(kNo, static_cast<int32_t>(i) + 1);
    t.SetFieldStr(kName, r.Name);
    if (r.Date.Year != 0) t.SetFieldDate(kDat, r.Date);
    t.SetFieldInt(kGrp, r.Group);
    t.SetFieldInt(kRef, r.Ref);
    if (widths.SumLength > 0 && !t.SetFieldStr(kSum, r.Sum)) return false;
    t.SetDeleted(r.Deleted);
    if (!t.WriteRecord()) return false;
  }
  return t.Close();
}

// Every record as "NAME/REF" with a leading '*' when deleted, and NO__
// checked to run 1, 2, ... over the live ones.
inline std::vector<std::string> ReadPeriodTable(const std::string& path) {
  TDBF t;
  t.FileName = path;
  t.SetReadOnly(true);
  std::vector<std::string> rows;
  if (!t.Open()) return {"<unreadable>"};
  t.GoToRecord(1);
  for (int32_t r = 1; r <= t.RecCount(); ++r) {
    const int state = t.ReadRecord();
    if (state < 0) return {"<damaged>"};
    bool error = false;
    if (state == 0 && t.GetFieldInt(kNo, error) != r) rows.push_back("<NO__ " + t.GetFieldStr(kNo) + ">");
    rows.push_back((state == 1 ? "*" : "") + t.GetFieldStr(kName) + "/" + t.GetFieldStr(kRef));
  }
  return rows;
}

// The scripted windows, with the input window typed into from a list.
class PeriodUi : public ScriptedUi {
 public:
  // Input windows shown and the texts typed in turn; without one the
  // window is cancelled.
  std::vector<InputBoxRequest> InputBoxes;
  std::deque<std::string> InputTexts;
  bool InputBox(InputBoxRequest& request) override {
    InputBoxes.push_back(request);
    if (InputTexts.empty()) return false;
    request.Text = InputTexts.front();
    InputTexts.pop_front();
    return true;
  }
};

class PeriodRig : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* alias : {"HEAD", "LINES"}) {
      TDbaseStructure* b = bases_.AddNew();
      b->Alias = alias;
      b->FileName = std::string(alias) + ".DBF";
      b->Table.FileName = Dir() + b->FileName;
    }
    head_ = config_.AddBase();
    head_->Alias = "HEAD";
    head_->DateField = "DAT";
    head_->GroupField = "нет"_w;
    lines_ = config_.AddBase();
    lines_->Alias = "LINES";
    lines_->DateField = "DAT";
    lines_->GroupField = "нет"_w;
    lines_->LinkedFields = "HEAD: REF";
    config_.ID = 7;
    config_.Name = "Накладные"_w;
    env_.Dir = Dir();
    env_.ConfigFile = Dir() + "program.ini";
    env_.SaveConfig = [this](const std::string& path) {
      ++saves_;
      WriteBytes(path, "НОМ_АРХИВА="_w + std::to_string(config_.ArchiveNo));
      return !failSave_;
    };
    env_.Disk = "C";
    env_.FreeBytes = [this](const std::string&) { return freeBytes_; };
    packer_ = std::make_unique<TArchivePacker>(env_.WorkDir());
    env_.Packer = packer_.get();
  }
  void TearDown() override { ReleaseAll(config_); }

  std::string Dir() const { return tmp_.Dir(); }
  std::string Head() const { return Dir() + "HEAD.DBF"; }
  std::string Lines() const { return Dir() + "LINES.DBF"; }

  void Prepare() {
    int32_t bad = -1;
    std::string msg;
    ASSERT_TRUE(CheckConfig(config_, bases_, bad, msg)) << msg;
    ASSERT_TRUE(PrepareAll(config_, bases_));
  }
  // Archives up to the date given with every question answered Yes.
  bool Archive(const std::string& cut) {
    Prepare();
    ui_.InputTexts.push_back(cut);
    ui_.Answers.push_back(kIdYes);
    const bool ok = ArchivePeriod(config_, env_);
    ReleaseAll(config_);
    return ok;
  }
  bool Restore() {
    Prepare();
    for (int i = 0; i < 4; ++i) ui_.Answers.push_back(kIdYes);
    const bool ok = RestoreFromArchive(config_, env_);
    ui_.Answers.clear();
    ReleaseAll(config_);
    return ok;
  }
  std::string LastBox() const { return ui_.Boxes.empty() ? "" : ui_.Boxes.back().Text; }

  TempDir tmp_;
  PeriodUi ui_;
  TUsedBaseList bases_;
  TArchiveConfig config_;
  TBaseArchive* head_ = nullptr;
  TBaseArchive* lines_ = nullptr;
  TArchiveEnv env_;
  std::unique_ptr<TArchivePacker> packer_;
  int saves_ = 0;
  bool failSave_ = false;
  int64_t freeBytes_ = int64_t{1} << 40;
};

}  // namespace vm::test
