// The "Справочники" page of the designer: the reference books, the form
// each shows and its columns.
#pragma once

#include <string>
#include <vector>

#include "config/registries.h"
#include "documents/designer/designer_page.h"

namespace vm {

class TBooksPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  std::vector<std::string> BookNames() const;
  // The forms a book may use: the working blanks that compiled.
  std::vector<std::string> CompiledBlankNames() const;
  TSpravDef* CurrentBook() const { return currentBook_; }
  int32_t CurrentBookIndex() const { return currentBookIndex_; }
  void SelectBook(int32_t index);
  bool AddBook(const std::string& alias, const std::string& name);
  bool DeleteBook();
  void SetBookForm(const std::string& name);
  void SetSortText(const std::string& text);
  void SetEditColumnsText(const std::string& text);
  void SetColumnField(int32_t row, const std::string& field);
  // The fields the column of that row (0-based) may show.
  std::vector<std::string> FieldChoices(int32_t row) const;
  void Enable(TDesignerEnabling& e) const;
  // The working copies were emptied.
  void Forget() {
    currentBook_ = nullptr;
    currentBookIndex_ = -1;
  }

 private:
  TSpravDef* currentBook_ = nullptr;
  int32_t currentBookIndex_ = -1;
};

}  // namespace vm
