// The configuration designer on a large configuration: 500 documents, 200
// databases and 100 reference books. Showing it makes the working copies;
// applying copies them back and checks everything, the databases included,
// so the check of the databases alone on the same directory is the anchor.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/base_checks.h"
#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/errorlog.h"
#include "config/settings.h"
#include "documents/designer/designer.h"
#include "platform/encoding.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

constexpr int kBases = 200;
constexpr int kBooks = 100;
constexpr int kFolders = 10;
constexpr int kDocsPerFolder = 50;

const char* kBlank =
    "COLCOUNT=3\r\nLEVELCOUNT=1\r\nHEADER[1]='Код'\r\nHEADER[2]='Имя'\r\nHEADER[3]='Кол.'\r\n"
    "FORMAT[1]=N,6,0\r\nFORMAT[2]=C,30,0\r\nFORMAT[3]=N,10,3\r\n";

void Fill(TSettingsModel& m) {
  for (int i = 0; i < 10; ++i) m.Blanks.Add("F" + std::to_string(i))->SetText(Utf8ToCp1251(kBlank));
  for (int i = 0; i < kBases; ++i) {
    TDbaseStructure* b = m.Bases.AddNew();
    b->SetFileName("B" + std::to_string(i) + ".DBF");
    b->Alias = "B" + std::to_string(i);
    b->Department = "Склад"_w;
    b->AddField({"CODE", 'N', 6, 0});
    b->AddField({"NAM", 'C', 30, 0});
    b->AddField({"QTY", 'N', 10, 3});
    b->AddField({"PRICE", 'N', 10, 2});
    b->AddField({"DT", 'D', 8, 0});
  }
  for (int i = 0; i < kBooks; ++i) {
    TSpravDef* s = m.Books.AddNew();
    s->BaseAlias = "B" + std::to_string(i);
    s->Name = "S" + std::to_string(i);
    s->BlankName = "F" + std::to_string(i % 10);
    s->SetSDefCount(3);
    s->ColumnCount = 3;
    const char* fields[] = {"CODE", "NAM", "QTY"};
    for (int c = 0; c < 3; ++c) s->GetSDef(c)->FieldName = fields[c];
  }
  TDocNode* root = m.DocTree.AddTop("Документы"_w);
  for (int f = 0; f < kFolders; ++f) {
    TDocNode* folder = root->AddChild("Папка "_w + std::to_string(f));
    for (int d = 0; d < kDocsPerFolder; ++d) {
      TDocNode* doc = folder->AddChild("Документ "_w + std::to_string(d));
      doc->Data = std::make_unique<TDocData>();
      doc->Data->Description =
          "VARS\r\n  X = N\r\nENDSECTION\r\nBLANK\r\n  WIDTH = 800\r\nENDSECTION\r\nINIT\r\n  X := " +
          std::to_string(d) + "\r\nENDSECTION\r\n";
      doc->Data->PasswordNumber = 0;
    }
  }
  for (int i = 0; i < 20; ++i) {
    TAPar* p = m.AutoParams.AddNew();
    p->Name = "P" + std::to_string(i);
    p->Kind = 'N';
    p->ValueText = std::to_string(i);
  }
}

// The directory, made once, and the configuration loaded from it.
void UseLargeConfiguration() {
  static const std::string dir = [] {
    const std::string d = "/tmp/velomar_designer_" + std::to_string(getpid()) + "/";
    fs::create_directories(d);
    ::setenv("VELOMAR_HOME", d.c_str(), 1);
    InitProgramDirectory();
    SetCommandLine(0, nullptr);
    ChooseDataDirectory();
    TSettingsModel m;
    Fill(m);
    int64_t size = 0;
    CreateDateIndex(m.Bases);
    if (!CheckBases(m.Bases, true, size)) std::abort();
    if (!SaveConfigurationTo(ProgramIniName(), m) || !SaveAutoParamsTo(ManagerIniName(), m) ||
        !SaveLocalSettingsTo(LocalIniName(), m))
      std::abort();
    return d;
  }();
  ::setenv("VELOMAR_HOME", dir.c_str(), 1);
  InitProgramDirectory();
  ChooseDataDirectory();
  ResetErrorLogRun();
  if (!LoadAllSettings()) std::abort();
  CreateDateIndex(Settings().Bases);
}

void BM_DesignerShown(benchmark::State& state) {
  UseLargeConfiguration();
  TDesignerHost host;
  TDesigner designer(Settings(), host);
  for (auto _ : state) {
    designer.Show();
    state.counters["documents"] = static_cast<double>(designer.Tree.Nodes().size());
    state.counters["books"] = designer.Books.Count();
    designer.Hide();
  }
}
BENCHMARK(BM_DesignerShown)->Unit(benchmark::kMillisecond);

void BM_DesignerApplied(benchmark::State& state) {
  UseLargeConfiguration();
  TDesignerHost host;
  TDesigner designer(Settings(), host);
  designer.Show();
  for (auto _ : state) designer.Apply();
  designer.Hide();
}
BENCHMARK(BM_DesignerApplied)->Unit(benchmark::kMillisecond);

// The anchor: the databases' check alone on the same directory.
void BM_CheckBasesAlone(benchmark::State& state) {
  UseLargeConfiguration();
  int64_t size = 0;
  bool ok = true;
  for (auto _ : state) ok = CheckBases(Settings().Bases, true, size) && ok;
  state.counters["databases"] = Settings().Bases.Count();
  state.counters["passed"] = ok;
}
BENCHMARK(BM_CheckBasesAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
