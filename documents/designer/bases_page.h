// The "Зарегистрированные базы" page of the designer: the databases and
// the fields of each.
#pragma once

#include <string>
#include <vector>

#include "config/registries.h"
#include "documents/designer/designer_page.h"
#include "documents/designer/designer_rules.h"

namespace vm {

// Which grid of the databases tab the buttons act on.
enum class TBaseGrid { None, Bases, Fields };

class TBasesPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  std::vector<TDbaseStructure*> ListedBases() const;
  std::vector<std::string> BaseFileNames() const;
  std::vector<std::string> BaseAliases() const;
  std::vector<std::string> FieldNames() const;
  TDbaseStructure* CurrentBase() const { return currentBase_; }
  int32_t CurrentBaseRow() const;
  void SelectBase(int32_t row);
  TBaseGrid ActiveGrid = TBaseGrid::None;
  int32_t FieldRow = 0;
  bool AddBase(const TBaseDialogTexts& t);
  bool EditBase(const TBaseDialogTexts& t);
  bool DeleteBase();
  bool AddField(const TFieldDialogTexts& t);
  bool EditField(const TFieldDialogTexts& t);
  bool DeleteField();
  void Enable(TDesignerEnabling& e) const;
  // The working copies were emptied.
  void Forget() { currentBase_ = nullptr; }

 private:
  void RecheckBooks();

  TDbaseStructure* currentBase_ = nullptr;
};

}  // namespace vm
