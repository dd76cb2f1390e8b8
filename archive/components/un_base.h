// The driver of every extractor: opens the archive, runs the concrete
// extractor's member loop, and offers it the per-member services: mask
// selection, where (and whether) a member is written, the password search,
// the output file with its date and attributes, and the CRC verdict.
//
// A member is written only inside ExtractDir: a name with "..", an absolute
// name, a drive, or a path that leads (links followed) out of ExtractDir is
// refused before any byte is written, and so is a target that is the archive
// itself. The data go into a file beside the target that replaces it only
// when the CRC holds, so a damaged member never leaves a file that looks
// whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/components/temp_streams.h"
#include "archive/components/zip_common.h"

namespace vm {


class TUnBase : public TZipCommon {
 public:
  TUnBase();

  bool CreateStoredDirs = false;
  bool RestoreFileAttr = true;
  std::function<void(const std::string& name, std::string& newName, TOverwriteMode& mode)> OnFileExists;

  // An extractor's archive name is emptied when the file does not exist.
  void SetArchiveFile(const std::string& name) override { TArchiveRoot::SetArchiveFile(name); }

  // Number of members written.
  int32_t Extract();

  // The member services of the loop, public so that they are tested alone.
  static bool MatchesFileSpec(const std::string& name, const std::vector<std::string>& fileSpec,
                              const std::vector<std::string>& excludeSpec);
  static bool MatchesFileSpecDirs(const std::string& name, std::vector<std::string>& fileSpec,
                                  const std::vector<std::string>& excludeSpec, bool recurseDirs);
  static std::string ExtractDirPart(const std::string& name);

 protected:
  virtual void ExtractArchive(TStream32& archive) = 0;
  virtual bool CheckPassword(uint8_t* header24) = 0;

  // Sets the target of a stored member name (local form); False (reported)
  // when the name is unsafe or the target is the archive.
  bool SetTarget(const std::string& storedName);
  // Creates the folder a member names, when that stays inside ExtractDir.
  bool CreateMemberFolder(const std::string& storedName);
  // Events and overwrite rules: whether to write the current member.
  bool BeginMember();
  // For an encrypted member: reads its 12-byte header and finds a password,
  // passing over those that already decoded it wrongly; listedOnly asks
  // nobody and reports nothing when the list holds none.
  bool FindMemberPassword(TStream32& archive, const std::vector<std::string>& misled = {}, bool listedOnly = false);
  // The output: a file beside the target. Null (reported) on failure.
  std::unique_ptr<TTempFileStream> OpenOutput();
  // Closes the output; on a good CRC it replaces the target and gets the
  // member's date and attributes, otherwise it is removed.
  void CloseOutput(std::unique_ptr<TTempFileStream> out, bool keep, uint32_t attributes, uint32_t dosDate);
  // The CRC verdict with OnEnd or the 25151 report.
  bool CheckCrc(uint32_t crc);
  // Whether the member decoded so far gives crc; reports nothing.
  bool CrcMatches(uint32_t crc) const;
  // Progress for a member passed over.
  void SkipMember(int64_t unpackedSize);
  // Copies count stored bytes of member data to out.
  int64_t CopyStored(TStream32& archive, TStream32& out, int64_t count, bool encrypted);

  int32_t filesDone_ = 0;
  std::string currentFileName_;  // the target path
  std::string storedName_;       // the member's name as stored
  bool memberEncrypted_ = false;
  bool passwordFailed_ = false;

 private:
  bool TargetInside(const std::string& base, const std::string& folder, const std::string& file) const;
  std::string baseReal_;  // ExtractDir with links resolved
  std::string checkedTarget_;  // the target SetTarget approved
};

}  // namespace vm
