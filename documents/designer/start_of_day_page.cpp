// What the "Автозапуск" tab does to the start-of-day program.
#include "documents/designer/start_of_day_page.h"

#include "documents/designer/designer.h"
#include "platform/encoding.h"

namespace vm {

void TStartOfDayPage::SetStartOfDayText(std::string text) {
  d_.StartOfDay.Description = std::move(text);
}

TDesignerRunEnd TStartOfDayPage::CheckStartOfDay() {
  return d_.RunOnRoad(d_.StartOfDay, true, d_.StartOfDay.Description);
}

TDesignerRunEnd TStartOfDayPage::ExecuteStartOfDay() {
  if (!AskYesNo("Вы действительно хотите выполнить программу автозапуска ?"_w,
                "Выполнение программы"_w))
    return {};
  return d_.RunOnRoad(d_.StartOfDay, false, d_.StartOfDay.Description);
}

}  // namespace vm
