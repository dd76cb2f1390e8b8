#include "language/description_reader.h"

namespace vm {

StringList SplitDescriptionLines(std::string_view text) {
  StringList lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

TDescriptionReader::TDescriptionReader(std::string_view text)
    : lines_(SplitDescriptionLines(text)) {}

std::string TDescriptionReader::ReadLine() {
  std::string s;
  while (s.empty() && index_ < static_cast<int>(lines_.size())) {
    s = TrimBlanks(lines_[static_cast<std::size_t>(index_)]);
    ++index_;
    const int comment = PosTopLevel(";", s);
    if (comment > 0) s = TrimBlanks(std::string_view(s).substr(0, static_cast<std::size_t>(comment - 1)));
  }
  if (s.size() >= 2 && s.ends_with(" _")) {
    s.pop_back();
    s += ReadLine();
  }
  return s;
}

}  // namespace vm
