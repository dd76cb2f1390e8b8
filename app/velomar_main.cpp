// The program. Until the windows stand it runs the start-up of the data on
// the terminal: the data directory, the database lock, the settings with
// the date check and the blanks, reports what the configuration holds, and
// ends as the program ends (local settings and "basepath.ini" written back).
#include <cstdio>
#include <string>

#include "app/terminal_services.h"
#include "config/blanks.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "config/settings.h"
#include "language/registry_context.h"
#include "language/zone_compiler.h"
#include "ui/layout_lang.h"

using namespace vm;

namespace {

void Say(const std::string& text) { std::printf("%s\n", Cp1251ToUtf8(text).c_str()); }

int CountDocuments(const TDocTree& tree) {
  int n = 0;
  for (const TDocNode* node : tree.Nodes()) {
    if (!node->HasChildren() && node->Parent() != nullptr) ++n;
  }
  return n;
}

void CompileAllBlanks(TBlanks& blanks) {
  for (int32_t i = 0; i < blanks.Count(); ++i) {
    TCurBlank* blank = blanks.GetItem(i);
    int32_t code = 0;
    int32_t line = 0;
    if (!CompileBlank(*blank, code, line)) {
      Say("Бланк "_w + blank->Name + ":"_w + BlankErrorText(code, line));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  TerminalServices terminal;
  InstallUiServices(&terminal);
  InitProgramDirectory();
  SetCommandLine(argc, argv);

  // Price-tag zones compile as the settings load.
  TZoneCompiler zoneCompiler;
  TSettingsModel& m = Settings();
  m.ZoneCompiler = &zoneCompiler;
  if (OpenDataAtStartUp() != 0) return 1;

  // Blank conditions may name the auto-parameters.
  GlobalExprContext().AutoParams().Assign(m.AutoParams);
  CompileAllBlanks(m.Blanks);
  Say("Веломар"_w);
  Say("Каталог программы: "_w + ProgramDirectory());
  Say("Каталог данных: "_w + DataDir() + (LocalBases() ? " (локальные базы)"_w : ""_w));
  Say("Баз данных: "_w + std::to_string(m.Bases.Count()) + ", бланков: "_w +
      std::to_string(m.Blanks.Count()) + ", справочников: "_w + std::to_string(m.Books.Count()) +
      ", документов: "_w + std::to_string(CountDocuments(m.DocTree)) + ", автопараметров: "_w +
      std::to_string(m.AutoParams.Count()));
  Say("Окна программы ещё не готовы; работает ядро."_w);

  UnlockBases();
  SaveLocalSettings();
  WriteBasePathIni();
  return 0;
}
