#include "foundation/text/collation.h"

#include <array>
#include <cstdint>

#include "platform/encoding.h"

namespace vm {

namespace {

constexpr char32_t CodePointOf(int b) {
  return b < 0x80 ? static_cast<char32_t>(b) : enc_detail::kCp1251High[b - 0x80];
}

// Cyrillic capitals in the order they sort in; the letters of the other
// Cyrillic alphabets stand after the Russian letter they are read as.
constexpr std::string_view kCyrillicOrder =
    "АБВГҐЃДЂЕЁЄЖЗЅИІЇЙЈКЌЛЉМНЊОПРСТЋУЎФХЦЧЏШЩЪЫЬЭЮЯ"_wv;

struct Tables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  // Sort weight of a byte with case ignored; distinct for distinct upper-case
  // letters, so that equal weights mean equal text after upper-casing.
  std::array<std::uint16_t, 256> primary{};

  constexpr Tables() {
    for (int b = 0; b < 256; ++b) {
      upper[b] = lower[b] = static_cast<unsigned char>(b);
    }
    // Derived from the code points, so that no letter pair of the code page
    // can be forgotten: a-z, а-я (U+0430..U+044F), ѐ-џ (U+0450..U+045F) and
    // ґ (U+0491) have their capitals 0x20, 0x20, 0x50 and 1 below.
    for (int b = 0; b < 256; ++b) {
      const char32_t cp = CodePointOf(b);
      char32_t up = 0;
      if (cp >= U'a' && cp <= U'z') up = cp - 0x20;
      else if (cp >= 0x0430 && cp <= 0x044F) up = cp - 0x20;
      else if (cp >= 0x0450 && cp <= 0x045F) up = cp - 0x50;
      else if (cp == 0x0491) up = 0x0490;
      if (up == 0) continue;
      const int ub = enc_detail::CodePointToCp1251(up);
      if (ub < 0) continue;
      upper[b] = static_cast<unsigned char>(ub);
      lower[ub] = static_cast<unsigned char>(b);
    }

    std::uint16_t next = 1;
    const auto isDigit = [](int b) { return b >= '0' && b <= '9'; };
    const auto isLetter = [this](int b) { return upper[b] != b || lower[b] != b; };
    for (int b = 0; b < 256; ++b)
      if (!isDigit(b) && !isLetter(b)) primary[b] = next++;
    for (int b = '0'; b <= '9'; ++b) primary[b] = next++;
    for (int b = 'A'; b <= 'Z'; ++b) primary[b] = next++;
    for (char c : kCyrillicOrder) primary[static_cast<unsigned char>(c)] = next++;
    for (int b = 0; b < 256; ++b) primary[b] = primary[upper[b]];
  }
};

constexpr Tables kTables;

constexpr bool WeightsFitBytes() {
  for (auto w : kTables.primary)
    if (w == 0 || w > 255) return false;
  return true;
}
static_assert(WeightsFitBytes(), "collation keys keep one byte per character");

inline unsigned char U8(char c) { return static_cast<unsigned char>(c); }

}  // namespace

char UpperChar1251(char c) { return static_cast<char>(kTables.upper[U8(c)]); }

char LowerChar1251(char c) { return static_cast<char>(kTables.lower[U8(c)]); }

bool IsLetter1251(char c) {
  return kTables.upper[U8(c)] != U8(c) || kTables.lower[U8(c)] != U8(c);
}

std::string UpperText1251(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperChar1251(c);
  return out;
}

int CollateCompare(std::string_view a, std::string_view b, bool caseSensitive) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  int caseOrder = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto wa = kTables.primary[U8(a[i])];
    const auto wb = kTables.primary[U8(b[i])];
    if (wa != wb) return wa < wb ? -1 : 1;
    if (caseOrder == 0 && a[i] != b[i]) {
      // Same letter in different case: the lower-case one sorts first.
      caseOrder = kTables.upper[U8(a[i])] == U8(a[i]) ? 1 : -1;
    }
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return caseSensitive ? caseOrder : 0;
}

namespace {

// Upper case after lower case.
unsigned char CaseWeight(char c) { return kTables.upper[U8(c)] == U8(c) && kTables.lower[U8(c)] != U8(c) ? 2 : 1; }

}  // namespace

// The key's room is made at once: a sort makes a key for each of a million rows.
void AppendCollationKey(std::string_view s, bool caseSensitive, std::string& out) {
  const std::size_t at = out.size();
  out.resize(at + s.size() + (caseSensitive ? 1 + s.size() : 0));
  char* p = out.data() + at;
  for (char c : s) *p++ = static_cast<char>(kTables.primary[U8(c)]);
  if (!caseSensitive) return;
  // Below every weight, so that a text that is the start of another still
  // sorts first; then, position by position, the case.
  *p++ = '\0';
  for (char c : s) *p++ = static_cast<char>(CaseWeight(c));
}

void CollationKeyHead(std::string_view s, bool caseSensitive, unsigned char* head, std::size_t n) {
  std::size_t k = 0;
  for (std::size_t i = 0; i < s.size() && k < n; ++i) head[k++] = kTables.primary[U8(s[i])];
  if (caseSensitive && k < n) {
    head[k++] = 0;
    for (std::size_t i = 0; i < s.size() && k < n; ++i) head[k++] = CaseWeight(s[i]);
  }
  for (; k < n; ++k) head[k] = 0;
}

}  // namespace vm
