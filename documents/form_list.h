// The tables of a document: each a blank shown in a blank view, with the
// settings the FORMS section gives it, its links and its event programs.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "config/registries.h"
#include "models/data_view.h"
#include "models/help_pages.h"
#include "documents/runtime_objects.h"
#include "language/check_list.h"
#include "language/expr_context.h"
#include "language/form_objects.h"
#include "language/instructions.h"

namespace vm {

using TColumnSet = std::bitset<256>;

// One hint line of a table's look-up: its title and the look-up columns
// it shows.
struct THintLine {
  std::string Title;
  std::unique_ptr<TKeyCol> Keys;
  int32_t KeyCount = 0;
};

class TFormPar : public IFormTable {
 public:
  // The view shows its own compiled copy of blank; View().HasBlank() says
  // whether it compiled.
  TFormPar(std::string name, const TCurBlank& blank);
  ~TFormPar() override;

  int ColumnCount() const override;
  char ColumnType(int column) const override;
  char FirstRowFormat(int column) const override;
  int RowCount() const override;
  TCommonVar CellValue(int column, int row) const override;

  IDataView& Rows() override { return *view_; }
  TVariable* CurrentRowVar() override { return CurrentRow; }
  TKeyCol* KeyColumns() override { return Keys.get(); }
  int32_t KeyColumnCount() const override { return KeyCount; }
  TInstruction* RowProgram() override { return FormChange; }
  std::string ColumnCaption(int32_t col) const override;
  bool SetHeaderText(int32_t col, int32_t level, const std::string& text) override;

  // Columns of the blank: shown, and shown with hidden.
  int32_t ShownColumns() const { return view_->ShownColCount(); }
  int32_t AllColumns() const { return view_->ColCount(); }
  TDataView& View() { return *view_; }
  // The format letter of a 0-based column in the first data row, 'R' read
  // as 'N'; 0 without such a column.
  char FirstRowKind(int32_t column) const;

  const std::string Name;
  TLinkList Links;
  // The document's parameters that header texts name; none when nullptr.
  const TAutoList* Params = nullptr;

  int32_t Left = 0, Top = 0, Bottom = 0;
  std::unique_ptr<TKeyCol> Keys;
  int32_t KeyCount = 0;
  // Off when the description locks the table: its cells stay as filled.
  bool Editable = true;
  bool AutoAdd = false;
  int32_t AutoAddCount = 0;
  bool MergeMark = true;
  TColumnSet MergeSet;
  TColumnSet EditableCols;
  TColumnSet NoEditCols;
  TColumnSet EditCols;
  TColumnSet AutoSelCols;
  THelpItem* Help = nullptr;  // the look-up page that fills the table
  // The columns the user may edit: none at all in a locked table.
  TColumnSet UserEditableCols() const { return Editable ? EditableCols : TColumnSet(); }
  bool AddRows = false;
  bool DelRows = false;
  bool AutoEdit = false;
  bool FastDel = false;
  bool MultSel = false;
  std::vector<THintLine> Hints;
  bool Search = false;
  bool Sort = false;
  int32_t SortType = 0;
  bool HelpFocus = false;
  // The row checks (CHECK); nullptr until the first.
  std::unique_ptr<TCheckList> Checks;
  // Per column (0-based), the field list it offers; nullptr for none.
  std::vector<TFldList*> ColumnLists;

  // The row variables NAMEPRINTSTARTROW ... NAMECURRENTROW; the view
  // numbers rows in CURRENTROW while it copies or lists them.
  void SetRowVariables(TVariable* printStart, TVariable* printEnd, TVariable* selStart,
                       TVariable* selEnd, TVariable* currentRow);
  TVariable* PrintStartRow = nullptr;
  TVariable* PrintEndRow = nullptr;
  TVariable* SelStart = nullptr;
  TVariable* SelEnd = nullptr;
  TVariable* CurrentRow = nullptr;

  TInstruction* FormChange = nullptr;
  TInstruction* LastTableProg = nullptr;
  TInstruction* AddFromHelp = nullptr;
  TInstruction* PreLastProg = nullptr;
  TInstruction* OnDeleteRow = nullptr;
  TInstruction* OnAddRow = nullptr;

 private:
  std::unique_ptr<TDataView> view_;
  TViewForm viewForm_;
};

class TFormList : public TOwningList<TFormPar> {
 public:
  TFormPar& AddFormPar(const TCurBlank& blank, std::string name);
  // Trimmed and upper-cased, exact.
  TFormPar* FindFormPar(std::string_view name) const;
};

}  // namespace vm
