#include "foundation/tables/number_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/tables/string_base.h"
#include "foundation/text/number_text.h"
#include "support/plain_quicksort.h"

namespace vm {
namespace {

// Every text a field may hold, as saves write it and otherwise, in fields of
// every width and count of decimals: a key read is the field's number
// counted in its last decimal, and a number as saves write it has its key.
TEST(NumberKeys, AKeyIsTheNumberCountedInTheLastDecimal) {
  std::mt19937 random(29);
  const std::string junk = std::string("+- x9.,*e\0", 10);
  long double power[9] = {1};
  for (int d = 1; d < 9; ++d) power[d] = power[d - 1] * 10;
  for (int length = 1; length <= 24; ++length) {
    for (int decimals = 0; decimals <= std::min(length - 1, 8); ++decimals) {
      const TNumberKeyReader reader(length, decimals);
      ASSERT_TRUE(reader.Reads());
      for (int round = 0; round < 400; ++round) {
        // A number as saves write it, of up to fifteen digits.
        const int digits = 1 + static_cast<int>(random() % 15);
        std::string text = std::to_string(random() % 1000000007ULL * 1000000007ULL % 100000000000000000ULL);
        text = text.substr(0, static_cast<std::size_t>(digits));
        if (decimals > 0) {
          while (static_cast<int>(text.size()) <= decimals) text.insert(0, "0");
          text.insert(text.size() - static_cast<std::size_t>(decimals), ".");
        }
        if (random() % 3 == 0) text.insert(0, "-");
        bool intact = static_cast<int>(text.size()) <= length;
        // Texts as other programs or hands leave them.
        if (random() % 3 == 0) {
          intact = false;
          const int edits = 1 + static_cast<int>(random() % 2);
          for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = random() % (text.size() + 1);
            if (random() % 2) text.insert(at, 1, junk[random() % junk.size()]);
            else text.erase(std::min(at, text.size() - 1), 1);
          }
        }
        if (static_cast<int>(text.size()) > length) text = text.substr(0, static_cast<std::size_t>(length));
        std::string field = std::string(static_cast<std::size_t>(length) - text.size(), ' ') + text;
        if (random() % 8 == 0) {
          std::reverse(field.begin(), field.end());
          intact = intact && field.find_first_not_of(' ') == std::string::npos;
        }
        int64_t key = 0;
        bool read = false;
        reader.WithReader([&](const auto& keyOf) { read = keyOf(field.data(), key); });
        ASSERT_TRUE(read || !intact) << '"' << field << '"' << decimals;
        if (read) {
          ASSERT_EQ(static_cast<long double>(key) / power[decimals], ReadNumberField(field))
              << '"' << field << '"' << decimals;
        }
      }
    }
  }
}

// Entries are looked over a block at a time, and keys in the high halves
// four at a time; the order, ties included, and whether any entries were
// exchanged must be the plain quicksort's, for few and many distinct keys,
// keys far apart, lengths around the blocks', already sorted and reversed.
TEST(NumberKeys, WordsSortAsThePlainQuicksort) {
  std::mt19937_64 random(31);
  for (const int rowBits : {32, 20, 14}) {
    for (const uint64_t distinct : {1ULL, 2ULL, 3ULL, 7ULL, 1000ULL, 1ULL << 30, 1ULL << (63 - rowBits)}) {
      if (rowBits == 32 && distinct > (1ULL << 31)) continue;
      for (const int count : {2, 3, 4, 127, 128, 129, 255, 256, 300, 5000, 16383}) {
        if (count > (int64_t{1} << rowBits)) continue;
        SCOPED_TRACE(::testing::Message() << rowBits << " row bits, " << distinct << " keys, " << count << " entries");
        std::vector<uint64_t> entries(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = random() % distinct << rowBits | i;
        for (int arrangement = 0; arrangement < 3; ++arrangement) {
          if (arrangement == 1) std::sort(entries.begin(), entries.end());
          if (arrangement == 2) std::reverse(entries.begin(), entries.end());
          std::vector<uint64_t> expected = entries, sorted = entries;
          const bool exchanged = test::PlainQuicksort(expected, [rowBits](uint64_t a, uint64_t b) {
            return (a >> rowBits > b >> rowBits) - (a >> rowBits < b >> rowBits);
          });
          ASSERT_EQ(SortKeyWords(sorted.data(), count, rowBits), exchanged) << arrangement;
          ASSERT_EQ(sorted, expected) << arrangement;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vm
