// The program. Until the windows stand it runs the start-up that needs no
// window on the terminal, reports what the configuration holds, and ends as
// the program ends (local settings and "basepath.ini" written back). A
// start-up that fails ends with exit code 1.
#include <cstdio>
#include <string>

#include "app/terminal_services.h"
#include "config/data_dir.h"
#include "config/settings.h"
#include "platform/encoding.h"
#include "ui/startup.h"

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

// The databases of the configuration, without those the program adds itself.
int CountConfiguredBases(const TUsedBaseList& bases) {
  int n = 0;
  for (int32_t i = 0; i < bases.Count(); ++i) n += bases.GetItem(i)->System ? 0 : 1;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  TerminalServices terminal;
  InstallUiServices(&terminal);
  InitProgramDirectory();
  SetCommandLine(argc, argv);

  if (StartUp() != 0) return kStartUpFailed;

  const TSettingsModel& m = Settings();
  Say("Веломар"_w);
  Say("Каталог программы: "_w + ProgramDirectory());
  Say("Каталог данных: "_w + DataDir() + (LocalBases() ? " (локальные базы)"_w : ""_w));
  Say("Баз данных: "_w + std::to_string(CountConfiguredBases(m.Bases)) + ", бланков: "_w +
      std::to_string(m.Blanks.Count()) + ", справочников: "_w + std::to_string(m.Books.Count()) +
      ", документов: "_w + std::to_string(CountDocuments(m.DocTree)) + ", автопараметров: "_w +
      std::to_string(m.AutoParams.Count()));
  Say("Окна программы ещё не готовы; работает ядро."_w);

  ShutDown();
  return 0;
}
