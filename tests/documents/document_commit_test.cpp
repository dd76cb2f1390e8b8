#include "documents/document_commit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/data_dir.h"
#include "config/settings.h"
#include "documents/compiled_document.h"
#include "language/interpreter.h"
#include "models/main_state.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"

using namespace vm;
using vm::test::ReadBytes;
using vm::test::WriteBytes;

// With the data in a folder of their own, "local.ini" beside the program
// takes the moment before the tables change and the run's own parameters
// once they stand: still one copy per commit, so that its numbered copies
// are its versions, newest first, like those of "manager.ini".
TEST(DocumentCommit, ASettingsFileOutsideTheTablesFolderKeepsOneCopyPerSave) {
  vm::test::ProgramHome home;
  vm::test::ScriptedUi ui;
  const std::string data = home / "data/";
  std::filesystem::create_directory(data);
  WriteBytes(home / "basepath.ini", "[Settings]\r\nBasePath=" + data + "\r\nLocalBases=" + "НЕТ"_w + "\r\n");
  ChooseDataDirectory();
  ASSERT_EQ(ManagerIniName(), data + "manager.ini");
  ASSERT_EQ(LocalIniName(), home / "local.ini");
  WriteBytes(ManagerIniName(), "manager 0");
  WriteBytes(LocalIniName(), "local 0");
  // Every commit stores the moment it was confirmed at.
  MainState().Clock.Fix({6, 12, 2026}, {9, 0, 0});

  TAutoList& params = Settings().AutoParams;
  params.Clear();
  TAPar* till = params.AddNew();
  *till = {"КАССА"_w, 'N', "1", true};

  // The commit ends a run, which begins with the interpreter's state of
  // its own rather than the one an earlier run left.
  Interp().BeginDocumentRun();
  TCompiledDocument doc;
  std::string local[3] = {"local 0"}, manager[3] = {"manager 0"};
  for (int run = 1; run <= 2; ++run) {
    Settings().Title = "Склад "_w + std::to_string(run);
    doc.AutoParams.Assign(params);
    doc.AutoParams.List().GetItem(0)->ValueText = std::to_string(run + 1);
    ASSERT_TRUE(CommitDocument(doc)) << run;
    local[run] = ReadBytes(LocalIniName());
    manager[run] = ReadBytes(ManagerIniName());
  }
  EXPECT_TRUE(ReadBytes(home / "local.in1") == local[1] && ReadBytes(home / "local.in2") == local[0]);
  EXPECT_FALSE(std::filesystem::exists(home / "local.in3"));
  EXPECT_TRUE(ReadBytes(data + "manager.in1") == manager[1] && ReadBytes(data + "manager.in2") == manager[0]);
  EXPECT_FALSE(std::filesystem::exists(data + "manager.in3"));
  // A run that leaves this workstation's settings as they were leaves
  // "local.ini" and its copies alone; "manager.ini" takes the next number.
  ASSERT_TRUE(CommitDocument(doc));
  EXPECT_TRUE(ReadBytes(LocalIniName()) == local[2] && ReadBytes(home / "local.in1") == local[1] &&
              ReadBytes(home / "local.in2") == local[0]);
  EXPECT_FALSE(std::filesystem::exists(home / "local.in3"));
  EXPECT_TRUE(ReadBytes(data + "manager.in1") == manager[2] && ReadBytes(data + "manager.in3") == manager[0]);
}
