// The blank view: the rows of one filled-in blank (a document's table, a
// reference-book page, a look-up page) under its own compiled copy of the
// blank, with a current cell, a selected range of rows, an in-place editor
// and the row operations the document language and the windows use.
//
// This is the whole behaviour of the view without a window: every rule that
// decides what a key, a click or an edit does lives here. The widget that
// paints the view observes it (TDataViewObserver), keeps the pixel geometry
// (row heights, the first row shown) and forwards the user's keys, clicks,
// wheel turns, focus changes and editor changes to the operations below.
//
// Rows, columns and cells are 0-based; columns of the blank are 1-based
// only where the blank itself is asked (BlankField).
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "foundation/tables/key_cols.h"
#include "foundation/values/values.h"
#include "language/data_view_interface.h"
#include "language/expr_context.h"
#include "language/expr_types.h"
#include "models/string_table.h"

namespace vm {

class TDataView;
class THelpItem;
class TStringBase;
class TLoadedTexts;

// When a load from an in-memory table writes the texts of its rows.
enum class TLoadTexts {
  Now,
  // When a row's texts are first read: a book of a million records shows
  // its first rows without formatting the rest. The table must keep every
  // loaded record as it is, each reached by its row's TableRow, while the
  // view shows it; a row whose record is about to change is made first
  // (GetRow). Columns whose formats would give a row's texts differently
  // by their conditions are written at once, as Now does.
  WhenRead,
};

// Keys as the view knows them (the codes of the platform's virtual keys).
enum TViewKey : int32_t {
  kKeyNone = 0,
  kKeyTab = 9,
  kKeyEnter = 13,
  kKeyEscape = 27,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
  kKeyDelete = 46,
  kKeyF2 = 113,
};

// Modifier keys held with a key or a click.
using TShiftState = uint8_t;
inline constexpr TShiftState kShiftKey = 1;
inline constexpr TShiftState kCtrlKey = 2;
inline constexpr TShiftState kAltKey = 4;

// Rows a Page Up or Page Down moves.
inline constexpr int32_t kPageRows = 10;
// The wheel delta of one row when no step is configured.
inline constexpr int32_t kDefaultWheelUnit = 480;

// One column of the view: where it is drawn (pixels, kept by the widget)
// and what the document made of it.
struct TColLayout {
  int32_t MinHeight = 0;
  int32_t Right = 100;
  int32_t TextWidth = 80;
  int32_t Left = 0;
  int32_t TextLeft = 10;
  bool Editable = false;
  // The field of the in-memory table the column shows; -1 = none.
  int32_t BoundField = -1;
  // A column filled from an expression instead (shared by a look-up page's
  // two views; freed with the last of them).
  std::shared_ptr<TExprChain> Expr;
  bool Checked = false;  // the document compiler's own mark
  // What the document compiler links the column to (a field list); when
  // set, Up and Down stay in the editor.
  TRuntimeObject* ListLink = nullptr;
  bool SelectOnEdit = false;  // the whole text is selected when editing starts
};

// What a view reads of the document form it belongs to.
struct TViewForm {
  // Set to 1-based row numbers while rows are copied or listed.
  TVariable* RowNumber = nullptr;
  // Up and Down leave the cell editor (storing the value).
  bool LookupMode = false;
};

// What the widget hears from the model. The model calls these after its
// state has changed; while updates are suspended the widget paints nothing.
class TDataViewObserver {
 public:
  virtual ~TDataViewObserver() = default;
  // A new blank: lay everything out again.
  virtual void BlankChanged() {}
  // Rows were added, deleted, cleared, sorted or loaded.
  virtual void RowsChanged() {}
  // One cell's text changed.
  virtual void CellChanged(int32_t /*col*/, int32_t /*row*/) {}
  // The current cell or the selected range moved (PrevCol and PrevRow tell
  // where from): keep the current row in sight and repaint.
  virtual void CurrentChanged() {}
  // Editing started or ended, or the editor must show EditorText() again.
  virtual void EditingChanged() {}
  // Updates were suspended or resumed.
  virtual void UpdatingChanged() {}
  // The view wants the keyboard focus.
  virtual void FocusRequested() {}
  // Repaint the rows (a caller asked).
  virtual void RepaintRequested() {}
  // A header text changed: lay the header out and draw it again.
  virtual void HeaderChanged() {}
  // The width in pixels of the vertical scroll bar beside the rows.
  virtual int32_t ScrollBarWidth() const { return 0; }
};

// The rows that start with a prefix typed into a cell with a look-up.
struct TLookupMatches {
  int32_t FirstIndex = -1;  // where the search started; -1 = nothing found
  std::vector<int32_t> Rows;
  // Per matching row, the display texts of the key columns.
  std::vector<std::vector<std::string>> Texts;
};

class TDataView : public TBlankView, public IDataView {
 public:
  TDataView();
  ~TDataView() override;
  TDataView(const TDataView&) = delete;
  TDataView& operator=(const TDataView&) = delete;

  void SetObserver(TDataViewObserver* observer) { observer_ = observer; }

  // --- The blank ---------------------------------------------------------
  // Ends editing, makes the view's own blank a compiled copy of Source's
  // description (none for nullptr) and clears the rows; the columns follow
  // the blank. False when the description does not compile: the view then
  // has no columns.
  bool SetBlank(const TCurBlank* source);
  TCurBlank& Blank() { return *blank_; }
  const TCurBlank& Blank() const { return *blank_; }
  bool HasBlank() const { return blank_->Compiled; }
  int32_t ShownColCount() const override;
  // All columns, the hidden ones included.
  int32_t ColCount() const override;
  // nullptr outside 0..ColCount()-1.
  TColLayout* GetColLayout(int32_t index);
  const TColLayout* GetColLayout(int32_t index) const;
  // Marks each shown column Editable by its bit.
  void SetEditableColumns(const std::bitset<256>& columns);
  const std::bitset<256>& EditableColumns() const { return editableColumns_; }
  // A column's bound field (-1 for none) and its expression (nullptr).
  int32_t ColumnField(int32_t col) const override;
  TExprChain* ColumnExpr(int32_t col) override;

  // --- Rows and cells ----------------------------------------------------
  int32_t RowCount() const override { return table_.Count(); }
  TStringTable& Table() { return table_; }
  const TStringTable& Table() const { return table_; }
  TViewRow* GetRow(int32_t row) { return table_.GetRow(row); }

  const std::string& GetCellText(int32_t col, int32_t row) const override;
  void SetCellText(int32_t col, int32_t row, const std::string& s) override;
  // The text read by the kind of the format that applies to the cell; an
  // empty value of the column's kind for a row that does not exist.
  TCommonVar GetCellValue(int32_t col, int32_t row) override;
  TCommonVar GetRowCellValue(const TViewRow& row, int32_t col);
  // The value written with the format's Mode and Decimals; dates always in
  // the short form.
  void SetCellValue(int32_t col, int32_t row, const TCommonVar& v) override;
  // The format that applies to the cell (conditional formats evaluated for
  // that row); nullptr without such a column.
  TColFormat* CellFormat(int32_t col, int32_t row) const;
  // Its kind letter; 0 without such a column.
  char BlankFieldKind(int32_t col, int32_t row) const;
  char CellKind(int32_t col, int32_t row) const override { return BlankFieldKind(col, row); }

  // A new empty last row, made current (column 0 selected first); its
  // index. AddRow then fires OnAddRow; AppendRow fires nothing of its own.
  int32_t AppendRow() override;
  int32_t AddRow() override;
  // A new empty row before Pos (clamped to the rows), made current; its
  // index.
  int32_t InsertRow(int32_t pos);
  // Nothing outside the rows; a current row past the new end moves to the
  // last row. Fires OnSelect.
  void DeleteRow(int32_t row) override;
  void ClearRows() override;
  // The record of the in-memory table a row shows (the row's SourceRecord).
  void SetTableRow(int32_t row, int32_t tableRow) override;
  int32_t TableRow(int32_t row) const override;

  // --- Current cell and selection -----------------------------------------
  int32_t CurRow() const { return curRow_; }
  int32_t CurCol() const { return curCol_; }
  int32_t PrevRow() const { return prevRow_; }
  int32_t PrevCol() const { return prevCol_; }
  int32_t AnchorRow() const { return anchorRow_; }
  bool ShiftDown() const { return shiftDown_; }
  // Row clamped to the rows; nothing changes (and nothing fires) when it is
  // already current, unless updates are suspended.
  void SetRow(int32_t row) override;
  // Ignored outside the shown columns; fires OnSelect even while updates
  // are suspended.
  void SetCol(int32_t col) override;
  int32_t CurrentRow() const override { return curRow_; }
  // With a range of more than one row selected, its ends; else all rows.
  int32_t SelFirst() const;
  int32_t SelLast() const;
  bool InSelection(int32_t row) const;
  int32_t SelCount() const;

  // Row ranges may be selected with Shift.
  bool MultiSelect = false;
  // Whether Shift is held right now (the widget installs the real test);
  // read when a row is selected from outside a key or click.
  std::function<bool()> ShiftHeld;

  // --- Updates -------------------------------------------------------------
  // On suspends events from the row path, layout and painting (and ends
  // editing); Off re-selects the current row, lays out and fires OnSelect.
  // A new view starts suspended.
  void SetUpdating(bool on) override;
  bool UpdatesSuspended() const { return suspended_; }
  bool Updating() const override { return suspended_; }
  // Asks the widget to repaint the rows.
  void PaintRows();
  // Asks the widget to lay out and draw the header again (its texts may
  // hold parameters that changed).
  void RedrawHeader();
  // The row scroll bar's width; 0 without a widget.
  int32_t ScrollBarWidth() const { return observer_ ? observer_->ScrollBarWidth() : 0; }

  // --- Focus, keys, mouse, wheel (forwarded by the widget) --------------------
  void FocusEnter();
  void FocusLeave();
  bool Focused() const { return focused_; }
  // Asks the widget for the keyboard focus.
  void RequestFocus() {
    Notify([](TDataViewObserver& o) { o.FocusRequested(); });
  }
  // A key went down while the view (not its editor) has the focus. Key may
  // come back cleared (kKeyNone) when the view used it up.
  void KeyDown(int32_t& key, TShiftState shift);
  // A character typed while the view has the focus.
  void KeyPress(char c);
  // A press of the left button: Row and Col of the cell hit, -1 for none.
  void LeftClick(int32_t row, int32_t col, TShiftState shift);
  void DoubleClick(int32_t row, int32_t col);
  void RightClick();
  // A wheel turn of Delta (120 a notch); WheelUnit is the configured step,
  // kDefaultWheelUnit when not positive.
  void Wheel(int32_t delta, int32_t wheelUnit);

  // --- Editing ---------------------------------------------------------------
  // Starts editing the current cell: only with a row, a compiled blank,
  // updates on and an Editable current column. False when it did not start.
  bool BeginEdit();
  // Sets the editing state and hides the editor. Ending an edit in which
  // nothing was stored fires OnEditEnd; ending any edit fires OnSelect.
  void SetEditing(bool on);
  bool Editing() const { return editing_; }
  // The editor's text: the cell's text when editing starts, then what the
  // widget reports; after a refused value, the text typed.
  const std::string& EditorText() const { return editorText_; }
  // The editor's text changed: OnCellChange while editing.
  void SetEditorText(std::string text);
  // The editor's text replaced from outside: the editor shows it, and
  // OnCellChange fires as for typing.
  void ShowEditorText(std::string text);
  // The editor's limit of characters: the format's Mode (0 = none).
  int32_t EditorMaxLength() const { return editorMaxLength_; }
  // The format the editor takes its font from.
  TColFormat* EditorFormat();
  // A key went down in the editor: Enter, F2 (and Up or Down in a look-up
  // form outside list columns) store the value, Esc cancels. Key comes back
  // cleared when used up.
  void EditorKeyDown(int32_t& key, TShiftState shift);
  // False when the editor must swallow the character (tab, carriage return).
  bool EditorKeyPress(char c);
  void EditorDoubleClick();
  // The editor lost the focus or was hidden: the value is stored when
  // accepted and valid; a refused value is reported and editing goes on.
  void LeaveEditor();
  // Something other than the user is about to move the current cell: the
  // open edit ends on its own cell as leaving the editor ends it, and a
  // refused text is dropped with the message. Any edit the stored value
  // opened on a next cell ends unstored, so no editor is left open.
  void FinishEdit();
  // The document is being thrown away: an open edit whose text the cell
  // would refuse ends unstored, without the message, the cell keeping its
  // value.
  void DropRefusedEdit();
  // An edit is open on a text the cell refuses.
  bool HoldsRefusedEdit() const;
  // Inside LeaveEditor: its message or what the stored value started is
  // still under way.
  bool LeavingEditor() const { return leaving_; }
  // The last edit was left with Up or Down (and which).
  bool MoveAfterEdit() const { return moveAfterEdit_; }
  bool MoveUp() const { return moveUp_; }
  // Esc (and the right button) may cancel editing.
  bool CancelAllowed = true;

  // --- Sorting and searching ----------------------------------------------------
  // Sorts by the key columns (Number = column) on typed values; equal rows
  // keep their order and the current row stays on its record. True when
  // any row moved.
  bool SortRows(const TKeyCol* keys, bool descending) override;
  bool SortByColumn(int32_t col, bool descending) override;
  // Over rows sorted by the key columns: the index of the row whose key
  // cells equal the keys' Values, else of a new row at its sorted place with
  // the key cells filled.
  int32_t FindOrInsertRow(const TKeyCol* keys, bool& inserted, bool ignoreCase) override;
  // The row with the longest common prefix in Col; -1 if none.
  int32_t FindPrefix(std::string_view prefix, int32_t col) const;
  // The first row whose OwnKeys cells equal the SrcKeys cells of SrcRow of
  // Source (texts without case), -1 if none; InsertPos is one past the
  // last row not greater than SrcRow. With Sorted the walk stops at the
  // first greater row.
  int32_t FindRowByKeys(TDataView& source, const TViewRow& srcRow, const TKeyCol* srcKeys,
                        bool sorted, int32_t& insertPos, const TKeyCol* ownKeys);
  // Rows sorted by the first key column whose text there starts with
  // Prefix (without case), from where FindPrefixSorted starts.
  TLookupMatches FillLookupGrid(std::string_view prefix, const TKeyCol* keys);

  // --- In-memory tables -----------------------------------------------------------
  // Rows from every record of Table through the bound columns, each row
  // remembering its record.
  void LoadFromTable(TStringBase& table, TLoadTexts texts = TLoadTexts::Now);
  // Table emptied, then one record per row through the bound columns.
  void SaveToTable(TStringBase& table);
  // Each row written back into its record; a row without one (made by the
  // user) is appended and remembers its new record.
  void SaveToTableByRecord(TStringBase& table);
  // A bound cell of the rows holding a number its field cannot take even
  // without decimals: true, with the first such cell in Row and Col.
  bool FindTooWideCell(const TStringBase& table, int32_t& row, int32_t& col);

  // --- Links ---------------------------------------------------------------
  TViewForm* Form = nullptr;
  THelpItem* Page = nullptr;

  // --- Events (assigned by the document form; unassigned ones are skipped) ---
  std::function<void(TDataView&)> OnAddRow;
  std::function<void(TDataView&, int32_t col, int32_t row)> OnSelect;
  std::function<void(TDataView&)> OnCellChange;
  std::function<void(TDataView&)> OnClickKey;
  std::function<void(char)> OnKeyPress;
  std::function<void(TDataView&, int32_t& key, TShiftState shift)> OnKeyDown;
  std::function<void(TDataView&)> OnCellAccepted;
  std::function<void(TDataView&)> OnEditEnd;
  std::function<void(TDataView&)> OnListCell;
  // The view lost the keyboard focus.
  std::function<void(TDataView&)> OnExit;

  // TBlankView: column 1-based.
  std::string CellText(int32_t col, int32_t row) const override;

 private:
  // The row path of a move: PrevRow, CurRow, anchor and OnSelect.
  void SelectRow(int32_t row, bool shift);
  // SetRow and SetCol with the Shift state of a key or a click.
  void MoveToRow(int32_t row, bool shift);
  void MoveToCol(int32_t col, bool shift);
  void TakeShift(bool shift);
  bool ShiftNow() const;
  bool RangeSelected() const;
  void FireSelect();
  // The bound columns of Row into the table's current record.
  void WriteRowToRecord(int32_t row, TStringBase& table);
  // The texts of Table's records as a load writes them, when every bound
  // column's are the same for any row; nullptr otherwise.
  std::unique_ptr<TLoadedTexts> TextsWhenRead(TStringBase& table);
  void ResetColumns();
  template <typename F>
  void Notify(F f) {
    if (observer_) f(*observer_);
  }

  std::unique_ptr<TCurBlank> blank_;
  // Before table_: the table's pending rows read it until they go.
  std::unique_ptr<TLoadedTexts> loadedTexts_;
  TStringTable table_;
  std::vector<TColLayout> columns_;
  std::bitset<256> editableColumns_;
  TDataViewObserver* observer_ = nullptr;

  int32_t curRow_ = -1;
  int32_t curCol_ = -1;
  int32_t prevRow_ = -1;
  int32_t prevCol_ = -1;
  int32_t anchorRow_ = -1;
  bool shiftDown_ = false;
  bool suspended_ = true;
  bool focused_ = false;
  int32_t wheelRest_ = 0;

  bool editing_ = false;
  bool accept_ = false;     // leaving the editor stores the value
  bool committed_ = false;  // a value was stored during this editing
  bool valid_ = false;      // the last value passed the tests
  bool leaving_ = false;    // inside LeaveEditor
  bool moveAfterEdit_ = false;
  bool moveUp_ = false;
  std::string editorText_;
  int32_t editorMaxLength_ = 0;
};

}  // namespace vm
