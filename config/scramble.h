// Scrambled records of the access passwords and of the document access
// levels. Each packed record carries a byte sum, so a damaged, hand-edited or
// misplaced record is refused rather than read as a wrong password or level.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

using TScrambledRecord = std::array<uint8_t, 16>;

// The sixteen password records, record i - 1 for password number i.
using TPasswordRecords = std::array<TScrambledRecord, 16>;

inline constexpr uint32_t kDocAccessRefused = 65535;

// Packs a password (at most 10 characters kept) with key 1..16. Draws from
// the program-wide generator, so packing twice gives two records.
void PackPassword(std::string_view s, TScrambledRecord& record, int32_t key);

// The packed password; a record that fails its sum gives ten random
// characters, a password nobody can know.
void UnpackPassword(const TScrambledRecord& record, int32_t key, std::string& s);

// Blanks, tabs and line breaks do not count; every other character does,
// with its position. Descriptions must stay below 65536 characters.
int32_t TextChecksum(std::string_view s);

void PackDocAccess(uint8_t passwordNumber, int32_t id, std::string_view description,
                   TScrambledRecord& record);

// The password number, or kDocAccessRefused when the record does not belong
// to this document and description.
uint32_t UnpackDocAccess(const TScrambledRecord& record, int32_t id,
                         std::string_view description);

void RecordToScrambledHex(const TScrambledRecord& record, std::string& s);
void ScrambledHexToRecord(std::string_view s, TScrambledRecord& record);

void UnscrambleStr(std::string_view s, std::string& result);

}  // namespace vm
