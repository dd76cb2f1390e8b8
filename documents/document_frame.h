// The document window's frame without a window: what opening a document
// sets up, which buttons are usable, what the status bar says, where a
// selected cell takes the current table and the look-up page, the search
// line, deleting and sorting rows, and the frame's keys. The window shows
// these states and forwards the user's presses; OK, Cancel and the closing
// programs stay with the document window logic.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "documents/compiled_document.h"
#include "documents/document_window.h"

namespace vm {

// Keys the frame answers (the platform's virtual key codes).
enum TFrameKey : int32_t {
  kFrameKeyBreak = 3,
  kFrameKeyC = 'C',
  kFrameKeyH = 'H',
  kFrameKeyI = 'I',
  kFrameKeyF5 = 116,
  kFrameKeyF11 = 122,
  kFrameKeyF12 = 123,
};

struct TFrameButtons {
  bool Add = false;
  bool Del = false;
  // The search line (and the typing into it from a table).
  bool Search = false;
};

// What the frame asks of its windows. Unset ones do nothing (or answer no).
struct TFrameHooks {
  // The view, or its cell editor, has the keyboard focus.
  std::function<bool(TDataView&)> IsActive;
  std::function<void(TDataView&)> Focus;
  // The look-up window shows the page (nullptr: none), usable or not.
  std::function<void(THelpItem* page, bool enabled)> LookupPage;
  // The search line shows the text, without searching.
  std::function<void(const std::string&)> ShowSearchText;
  // A character typed in a table: the search line takes it as its whole
  // text and the focus, the caret after it.
  std::function<void(const std::string&)> TypeIntoSearch;
  // A cell was selected in a view (for keeping it in sight).
  std::function<void(TDataView&, int32_t col, int32_t row)> CellSelected;
  // The buttons or the status texts changed.
  std::function<void()> Changed;
  // F5: maximized and normal in turn.
  std::function<void()> ToggleMaximized;
  // F11 and F12: the window to the front, when it is shown.
  std::function<void()> InfoToFront;
  std::function<void(THelpItem& page)> LookupToFront;
  // Whether the look-up window is shown and may take the focus.
  std::function<bool()> LookupUsable;
  // The window closes with Cancel.
  std::function<void()> CloseCancelled;
  // A new row is being entered in the view (the row entry says).
  std::function<bool(TDataView&)> Entering;
  // The column is one the row entry asks for (a key column).
  std::function<bool(TDataView&, int32_t col)> EntryKeyColumn;
  // The row being entered is dropped at once, the entry ended.
  std::function<void(TDataView&)> DropEnteredRow;
};

class TDocumentFrame {
 public:
  TDocumentFrame(TCompiledDocument& doc, TDocumentWindowLogic& logic, std::string caption);
  ~TDocumentFrame();
  TDocumentFrame(const TDocumentFrame&) = delete;
  TDocumentFrame& operator=(const TDocumentFrame&) = delete;

  TFrameHooks Hooks;

  // Clears the state, sets the page variables, hooks the tables' events
  // and runs INIT (or the re-entry part) and the recalculation. False when
  // the document terminated at its start: the window is not shown.
  bool Open(bool firstShowing);
  // The tables' handlers as they were before Open; also when the frame
  // goes. Whoever hooked the tables before the frame unhooks after it.
  void Unhook();
  // The window shows: the status bar works from now on. The form to start
  // in its look-up page (the last that asks), or nullptr.
  TFormPar* Shown();

  // --- State the window shows ---------------------------------------------
  const TFrameButtons& Buttons() const { return buttons_; }
  const std::string& StatusRows() const { return statusRows_; }
  const std::string& StatusText() const { return statusText_; }
  const std::string& Caption() const { return caption_; }
  TDataView* CurrentView() const { return current_; }
  TFormPar* CurrentForm() const;
  TDataView* StatusView() const { return statusView_; }
  bool Scroll() const { return doc_.Options.Scroll; }

  // --- Events of the tables (hooked by Open, also for the window) ---------
  void Select(TDataView& view, int32_t col, int32_t row);
  void Leave(TDataView& view);
  void TypedInView(TDataView& view, char c);
  void RefreshButtons();
  void UpdateStatusBar();

  // --- The search line ---------------------------------------------------------
  // The text changed: the current table goes to its first matching row.
  void SearchChanged(const std::string& text);

  // --- Buttons -----------------------------------------------------------------
  void DelButClick();
  // The left button went down on Delete while a row is being entered.
  void DelButMouseDown();
  bool DeleteClickConsumed() const { return delConsumed_; }
  void SortButClick();

  // --- Keys (the window sees them first); true when used ------------------------
  bool KeyDown(int32_t key, bool shift, bool ctrl, bool alt);

 private:
  // ONDELETEROW with CANDELETEROW at 1; false when the program refused.
  bool DeleteAllowed(TFormPar& form);
  void AfterDelete(TFormPar& form, TDataView& view);
  void SetVar(TVariable* var, long double value);
  TFormPar* FormOf(const TDataView& view) const;
  void ShowLookupWindow();
  void Changed();

  TCompiledDocument& doc_;
  TDocumentWindowLogic& logic_;
  std::string caption_;
  TDataView* current_ = nullptr;
  TDataView* statusView_ = nullptr;
  bool statusEnabled_ = false;
  bool delConsumed_ = false;
  bool showingSearchText_ = false;
  TFrameButtons buttons_;
  std::string statusRows_;
  std::string statusText_;
  // The handlers the tables had before the frame hooked them.
  struct TSavedEvents {
    TDataView* View;
    std::function<void(TDataView&)> AddRow;
    std::function<void(TDataView&, int32_t, int32_t)> Select;
    std::function<void(TDataView&)> Exit;
    std::function<void(char)> KeyPress;
  };
  std::vector<TSavedEvents> saved_;
};

}  // namespace vm
