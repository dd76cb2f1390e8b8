// The "Автозапуск" page of the designer: the start-of-day program, checked
// or run on the working copies.
#pragma once

#include <string>

#include "documents/designer/designer_page.h"

namespace vm {

class TStartOfDayPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  void SetStartOfDayText(std::string text);
  TDesignerRunEnd CheckStartOfDay();
  // Asks first; Error false and no caret when declined.
  TDesignerRunEnd ExecuteStartOfDay();
};

}  // namespace vm
