// "Справочники" of the main menu without a window: a tab per valid
// reference book holding all records of its database under the book's
// form; browsing, searching by typing, sorting, adding (every column walked
// once), editing the editable columns, deleting, and writing the changes
// back when the window closes. The window shows these states and passes
// the user on.
//
// A tab keeps the records it loaded: a save writes only the rows the user
// added or changed and marks the deleted ones, in place or (when the book
// sorts before saving and shows every record) by rewriting the table whole
// in the order of the rows, so fields the form does not show survive.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "language/bound_tables.h"
#include "models/data_view.h"

namespace vm {

class TSpravTab {
 public:
  explicit TSpravTab(TSpravDef& book);
  // The database's table as the tab found it.
  ~TSpravTab();
  TSpravTab(const TSpravTab&) = delete;
  TSpravTab& operator=(const TSpravTab&) = delete;

  TSpravDef& Book;
  TDataView View;
  // The book's table, bound to its database; nullptr when the form did not
  // compile.
  TUBL* Link = nullptr;
  // The form compiled and the filter is valid: the tab shows and saves.
  bool Usable = false;
  bool Modified = false;
  // Saved by rewriting the table whole, else in place.
  bool RewriteWhole = false;
  // The stored records the user changed (indexes into the table).
  std::vector<bool> Edited;

 private:
  TBaseList bases_;
  TDBF* table_ = nullptr;
  bool wasOpen_ = false;
  bool wasReadOnly_ = false;
  friend class TSpravFormLogic;
};

struct TSpravButtons {
  bool Add = false;
  bool Delete = false;
  bool Print = false;
  bool Sort = false;
  // The search line and its label.
  bool Search = false;
};

// What the logic asks of its window. Unset ones do nothing.
struct TSpravHooks {
  // The buttons, the tabs or the status line changed.
  std::function<void()> Changed;
  // The search line shows the text, without searching.
  std::function<void(const std::string&)> ShowSearchText;
  // A character typed in the view: the search line takes it as its whole
  // text and the focus, the caret after it.
  std::function<void(const std::string&)> TypeIntoSearch;
  // Whether a printer is configured ("Печать" is offered only then).
  std::function<bool()> PrinterConfigured;
  // "Печать": the tab's book printed.
  std::function<void(TSpravTab&)> Print;
};

enum class TSpravClose { None = 0, Ok = 1, Cancel = 2 };

class TSpravFormLogic {
 public:
  explicit TSpravFormLogic(TSettingsModel& model);
  ~TSpravFormLogic();
  TSpravFormLogic(const TSpravFormLogic&) = delete;
  TSpravFormLogic& operator=(const TSpravFormLogic&) = delete;

  TSpravHooks Hooks;
  // When the rows' cell texts are made: as they are read, or all at once
  // as the tab opens. Both give the same book; the first opens a big one
  // without formatting rows nobody looks at.
  TLoadTexts RowTexts = TLoadTexts::WhenRead;

  // The window shows: the blanks compiled anew, CURDATE and CURTIME from
  // the computer's clock, a tab per valid book (a bad form or filter told
  // and its tab left empty), the first tab current.
  void Show();
  // The tabs go; nothing is saved here.
  void Hide();

  int32_t TabCount() const { return static_cast<int32_t>(tabs_.size()); }
  TSpravTab* Tab(int32_t index) const;
  TSpravTab* Current() const { return Tab(current_); }
  int32_t CurrentIndex() const { return current_; }
  void TabChanged(int32_t index);

  const TSpravButtons& Buttons() const { return buttons_; }
  bool SearchActive() const { return searchActive_; }
  bool AddMode() const { return addMode_; }
  bool Modified() const { return modified_; }
  // "Запись n из m" of the current tab.
  const std::string& StatusText() const { return status_; }
  void SetStatusText(std::string text);
  TSpravClose CloseResult() const { return close_; }

  // --- The user ---------------------------------------------------------------
  void SearchChanged(const std::string& text);
  void AddClick();
  void DeleteClick();
  void SortClick();
  void PrintClick();
  // OK: every changed tab saved without a question. False, and the window
  // stays open with the rows unsaved, when a save failed (told).
  bool OkClick();
  // "Отмена": per changed tab "Сохранить изменения ...?", Yes saving it.
  // False when a save failed.
  bool CancelClick();
  // The close box: only after OK or "Отмена".
  bool CloseQuery() const { return close_ != TSpravClose::None; }

  // Saves one tab now; false (told) when it could not be written.
  bool SaveTab(TSpravTab& tab);

 private:
  void BuildTabs();
  void BuildTab(TSpravTab& tab);
  void WireView(TSpravTab& tab);
  void Selected(TSpravTab& tab);
  void Typed(char c);
  void KeyDown(TSpravTab& tab, int32_t& key);
  void Accepted(TSpravTab& tab);
  void EditEnded(TSpravTab& tab);
  void EndAddMode(TSpravTab& tab);
  void RowEditability(TSpravTab& tab);
  void MarkModified(TSpravTab& tab);
  void ShowCurrentCell();
  void RefreshButtons();
  bool SaveChanged(bool ask);
  static bool Writes(const TSpravTab& tab, int32_t col, bool allColumns);
  void WriteRow(TSpravTab& tab, int32_t row, bool allColumns);
  // A cell to be saved whose number its field cannot hold: made current and
  // told.
  bool TooWideCell(TSpravTab& tab);

  TSettingsModel& model_;
  std::vector<std::unique_ptr<TSpravTab>> tabs_;
  int32_t current_ = -1;
  TSpravClose close_ = TSpravClose::None;
  bool modified_ = false;
  bool searchActive_ = false;
  bool searching_ = false;
  bool addMode_ = false;
  std::bitset<256> toFill_;
  // The current cell's text when its edit started.
  std::string editStart_;
  TSpravButtons buttons_;
  std::string status_;
};

}  // namespace vm
