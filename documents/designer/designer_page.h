// What every page of the designer shares: the frame that keeps the working
// copies it edits, and what its commands report back to the window.
#pragma once

#include <cstdint>

namespace vm {

class TDesigner;

// The enabling table of the window's controls, each page filling its own.
struct TDesignerEnabling {
  bool DocAdd = false, DocDelete = false, DocPreview = false, DocDescription = false;
  bool BlankDelete = false, BlankRename = false, BlankPreview = false;
  bool BaseAdd = false, BaseDelete = false, BaseEdit = false;
  bool AutoParamDelete = false, AutoParamChange = false;
  bool BookEdits = false, BookEditColumns = false;
  bool ArchiveConfigCommands = false, ArchiveEntryAdd = false, ArchiveEntryChange = false;
  bool FormatCommands = false;
  bool TagCommands = false, ZoneCommands = false, TagSpin = false, ZoneSpin = false;
};

// Where a run or a check leaves the caret: a 0-based line of the memo, -1
// for none.
struct TDesignerRunEnd {
  bool Error = false;
  int32_t CaretLine = -1;
};

class TDesignerPage {
 public:
  explicit TDesignerPage(TDesigner& frame) : d_(frame) {}
  TDesignerPage(const TDesignerPage&) = delete;
  TDesignerPage& operator=(const TDesignerPage&) = delete;

 protected:
  ~TDesignerPage() = default;
  TDesigner& d_;
};

}  // namespace vm
