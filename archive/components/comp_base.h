// The driver of every compressor: collects the files FileSpec names, sets
// them against the members of an existing archive, decides per file whether
// to add, replace, keep, rename or drop, builds the new archive in a
// temporary stream member by member (stored or deflated, with its CRC-32),
// and puts it in place of the old one. The format's descendant writes the
// member headers and reads existing members.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/components/codec_streams.h"
#include "archive/components/zip_common.h"

namespace vm {

class TArcFileScan;
struct TFileObject;

// What a run does with a record of the member list.
enum TMemberAction : uint8_t { maCompress, maKeep, maDrop, maKeepRenamed };

// One record of the member list: an existing member or a file to add.
struct TCompMember {
  TMemberAction Action = maCompress;
  std::string Name;        // the source path (to add) or the stored name
  std::size_t RootLength = 0;  // the scan folder's part of a source path
  std::string NewName;     // maKeepRenamed: the name it is kept under
  bool IsDir = false;
  int64_t Size = 0;
  uint32_t Date = 0;
  uint32_t Attr = 0;
  int64_t Offset = 0;      // in the old archive, then in the new one
  std::vector<uint8_t> Header;  // the format's header of the member
};

class TCompBase : public TZipCommon {
 public:
  TCompBase();

  TCompressionMethod CompressionMethod = cmTempFile;
  TDeflateType DeflateType = dtDeflateN;
  bool StoreEmptySubDirs = false;
  bool VerifyBeforeDelete = false;
  TSwitch Switch = swAdd;
  // Extensions (with the dot) of files stored rather than deflated; the
  // built-in empty entries store files without an extension.
  std::vector<std::string> StoreFilesOfType = std::vector<std::string>(24);

  std::function<void(const std::string& name, int32_t count, int64_t size)> OnFileScanStatus;
  std::function<void(const std::string& dir)> OnRecurseDir;
  std::function<void(const std::string& name, const std::string& newName, double date, double newDate,
                     int64_t size, int64_t newSize, int32_t attr, int32_t newAttr, bool& replace)>
      OnReplaceFile;
  std::function<void(const std::string& name, std::string& newName, bool& rename)> OnRenameDupeFile;
  std::function<void(const std::string& archive, bool& writeToFile)> OnNonWriteableArchive;
  // A file to add that this says yes to (by its path) is read only as a
  // plain file standing at its name, never through a link put there.
  std::function<bool(const std::string& path)> PlainFileOnly;

  // Accepted only when it is among the descendant's methods.
  void SetCompressMethod(TCompressMethod m);
  TCompressMethod CompressMethod() const { return compressMethod_; }

  void SetDefaultExt(const std::string& ext);
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetArchiveFile(const std::string& name) override;

  // Files added (swDelete: members dropped); 0 on failure or nothing done.
  int32_t Compress();

 protected:
  // What the format supplies.
  virtual uint32_t AllowedMethods() const = 0;  // bit per TCompressMethod
  virtual std::string ClassDefaultExt() const = 0;
  virtual void InitLocalHeader(const TCompMember& m) = 0;
  virtual std::vector<uint8_t> HeadBytes() const = 0;
  // Completes the header of the member just written (sizes, CRC, method).
  virtual void WriteLocalHeader(int64_t packed, int64_t unpacked, uint16_t nameLength) = 0;
  virtual void RecordFileInfo(TCompMember&) {}
  virtual void MemberDone() {}
  virtual void ReadExistingMembers(TStream32& old, std::vector<TCompMember>& members) = 0;
  virtual int64_t MemberSize(const TCompMember& m) const = 0;
  virtual void CopyMemberRenamed(TStream32& old, TStream32& archive, const TCompMember& m) = 0;
  virtual void FinishArchive(std::vector<TCompMember>&) {}
  virtual bool ArchiveComplete() { return true; }
  virtual void AllMembersDropped() {}
  // The reading pass (swRead): walks the headers for OnRead.
  virtual void ReadArchive(TStream32& old) = 0;
  // The data path of one file; a format may take over some methods.
  virtual bool CompressFile(TStream32& archive, std::vector<TCompMember>& members, std::size_t index);

  bool CompressMember(TStream32& archive, TCompMember& m);
  // How the file a member is made from is opened.
  uint16_t SourceMode(const TCompMember& m) const;
  // Writes the member's header and stored name at the end of the archive.
  void WriteHeadAndName(TStream32& archive);
  // Rewrites the completed header at the member's start and returns to its end.
  void RewriteHead(TStream32& archive, int64_t memberStart);
  // Feeds the whole source to sink in chunks with progress; True when every
  // byte went through and the run was not cancelled.
  bool PumpSource(TStream32& source, int64_t size, const std::function<bool(uint8_t*, int32_t)>& sink);
  // Copies the whole source stored; True when every byte was copied.
  bool StoreData(TStream32& source, TStream32& archive, int64_t size, bool encrypted);
  // Deflates the whole source into the archive.
  bool DeflateData(TStream32& source, TStream32& archive, int64_t size, bool encrypted);
  // The encryption header for an encrypted member (its CRC is computed first).
  bool WriteEncryptionHeader(TStream32& source, TStream32& archive);

  std::string storedName_;   // the current member's name as stored (local form)
  uint8_t method_ = 0;       // 0 stored, 8 deflated, 3 Fused
  bool encrypted_ = false;
  uint32_t finalCrc_ = 0;
  int32_t addedCount_ = 0, droppedCount_ = 0;
  bool changed_ = false;
  TCompMember* currentRecord_ = nullptr;

 private:
  bool Prepare();
  int32_t Execute();
  void BuildArchive();
  bool CompressFiles(std::vector<TCompMember>& members, TStream32* old, TStream32& archive);
  void AddCandidate(const std::string& dir, const TFileObject& found, std::vector<TCompMember>& members);
  void DeleteMovedSources();

  TCompressMethod compressMethod_ = cmDeflate;
  std::string defaultExt_;
  std::string currentRoot_;
  std::string currentTempName_;  // the new archive's own file, never added to itself
  bool archiveExisted_ = false;
  std::vector<std::string> deleteList_;
};

}  // namespace vm
