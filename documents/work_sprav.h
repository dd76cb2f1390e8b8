// The look-up pages of the running document in the reference-book window
// beside the document window, without a window: attaching fills and sorts
// every page, the document's current cell chooses the page and whether it
// may be used, the search line and the status line follow the page's view,
// and "Добавить" fills a new row of the document's current table from the
// chosen record. The window shows these states and passes the user on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "documents/compiled_document.h"
#include "documents/document_frame.h"
#include "documents/row_entry.h"

namespace vm {

struct TWorkSpravButtons {
  bool Tabs = false;
  // The search line and its label.
  bool Search = false;
  bool Add = false;
};

// What the logic asks of its window. Unset ones do nothing.
struct TWorkSpravHooks {
  // The buttons, the page chosen or the status line changed.
  std::function<void()> Changed;
  // The page's view becomes the window's active control.
  std::function<void(THelpItem&)> FocusPage;
  // Back to the document window: restored when minimised, then focused.
  std::function<void()> ToDocument;
  // The row entry of a table of the document.
  std::function<TRowEntry*(TDataView&)> EntryOf;
  // The search line shows the text, without searching.
  std::function<void(const std::string&)> ShowSearchText;
  // A character typed in the page's view: the search line takes it as its
  // whole text and the focus, the caret after it.
  std::function<void(const std::string&)> TypeIntoSearch;
  std::function<void()> ToggleMaximized;
  // The document window's information window to the front.
  std::function<void()> InfoToFront;
};

class TWorkSpravLogic {
 public:
  TWorkSpravLogic(TCompiledDocument& doc, TDocumentFrame& frame);
  // The pages are given their views' handlers back.
  ~TWorkSpravLogic();
  TWorkSpravLogic(const TWorkSpravLogic&) = delete;
  TWorkSpravLogic& operator=(const TWorkSpravLogic&) = delete;

  TWorkSpravHooks Hooks;

  // Every look-up page of the document, in order: filled, sorted by its
  // keys, its categories and options applied, first row, first column.
  void AttachLookupPages();
  void DetachLookupPages();
  const std::vector<THelpItem*>& Pages() const { return pages_; }

  // The window shows: the first page, its search and status.
  void Shown();
  // The document window's choice: the page of its current table (nullptr:
  // none) and whether it may be used now.
  void ShowPage(THelpItem* page, bool enabled);
  void SetLookupActive(bool active);
  bool Active() const { return active_; }
  // The user clicked a tab: refused, the page stays the document's choice.
  bool TabClicked(int32_t index);
  int32_t PageIndex() const { return pageIndex_; }
  THelpItem* Page() const;

  // The page's shown view again from its full view, through the chosen
  // option's condition and the chosen category's.
  void Refilter(THelpItem& page);

  const TWorkSpravButtons& Buttons() const { return buttons_; }
  bool SearchActive() const { return searchActive_; }
  // "Запись n из m" of the page shown.
  const std::string& StatusText() const { return status_; }
  void RefreshButtons();

  // --- The user ---------------------------------------------------------------
  void SearchChanged(const std::string& text);
  // withShift: an empty row holding only the chosen key in its editor.
  void AddClick(bool withShift);
  // The window sees its keys first; true when used. viewFocused: the page's
  // view has the keyboard focus.
  bool KeyDown(int32_t key, bool ctrl, bool viewFocused);

 private:
  void Prepare(THelpItem& page);
  void Selected(THelpItem& page);
  void Typed(char c);
  void ShowCurrentCell();
  void Changed();

  TCompiledDocument& doc_;
  TDocumentFrame& frame_;
  std::vector<THelpItem*> pages_;
  struct TSavedEvents {
    std::function<void(TDataView&, int32_t, int32_t)> Select;
    std::function<void(char)> KeyPress;
    std::function<void(TDataView&, int32_t&, TShiftState)> KeyDown;
  };
  std::vector<TSavedEvents> saved_;
  int32_t pageIndex_ = -1;
  bool active_ = false;
  bool searchActive_ = false;
  bool refiltering_ = false;
  bool searching_ = false;
  TWorkSpravButtons buttons_;
  std::string status_;
};

}  // namespace vm
