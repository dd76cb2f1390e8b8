// Case folding and sort order of Windows-1251 text.
//
// The program compares and upper-cases text the way a Russian user expects,
// independent of the machine's locale: blanks and punctuation first, then
// digits, Latin letters, and Cyrillic letters in alphabet order (Ё right after
// Е; the Ukrainian, Belarusian and Serbian letters of the code page next to
// the Russian letter they resemble). Everything about letter case and order
// lives here so that the order can be refined in one place.
#pragma once

#include <string>
#include <string_view>

namespace vm {

// Upper and lower case of one Windows-1251 byte: Latin, Cyrillic and every
// other letter pair of the code page (Ё/ё, Ў/ў, І/і, Ї/ї, Є/є, Ґ/ґ, Ђ/ђ...).
char UpperChar1251(char c);
char LowerChar1251(char c);
bool IsLetter1251(char c);

// Whole-string upper case with the table above.
std::string UpperText1251(std::string_view s);

// Compares two texts: -1, 0 or 1. Letters are first compared without regard
// to case; when CaseSensitive and the texts differ only in case, the first
// position where they differ decides, a lower-case letter sorting first.
// Without CaseSensitive, 0 means the texts are equal after upper-casing.
int CollateCompare(std::string_view a, std::string_view b, bool caseSensitive);

// A key whose byte order (shorter first when one is the start of the other)
// is the order CollateCompare gives, appended to Out: for sorting many texts
// without collating them again at every comparison.
void AppendCollationKey(std::string_view s, bool caseSensitive, std::string& out);
// The first N bytes of that key into Head, zeros past its end: what decides
// most comparisons, made without the rest.
void CollationKeyHead(std::string_view s, bool caseSensitive, unsigned char* head, std::size_t n);

}  // namespace vm
