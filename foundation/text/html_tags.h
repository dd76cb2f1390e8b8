// HTML templates: every tag that begins with "<#" (up to its ">") is
// replaced by text a caller gives for the tag's name; everything else is
// copied as it stands.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vm {

// The name of a tag is what follows "<#" up to a blank or the ">"; the
// tag's parameters are not handed on. A "<#" without a closing ">" is
// copied as text. False, with Out incomplete, when Replace refuses a tag.
bool ReplaceHtmlTags(std::string_view text, const std::function<bool(const std::string& name, std::string& out)>& replace,
                     std::string& out);

}  // namespace vm
