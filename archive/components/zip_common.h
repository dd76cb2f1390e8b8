// What compressors and extractors share: the property set, the events and
// their dispatch, error reports with the library's numbered messages,
// progress arithmetic, the block read and write every codec goes through,
// and the naming of stored and extracted paths.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/components/archive_root.h"
#include "archive/components/crc.h"
#include "archive/components/disk_manager.h"
#include "archive/components/zip_cipher.h"

namespace vm {

class TStream32;

// Raised inside a run and caught by the run's driver; never leaves the
// component.
class TArcRunError : public std::runtime_error {
 public:
  TArcRunError(int code, const std::string& text) : std::runtime_error(text), Code(code) {}
  int Code;
};

// Elapsed time of a run, paused while events wait for the user.
class TArcTimer {
 public:
  void Start();
  void Stop();
  void Pause();
  void Resume();
  float Elapsed() const { return elapsed_; }

 private:
  using Clock = std::chrono::steady_clock;
  bool running_ = false, paused_ = false;
  Clock::time_point start_, pause_;
  float elapsed_ = 0;
};

class TZipCommon : public TArchiveRoot {
 public:
  TZipCommon();

  // Events. Names are Windows-1251 paths.
  std::function<void()> OnActivate, OnDeactivate, OnTmpFileMoveEnd;
  std::function<void(const std::string& name, int32_t count, bool& extract)> OnBegin;
  std::function<void(const std::string& name, bool crcPass)> OnEnd;
  std::function<void(const std::string& name, int32_t count, int32_t maxCount)> OnDeleteFile;
  std::function<void(float seconds)> OnElapsedTime;
  std::function<void(const std::string& fileName, const std::string& extendedMsg,
                     const std::string& volumeId, int code)>
      OnError;
  std::function<void(const std::string& name, std::string& password, bool& tryAgain)> OnGetPassword;
  std::function<void(uint8_t byFile, uint8_t byArchive)> OnProgress, OnTmpFileProgress;
  std::function<void(int32_t offset, int32_t fileNum)> OnRead;
  std::function<void(const std::string& name, std::string& newName)> OnRenameFile;
  std::function<void(const std::string& archive, const std::string& tempName)> OnTmpFileMoveBegin;

  // Properties without rules of their own.
  std::vector<std::string> FileSpec, ExcludeSpec, SkipExtensions, Passwords;
  std::string DefaultDir, Password;
  int32_t PasswordAttempts = 3;
  bool RecurseDirs = false, IncludeHiddenDirs = false, ConfirmOverwrites = false;
  bool UseStoredDirs = true, TranslateOemChar = true, ConvertLineEnds = false;
  TArcFileAttrs Attributes = kDefaultAttributes;
  TArcFileAttrs AttributesEx = 0;
  TDateAttribute DateAttribute = daFileDate;
  TDeleteOptions DeleteOptions = doAllowUndo;
  TOverwriteMode OverwriteMode = omOverwrite;
  TStoredDirNames StoredDirNames = sdRelative;
  TCpuType CpuType = cptAuto;
  uint8_t VersionMadeBy = 6, VersionNeeded = 3;

  // A non-empty folder gets a trailing separator; an empty one means the
  // archive's folder.
  void SetExtractDir(const std::string& dir);
  const std::string& ExtractDir() const { return extractDir_; }
  // The folder for temporary files: an existing folder, else the system's.
  // A missing folder is offered for creation (26899).
  void SetTempDir(const std::string& dir);
  std::string TempDir();

  virtual bool GetCancel() const { return cancel_; }
  // Setting it reports "User canceled".
  virtual void SetCancel(bool value);

  // The library's error report: a cancelled run reports 25443 instead.
  void DoError(const std::string& fileName, const std::string& extendedMsg, int code,
               const std::string& volumeId = "0");
  // Reports, then throws unless cancelled.
  [[noreturn]] void RaiseError(const std::string& fileName, int code, const std::string& extendedMsg,
                               const std::string& volumeId = "0");

  // The name of a method by the archive type.
  std::string GetMethodName(uint8_t method, uint8_t flags) const;

  // Whether a file is left out by ExcludeSpec; rootDir is the scan's folder.
  bool IsExcluded(const std::string& fileName, const std::string& rootDir) const;

  // The member name a file is stored under, by StoredDirNames.
  std::string StoredNameOf(const std::string& path, const std::string& rootDir) const;

  // Date of a new member by DateAttribute.
  uint32_t MemberDate(uint32_t fileDate) const;

  // The running CRCs and the cipher keys of the member in progress.
  TCrcRegisters Registers;
  TZipCipher Cipher;
  // Checks the place of the archive before a run.
  TDiskManager DiskManager;

  // Writes a block of member data: line ends converted when asked, the CRC
  // updated over the plain bytes. A full disk throws after reporting 25160;
  // another short write reports 25136 and returns the count written.
  int32_t WriteBlock(TStream32& out, const void* buf, int32_t count, bool updateCrc);
  // The same, encrypting (compressors) or decrypting (extractors) the buffer
  // in place first when the member is encrypted.
  int32_t WriteEncrypted(TStream32& out, uint8_t* buf, int32_t count, bool updateCrc, bool encrypted);
  int32_t WriteDecrypted(TStream32& out, uint8_t* buf, int32_t count, bool updateCrc, bool encrypted);
  // Reads member data, decrypting garbled types and updating the CRC when
  // asked. Returns the bytes read.
  int32_t ReadBlock(TStream32& in, void* buf, int32_t count, bool updateCrc, bool encrypted);
  // Undoes the garbling or encryption of a buffer read from an archive.
  void DecodeBuffer(bool encrypted, uint8_t* buf, int32_t count);

  // One progress step: the file and archive percentages to OnProgress,
  // after the windows have processed waiting messages.
  void ProgressStep(int64_t fileTotal, int64_t fileDone);

 protected:
  friend class TComponentCodecHost;
  void ResetCounters();

  std::string extractDir_, tempDir_;
  std::string currentName_;  // the member in progress
  bool cancel_ = false;
  int32_t filesProcessed_ = 0;   // the run's result
  int64_t archiveTotal_ = 0;     // bytes of the whole run
  int64_t bytesToGo_ = 0;        // bytes still to process
  uint32_t maxFileDate_ = 0;     // for daMaxFileDate
  TArcTimer timer_;
};

}  // namespace vm
