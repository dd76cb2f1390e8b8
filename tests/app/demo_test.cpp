// The bundled sample data: it loads whole, agrees with itself and with its
// tables, comes back byte for byte from the program's own writers, and the
// programs start on a copy of it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "config/data_dir.h"
#include "config/page_format.h"
#include "platform/encoding.h"
#include "foundation/tables/table_rewrite.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/random.h"
#include "platform/services.h"
#include "config/settings.h"
#include "demo_rig.h"
#include "support/program_home.h"
#include "support/temp_dir.h"
#include "models/layout_lang.h"
#include "output/device_mode.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::CopyDemoTo;
using test::DemoDir;
using test::ProgramRun;
using test::ReadBytes;
using test::ShellQuoted;

// scripts/make-demo packs the password and access records from this seed.
constexpr uint32_t kDemoSeed = 20261205;

const char* const kSettingsFiles[] = {"program.ini", "manager.ini", "local.ini"};

char KindOf(const TColFormat& f) { return f.Kind == 'R' ? 'N' : f.Kind; }

void ExpectTableMatchesDescription(TDbaseStructure& base) {
  SCOPED_TRACE(base.FileName);
  TDBF reference;
  reference.AddField({"NO__", 'N', 10, 0});
  for (const TFieldRecord& f : base.Fields) reference.AddField(f);
  TDBF& table = base.Table;
  ASSERT_TRUE(table.OpenReadOnly());
  EXPECT_EQ(table.OpenResult(), kDbfOk);
  EXPECT_TRUE(table.SameStructure(reference));
  EXPECT_EQ(table.FieldIndex("NO__"), 0);  // the structure compare ignores the order
  EXPECT_GT(table.RecCount(), 0);
  for (int32_t n = 1; n <= table.RecCount(); ++n) {
    table.GoToRecord(n);
    ASSERT_EQ(table.ReadRecord(), 0);
    bool error = true;
    EXPECT_EQ(table.GetFieldInt(0, error), n);
    EXPECT_FALSE(error);
  }
  table.Close();
}

TEST(DemoData, LoadsConsistentlyAndSavesByteForByte) {
  test::ProgramHome home;
  CopyDemoTo(home.Dir());
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  TSettingsModel& m = Settings();

  EXPECT_FALSE(m.SystemClock);  // no date question at start
  EXPECT_EQ((std::array{m.Bases.Count(), m.Blanks.Count(), m.Books.Count(), m.AutoParams.Count(),
                        m.ArchiveConfigs.Count(), m.PriceTags.Count()}),
            (std::array{4, 6, 2, 6, 1, 1}));
  EXPECT_FALSE(m.StartOfDayDoc.Description.empty());
  EXPECT_EQ(m.Title, "Веломар — магазин «Колосок»"_w);
  EXPECT_EQ(m.AutoParams.GetValueText("МАГАЗИН"_w), "Магазин «Колосок»"_w);
  EXPECT_NE(PageFormats().FindByName(m.DefaultFormatName), nullptr);

  int32_t conditional = 0;
  for (int32_t i = 0; i < m.Blanks.Count(); ++i) {
    TCurBlank* blank = m.Blanks.GetItem(i);
    int32_t code = -1, line = -1;
    EXPECT_TRUE(CompileBlank(*blank, code, line))
        << Cp1251ToUtf8(blank->Name) << Cp1251ToUtf8(BlankErrorText(code, line));
    for (int32_t c = 1; c <= blank->ColCount; ++c) conditional += BlankColumn(*blank, c)->Conditional;
  }
  EXPECT_EQ(conditional, 5);  // the goods' low stock and the report's total row

  // What the start-up checks of a reference book ask: a compiled blank with
  // as many columns, each over a field of the same kind.
  for (int32_t i = 0; i < m.Books.Count(); ++i) {
    const TSpravDef* book = m.Books.GetItem(i);
    SCOPED_TRACE(Cp1251ToUtf8(book->Name));
    const TDbaseStructure* base = m.Bases.FindByAlias(book->BaseAlias);
    const TCurBlank* blank = m.Blanks.FindByName(book->BlankName);
    ASSERT_TRUE(base && blank && blank->Compiled);
    ASSERT_EQ(blank->ColCount, book->ColumnCount);
    for (int32_t c = 0; c < book->ColumnCount; ++c) {
      const int32_t f = base->IndexOfField(book->GetSDef(c)->FieldName);
      ASSERT_GE(f, 0) << c;
      EXPECT_EQ(KindOf(BlankColumn(*blank, c + 1)->Format), base->Fields[f].FieldType) << c;
    }
  }

  int32_t documents = 0;
  for (const TDocNode* node : m.DocTree.Nodes()) {
    if (!node->Data) continue;
    if (node->HasChildren()) {
      EXPECT_EQ(node->Data->PasswordNumber, 255);
    } else {
      ++documents;
      EXPECT_EQ(node->Data->PasswordNumber, 0) << Cp1251ToUtf8(node->Text);
      EXPECT_FALSE(node->Data->Description.empty());
    }
  }
  EXPECT_EQ(documents, 10);
  for (int32_t p = 0; p < m.Panels.Count(); ++p)
    for (int32_t t = 0; t < m.Panels.GetPanel(p)->ToolCount(); ++t)
      EXPECT_NE(m.DocTree.FindID(m.Panels.GetPanel(p)->GetTool(t)->DocID), nullptr);
  for (int32_t i = 1; i <= 16; ++i) {
    std::string password = "?";
    UnpackPassword(m.Passwords[static_cast<std::size_t>(i - 1)], i, password);
    EXPECT_EQ(password, "") << i;
  }

  for (int32_t i = 0; i < m.Bases.Count(); ++i) ExpectTableMatchesDescription(*m.Bases.GetItem(i));

  // The files are written as the program writes them: saving the loaded
  // configuration gives them back unchanged, and so does a second round.
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    SetRandSeed(kDemoSeed);
    ASSERT_TRUE(SaveConfiguration());
    ASSERT_TRUE(SaveAutoParams());
    ASSERT_TRUE(SaveLocalSettings());
    for (const char* name : kSettingsFiles)
      EXPECT_EQ(ReadBytes(home / name), ReadBytes(DemoDir() + name)) << name;
    ASSERT_TRUE(LoadAllSettings());
  }
}

// Every table of the demo is the file the program makes of its description
// and records on the demo's last day, byte for byte: its header's date too,
// so that a table the program writes anew differs from the demo in nothing
// but what it changed.
TEST(DemoData, EveryTableIsTheFileTheProgramWritesOfIt) {
  test::ProgramHome home;
  CopyDemoTo(home.Dir());
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  const FixedClock lastDay({2026, 12, 5, 20, 15, 0, 0});
  const ScopedClock fixed(lastDay);
  test::TempDir written;
  for (int32_t i = 0; i < Settings().Bases.Count(); ++i) {
    TDbaseStructure& base = *Settings().Bases.GetItem(i);
    SCOPED_TRACE(base.FileName);
    TDBF& demo = base.Table;
    ASSERT_TRUE(demo.OpenReadOnly());
    std::vector<uint8_t> records;
    ASSERT_TRUE(ReadAllRecords(demo, records));
    demo.Close();
    TDBF made;
    made.FileName = written / base.FileName;
    ASSERT_TRUE(made.CreateTable());
    ASSERT_TRUE(made.AddField({"NO__", 'N', 10, 0}));
    for (const TFieldRecord& f : base.Fields) ASSERT_TRUE(made.AddField(f));
    ASSERT_TRUE(made.WriteStructure());
    ASSERT_TRUE(WriteRecordsAndClose(made, records));
    const std::string ours = ReadBytes(made.FileName), bundled = ReadBytes(DemoDir() + base.FileName);
    ASSERT_GE(bundled.size(), 4u);
    // The year as the program keeps it: within its century.
    EXPECT_EQ(static_cast<int>(static_cast<uint8_t>(bundled[1])), 26);
    EXPECT_TRUE(ours == bundled) << "the first byte that differs: "
                                 << std::mismatch(ours.begin(), ours.end(), bundled.begin(), bundled.end()).first -
                                        ours.begin();
  }
}

// Every page format of the demo names its paper in printer settings the
// program reads, so that a queue whose own sheet is another still prints
// on the format's paper.
TEST(DemoData, EveryPageFormatNamesItsOwnPaper) {
  test::ProgramHome home;
  CopyDemoTo(home.Dir());
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  const struct {
    std::string name;
    int32_t width, height;
  } formats[] = {{"A4", 2100, 2970}, {"Ценник 58x40"_w, 580, 400}};
  ASSERT_EQ(PageFormats().Count(), 2);
  for (const auto& [name, width, height] : formats) {
    SCOPED_TRACE(Cp1251ToUtf8(name));
    const TPageFormat* format = PageFormats().FindByName(name);
    ASSERT_NE(format, nullptr);
    std::string why;
    EXPECT_TRUE(!format->DeviceMode.empty() && DevModeValid(format->DeviceMode, &why)) << why;
    const TPaperRequest paper = PaperOfDevMode(format->DeviceMode);
    EXPECT_EQ(std::tuple(paper.Width, paper.Height, paper.Landscape), std::tuple(width, height, false));
  }
}

// The window program where no display is to be had.
ProgramRun RunProgram(const std::string& dir) {
  return test::RunIn(dir, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                              ShellQuoted(VELOMAR_EXE));
}

// demo/ is generated and committed: the script run afresh writes it again
// byte for byte, no file more and none fewer.
TEST(DemoData, MakeDemoWritesTheBundledFolderAgain) {
  test::TempDir made;
  const ProgramRun run = test::RunIn(
      made.Dir(), "PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 " +
                      ShellQuoted(std::string(VELOMAR_SOURCE_DIR) + "/scripts/make-demo") + " " +
                      ShellQuoted(made.Dir()));
  ASSERT_EQ(run.Status, 0) << run.Output;
  const std::vector<std::string> names = test::DirNames(made.Dir());
  EXPECT_EQ(names, test::DirNames(DemoDir()));
  for (const std::string& name : names) {
    const std::string file = Cp1251ToUtf8(name);
    EXPECT_TRUE(ReadBytes(made.Dir() + file) == ReadBytes(DemoDir() + file)) << file << " differs";
  }
}

TEST(DemoData, WithoutADisplayTheProgramSaysSoInOneLineAndEndsWithTwo) {
  test::TempDir dir;
  CopyDemoTo(dir.Dir());
  const ProgramRun run = RunProgram(dir.Dir());
  EXPECT_EQ(run.Status, 2) << run.Output;
  EXPECT_EQ(std::count(run.Output.begin(), run.Output.end(), '\n'), 1) << run.Output;
  EXPECT_NE(run.Output.find("нет дисплея"), std::string::npos) << run.Output;
  // Nothing was opened, so nothing was written.
  EXPECT_FALSE(fs::exists(dir / "basepath.ini"));
  EXPECT_FALSE(fs::exists(dir / "Errors.log"));
  for (const char* name : kSettingsFiles)
    EXPECT_EQ(ReadBytes(dir / name), ReadBytes(DemoDir() + name)) << name;
}

// scripts/run names the print system's default queue as the printer of its
// copy of the demo, which names none; nothing else in the file changes, a
// printer named since stays, and without a default queue nothing changes.
TEST(DemoData, TheRunCopyTakesTheDefaultQueueAsItsPrinter) {
  test::ProgramHome home;
  CopyDemoTo(home.Dir());
  test::TempDir bin;
  const std::string ini = home / "local.ini";
  const std::string demo = ReadBytes(ini);
  const std::string key = "ИМЯ_ПРИНТ="_w;
  ASSERT_NE(demo.find("    " + key + "\r\n"), std::string::npos);
  const auto withDefault = [&](const std::string& said) {
    test::WriteBytes(bin / "lpstat", "#!/bin/sh\necho '" + said + "'\n");
    fs::permissions(bin / "lpstat", fs::perms::owner_all);
    return test::RunIn(home.Dir(), "PATH=" + ShellQuoted(bin.Dir()) + ":\"$PATH\" " +
                                       ShellQuoted(std::string(VELOMAR_SOURCE_DIR) + "/scripts/demo-printer") +
                                       " " + ShellQuoted(ini));
  };
  ProgramRun run = withDefault("no system default destination");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(ReadBytes(ini), demo);
  run = withDefault("system default destination: VelomarPDF");
  EXPECT_EQ(run.Status, 0) << run.Output;
  std::string expected = demo;
  expected.insert(expected.find(key) + key.size(), "VelomarPDF");
  EXPECT_EQ(ReadBytes(ini), expected);
  withDefault("system default destination: Office");
  EXPECT_EQ(ReadBytes(ini), expected);
  // And the program takes it where the print system has that queue.
  struct WithQueue : UiServices {
    std::vector<std::string> PrinterNames() const override { return {"Office", "VelomarPDF"}; }
  } queues;
  InstallUiServices(&queues);
  const bool loaded = LoadAllSettings();
  InstallUiServices(nullptr);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(Settings().PrinterName, "VelomarPDF");
}

// The start-up both programs share stops before any document runs.
TEST(DemoData, TheStartUpStopsOnABusyDatabaseOrAHeldLock) {
  test::TempDir dir;
  CopyDemoTo(dir.Dir());
  const std::string sales = ReadBytes(dir / "sales.dbf");
  const auto runDocument = [&dir] {
    return test::RunIn(dir.Dir(), ShellQuoted(VELOMAR_RUN_EXE) + " 'Ставка НДС'");
  };
  {
    // Another process works on a table: the start-up stops at the checks.
    auto holder = Files().Open(dir / "goods.dbf", FileMode::ReadWrite);
    ASSERT_NE(holder, nullptr);
    const ProgramRun run = runDocument();
    EXPECT_EQ(run.Status, 2) << run.Output;
    EXPECT_NE(run.Output.find("База goods.dbf занята или испорчена"), std::string::npos)
        << run.Output;
  }
  EXPECT_EQ(ReadBytes(dir / "sales.dbf"), sales);
  EXPECT_FALSE(fs::exists(dir / "basepath.ini"));
  {
    auto lock = Files().Open(dir / "lock.lck", FileMode::Create);
    ASSERT_NE(lock, nullptr);
    const ProgramRun run = runDocument();
    EXPECT_EQ(run.Status, 2) << run.Output;
    EXPECT_NE(run.Output.find("Базы заблокированы!"), std::string::npos) << run.Output;
  }
}

}  // namespace
}  // namespace vm
