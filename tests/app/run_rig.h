// A copy of the sample data in a test's own program directory, with the
// documents a test adds, and velomar-run started there.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/data_dir.h"
#include "config/settings.h"
#include "demo_rig.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/temp_dir.h"

namespace vm::test {

inline const char* const kTables[] = {"goods.dbf", "income.dbf", "sales.dbf", "suppl.dbf"};

// A copy of the sample data, with more documents when a test adds them.
class RunRig {
 public:
  RunRig() { CopyDemoTo(home_.Dir()); }

  // Documents at the top of the tree: name and description (UTF-8 lines).
  void AddDocuments(const std::vector<std::pair<std::string, std::string>>& docs) {
    ChooseDataDirectory();
    ASSERT_TRUE(LoadAllSettings());
    TSettingsModel& m = Settings();
    int32_t id = 100;
    for (const auto& [name, description] : docs) {
      TDocNode* node = m.DocTree.First()->AddChild(Utf8ToCp1251(name));
      node->Data = std::make_unique<TDocData>();
      node->Data->ID = ++id;
      node->Data->PasswordNumber = 0;
      std::string text = Utf8ToCp1251(description);
      std::string crlf;
      for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
      node->Data->Description = crlf;
    }
    ASSERT_TRUE(SaveConfiguration());
  }

  // A blank (its name and its lines, UTF-8) and a shared auto-parameter
  // beside the demo's.
  void AddBlankAndParameter(const std::string& blank, const std::string& text, const std::string& param,
                            char kind, const std::string& value) {
    ChooseDataDirectory();
    ASSERT_TRUE(LoadAllSettings());
    TSettingsModel& m = Settings();
    m.Blanks.Add(Utf8ToCp1251(blank))->SetText(Utf8ToCp1251(text));
    TAPar* p = m.AutoParams.AddNew();
    p->Name = Utf8ToCp1251(param);
    p->Kind = kind;
    p->ValueText = Utf8ToCp1251(value);
    ASSERT_TRUE(SaveConfiguration());
    ASSERT_TRUE(SaveAutoParams());
  }

  // Stdout of the run; stderr is dropped.
  ProgramRun Run(const std::string& args, const std::string& answers = "") {
    std::string line = ShellQuoted(VELOMAR_RUN_EXE) + " --date 6.12.2026 --time 9:00:00 ";
    if (!answers.empty()) {
      WriteBytes(home_ / "answers.txt", answers);
      line += "--answers answers.txt ";
    }
    return RunIn(home_.Dir(), line + args, " </dev/null 2>/dev/null");
  }

  std::string Manager() const { return Cp1251ToUtf8(ReadBytes(home_ / "manager.ini")); }
  std::string Dir() const { return home_.Dir(); }
  // Every table of the shop; the suppliers too unless told.
  std::string TableBytes(bool suppliers = true) const {
    std::string all;
    for (const char* t : kTables)
      if (suppliers || std::string(t) != "suppl.dbf") all += ReadBytes(home_ / t);
    return all;
  }

 private:
  ProgramHome home_;
};

}  // namespace vm::test
