// The files the archive and backup commands keep: the archive list
// "archive.alf", the combined file of one archived period (".CAF"), the
// numbered volumes a file is cut into, and the backup's file list
// "files.res". All integers little-endian; a String[n] field is one length
// byte and n characters (Windows-1251), the unused rest zero.
//
// Every name read from these files is taken only when it is a plain name of
// the pattern expected there, so that nothing read from a file can point
// outside the folders the commands own.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/archive_config.h"
#include "foundation/values/values.h"

namespace vm {

// A damaged or unreadable archive file: the command ends with its own
// failure message.
class TArchiveFault : public std::runtime_error {
 public:
  explicit TArchiveFault(const std::string& what) : std::runtime_error(what) {}
};

// "00000012": the last 8 decimal digits, left-padded with zeros.
std::string ArchiveNumberStr(int32_t number);
// "007": at least 3 digits, never cut.
std::string VolumeNumberStr(int32_t number);
// Eight digits and the extension ext (".CAF" or ".BH", any case).
bool IsArchiveFileName(const std::string& name, const std::string& ext);

inline constexpr int kArchiveListRecordSize = 132;

struct TArchiveListRecord {
  std::string ConfigName;  // up to 40 characters
  int32_t ConfigID = -1;
  int32_t Sequence = -1;
  std::string CafName;  // "NNNNNNNN.CAF"
  std::string BhName;   // "NNNNNNNN.BH"
  uint8_t Packed = 0;   // 1: the archive is kept as its ".BH" file
  TDateRec Made{};
  TDateRec CutDate{};
  TTimeRec MadeTime{};

  // The file kept in "ARCHIVE": the ".BH" when packed, else the ".CAF".
  const std::string& KeptFile() const { return Packed ? BhName : CafName; }
  friend bool operator==(const TArchiveListRecord&, const TArchiveListRecord&) = default;
};

std::string EncodeArchiveListRecord(const TArchiveListRecord& r);
// From kArchiveListRecordSize bytes.
TArchiveListRecord DecodeArchiveListRecord(const char* bytes);

// One record of a configuration's list and its 1-based place in the file
// (-1 for a new one).
struct TArcIDItem {
  TArchiveListRecord Record;
  int32_t Position = -1;
};
using TArcIDList = std::vector<TArcIDItem>;
TArcIDItem& NewArchiveListItem(TArcIDList& list);

// The whole list; a missing file is an empty list. A size that is not a
// whole number of records shows "Испорчен файл списка архивов! " and
// raises, as does an unreadable file.
std::vector<TArchiveListRecord> LoadArchiveList(const std::string& fileName);
// Writes the list whole beside fileName (or at fileName itself when it is a
// journal's new file) and renames it in; marked read-only afterwards.
bool WriteArchiveList(const std::string& fileName, const std::vector<TArchiveListRecord>& records);

// The number in the last record's ".CAF" name; -1 when there is none or it
// is not a number. False after a damaged list (reported) or an I/O error.
bool ReadArchiveList(const std::string& fileName, int32_t& lastNumber);
// The 0-based index of the last (first) record of configID, or -1. A
// missing or damaged file raises.
int32_t FindLastArchiveOfConfig(const std::string& fileName, int32_t configID, TArchiveListRecord& record);
int32_t FindFirstArchiveOfConfig(const std::string& fileName, int32_t configID, TArchiveListRecord& record);
// Every record of configID in file order with its position; True when any.
bool ReadConfigArchiveList(const std::string& fileName, int32_t configID, TArcIDList& list);
bool AppendArchiveList(const std::string& fileName, const TArchiveListRecord& record);
bool RemoveArchiveListRecord(const std::string& fileName, int32_t index);
// Drops the records of configID at positions up to upToPosition; with an
// extract file, those records go into it, in order.
bool RewriteArchiveList(const std::string& fileName, int32_t configID, int32_t upToPosition,
                        const std::string& extractFile);

// The combined file of a period: ID, sequence, the directory of the bases'
// archive tables (each base's PackName in workDir) and their bytes.
bool MergeBasesToCaf(TArchiveConfig& config, const std::string& workDir, const std::string& cafName);
// The opposite: each base's bytes into workDir + its PackName. Raises on a
// directory that does not fit the file or the configuration.
bool SplitCafToBases(TArchiveConfig& config, const std::string& workDir, const std::string& cafName);

inline constexpr int kVolumeHeaderSize = 184;
inline constexpr int32_t kVolumeSize = 131072;

struct TVolumeHeader {
  uint32_t Sum = 0;
  int32_t Size = 0;
  int32_t LastVolume = 0;
  std::string FileName;  // up to 15 characters, no folder
  TDateRec Date{};
  TTimeRec Time{};
  std::string Description;  // up to 128 characters
};
std::string EncodeVolumeHeader(const TVolumeHeader& h);
TVolumeHeader DecodeVolumeHeader(const char* bytes);
// The name of volume n of fileName: its extension replaced by ".NNN".
std::string VolumeFileName(const std::string& fileName, int32_t n);

// Cuts fileName into volumes in folder, each written into a file made
// afresh and none synced: folder is a work folder, or a new one that is put
// in place whole once the caller has made it durable. The volumes end
// read-only, readable by no more than `readable` (of 0444) lets.
bool SplitIntoVolumes(const std::string& folder, const std::string& fileName, int32_t volumeSize,
                      const std::string& description, int32_t& lastVolume, uint32_t readable = 0444);
// Joins the volumes of fileName (any volume's name) in folder into
// workDir + expectedName. Refused when the header names another file; True
// only when the size and the sum come out as the header says. What is
// wrong with the volumes themselves (unreadable, a damaged header, a size
// or sum that does not come out) is said in fault; a failure of the disk
// leaves it as it was.
bool JoinVolumes(const std::string& folder, const std::string& fileName, const std::string& workDir,
                 const std::string& expectedName, std::string* fault = nullptr);
// The header of volume .000; the year of Date is -1 when there is none.
void ReadVolumeHeader(const std::string& fileName, TDateRec& date, TTimeRec& time, std::string& description,
                      int32_t& lastVolume);

// "files.res": one 36-byte record per file of a backup.
struct TBackupFileRecord {
  std::string Folder;  // "" or "ARCHIVE\"
  std::string Name;
  int32_t Attributes = 0;
  friend bool operator==(const TBackupFileRecord&, const TBackupFileRecord&) = default;
};
inline constexpr int kBackupFileRecordSize = 36;
std::string EncodeBackupFileList(const std::vector<TBackupFileRecord>& records);
// False when the size is not whole records or a name is not a plain file
// name in the program folder or its "ARCHIVE\".
bool DecodeBackupFileList(const std::string& bytes, std::vector<TBackupFileRecord>& records);

// The progress window's gauge over a count of steps: it moves, and the
// windows get their events, each time another hundredth of max is done.
class TArchiveGauge {
 public:
  TArchiveGauge(const std::string& text, int64_t max);
  // Inline: the commands advance it for every record, and the window hears
  // of it once in a hundredth.
  void Advance(int64_t by = 1) {
    done_ += by;
    if (done_ >= next_) Show();
  }

 private:
  void Show();
  // A hundredth of the whole, at least one.
  int64_t step_, done_ = 0, next_;
};

// "Недостаточно места на диске X: !"
void ReportNoDiskSpace(const std::string& disk);

// Marks a file the commands own read-only and hidden (3), or writable (32)
// before it is written again; readable by no more than `readable` (of
// 0444) lets.
void SetArchiveAttributes(const std::string& path, bool readOnly, uint32_t readable = 0444);

}  // namespace vm
