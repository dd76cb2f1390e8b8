#include "foundation/text/html_tags.h"

namespace vm {

namespace {

bool IsTagNameEnd(char ch) { return ch == '>' || ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

}  // namespace

bool ReplaceHtmlTags(std::string_view text, const std::function<bool(const std::string& name, std::string& out)>& replace,
                     std::string& out) {
  out.clear();
  out.reserve(text.size());
  std::size_t pos = 0;
  std::string name, replacement;
  while (pos < text.size()) {
    const std::size_t open = text.find("<#", pos);
    const std::size_t close = open == std::string_view::npos ? open : text.find('>', open + 2);
    if (close == std::string_view::npos) break;
    out.append(text.substr(pos, open - pos));
    std::size_t end = open + 2;
    while (end < close && !IsTagNameEnd(text[end])) ++end;
    name.assign(text.substr(open + 2, end - open - 2));
    replacement.clear();
    if (!replace(name, replacement)) return false;
    out.append(replacement);
    pos = close + 1;
  }
  out.append(text.substr(std::min(pos, text.size())));
  return true;
}

}  // namespace vm
