// The "Формы" page of the designer: the blanks, their descriptions and the
// compile behind a blank's preview.
#pragma once

#include <string>
#include <vector>

#include "config/registries.h"
#include "documents/designer/designer_page.h"

namespace vm {

class TFormsPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  std::vector<std::string> BlankNames() const;
  int32_t CurrentBlankIndex() const { return currentBlank_; }
  TCurBlank* CurrentBlank() const;
  void SelectBlank(int32_t index);
  std::string BlankCaption() const;
  void SetBlankText(std::string text);
  bool AddBlank(const std::string& name);
  bool DeleteBlank();
  bool RenameBlank(const std::string& name);
  // Compiles the current blank for its preview; on an error the message is
  // shown and the caret line returned.
  TDesignerRunEnd CompileBlankForPreview();
  void Enable(TDesignerEnabling& e) const;

 private:
  int32_t currentBlank_ = -1;
};

}  // namespace vm
