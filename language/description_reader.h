// Reads a document description as logical lines: comments after ';' cut
// off, blank lines skipped, a line ending in " _" joined with the next.
#pragma once

#include <string>
#include <string_view>

#include "foundation/text/strutils.h"

namespace vm {

// Where the statement compiler takes its lines from.
class IDescriptionSource {
 public:
  virtual ~IDescriptionSource() = default;
  // The next non-empty logical line; "" at the end of the text.
  virtual std::string ReadLine() = 0;
  // The 1-based number of the last physical line read (0 before any).
  virtual int LineIndex() const = 0;
};

class TDescriptionReader : public IDescriptionSource {
 public:
  explicit TDescriptionReader(std::string_view text);

  std::string ReadLine() override;
  int LineIndex() const override { return index_; }
  void SetLineIndex(int index) { index_ = index; }
  const StringList& Lines() const { return lines_; }

 private:
  // The next non-empty physical line without its comment.
  std::string ReadPiece();

  StringList lines_;
  int index_ = 0;
};

// The physical lines of a text, split at LF with a CR before it dropped.
StringList SplitDescriptionLines(std::string_view text);

}  // namespace vm
