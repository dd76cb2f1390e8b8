#include "archive/components/zip_common.h"

#include <cerrno>
#include <cmath>
#include <ctime>

#include "archive/components/arc_globals.h"
#include "archive/components/arc_messages.h"
#include "archive/components/arc_streams.h"
#include "archive/components/dos_time.h"
#include "archive/components/local_paths.h"
#include "archive/components/masks.h"
#include "foundation/text/collation.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CollateCompare(text.substr(0, prefix.size()), prefix, false) == 0;
}

std::string SystemTempDir() {
  const char* env = std::getenv("TMPDIR");
  return WithTrailingSlash(env && *env ? env : "/tmp");
}

}  // namespace

void TArcTimer::Start() {
  elapsed_ = 0;
  running_ = true;
  paused_ = false;
  start_ = Clock::now();
}

void TArcTimer::Stop() {
  if (!running_) return;
  elapsed_ = std::chrono::duration<float>(Clock::now() - start_).count();
  running_ = false;
}

void TArcTimer::Pause() {
  if (!running_) return;
  pause_ = Clock::now();
  paused_ = true;
}

void TArcTimer::Resume() {
  if (!running_ || !paused_) return;
  start_ += Clock::now() - pause_;
  paused_ = false;
}

TZipCommon::TZipCommon() = default;

void TZipCommon::SetExtractDir(const std::string& dir) {
  if (!dir.empty())
    extractDir_ = WithTrailingSlash(ToSlashes(dir));
  else
    extractDir_ = archiveFile_.empty() ? std::string() : FolderOf(archiveFile_);
}

void TZipCommon::SetTempDir(const std::string& dir) {
  std::string d = dir.empty() ? SystemTempDir() : WithTrailingSlash(ToSlashes(dir));
  if (!Files().IsDirectory(d)) {
    const std::string text = dir + "\r\r" + std::string(ArcMessageText(kErrCreateDir));
    if (Ui().MsgBox(text, Ui().AppTitle(), 0x2024) == kIdYes)
      ForceFolders(d);
    else
      d.clear();
  }
  tempDir_ = !d.empty() && Files().IsDirectory(d) ? d : SystemTempDir();
}

std::string TZipCommon::TempDir() {
  if (tempDir_.empty() || !Files().IsDirectory(tempDir_)) tempDir_ = SystemTempDir();
  return tempDir_;
}

void TZipCommon::SetCancel(bool value) {
  cancel_ = value;
  if (value) DoError(GetArchiveFile(), currentName_, kErrCanceled, "0");
}

void TZipCommon::DoError(const std::string& fileName, const std::string& extendedMsg, int code,
                         const std::string& volumeId) {
  timer_.Pause();
  if (cancel_) code = kErrCanceled;
  if (OnError) OnError(fileName, extendedMsg, volumeId, code);
  timer_.Resume();
}

void TZipCommon::RaiseError(const std::string& fileName, int code, const std::string& extendedMsg,
                            const std::string& volumeId) {
  DoError(fileName, extendedMsg, code, volumeId);
  throw TArcRunError(cancel_ ? kErrCanceled : code, std::string(ArcMessageText(code)));
}

std::string TZipCommon::GetMethodName(uint8_t method, uint8_t flags) const {
  if (arcType_ == atBh || arcType_ == atBhExe) return BhMethodName(method, flags);
  return "Unsupported";
}

bool TZipCommon::IsExcluded(const std::string& fileName, const std::string& rootDir) const {
  for (const std::string& raw : ExcludeSpec) {
    const std::string mask = ToSlashes(raw);
    if (!RecurseDirs) {
      if (MatchesMask(fileName, StoredNameOf(mask, rootDir))) return true;
      continue;
    }
    if (FolderOf(mask).empty()) {
      if (MatchesMask(NameOf(fileName), mask)) return true;
      continue;
    }
    const std::string maskDir = StoredNameOf(FolderOf(mask), rootDir);
    const std::string fileDir = FolderOf(fileName);
    // A mask whose folder does not agree ends the test, as it always has.
    if (!StartsNoCase(fileDir, maskDir)) return false;
    if (MatchesMask(NameOf(fileName), NameOf(mask))) return true;
  }
  return false;
}

std::string TZipCommon::StoredNameOf(const std::string& path, const std::string& rootDir) const {
  const std::string root = WithTrailingSlash(rootDir);
  switch (StoredDirNames) {
    case sdNone:
      return NameOf(path);
    case sdFullPath:
      return path;
    case sdFullPathNoDrv:
    case sdFullPathNoRoot: {
      std::string p = path;
      const std::size_t colon = p.find(':');
      if (colon != std::string::npos) p.erase(0, colon + 1);
      if (StoredDirNames == sdFullPathNoRoot)
        while (!p.empty() && IsPathSeparator(p.front())) p.erase(0, 1);
      return p;
    }
    case sdRelative:
      return StartsNoCase(path, root) ? path.substr(root.size()) : path;
    case sdRelativeStoreStart: {
      std::string start = root.size() > 1 ? FolderOf(root.substr(0, root.size() - 1)) : root;
      return StartsNoCase(path, start) ? path.substr(start.size()) : path;
    }
    case sdExplorer_Auto:
    case sdExplorer_UserDefineDefaultDir: {
      const std::string def = WithTrailingSlash(ToSlashes(DefaultDir));
      if (CollateCompare(root, def, false) == 0) return StartsNoCase(path, root) ? path.substr(root.size()) : path;
      return !def.empty() && StartsNoCase(path, def) ? path.substr(def.size()) : path;
    }
  }
  return path;
}

uint32_t TZipCommon::MemberDate(uint32_t fileDate) const {
  switch (DateAttribute) {
    case daSysDate: return UnixTimeToDosDateTime(std::time(nullptr));
    case daMaxFileDate: return maxFileDate_;
    default: return fileDate;
  }
}

int32_t TZipCommon::WriteBlock(TStream32& out, const void* buf, int32_t count, bool updateCrc) {
  const auto* p = static_cast<const uint8_t*>(buf);
  int32_t written = 0;
  bool whole = true;
  errno = 0;
  if (ConvertLineEnds) {
    int32_t runStart = 0;
    for (int32_t i = 0; i <= count && whole; ++i) {
      const bool bareLf = i < count && p[i] == '\n' && (i == 0 || p[i - 1] != '\r');
      if (i < count && !bareLf) continue;
      const int32_t run = i - runStart;
      if (run > 0) {
        const int32_t w = out.Write(p + runStart, run);
        written += w > 0 ? w : 0;
        whole = w == run;
      }
      if (bareLf && whole) {
        const int32_t w = out.Write("\r\n", 2);
        written += w > 0 ? w : 0;
        whole = w == 2;
      }
      runStart = i + 1;
    }
  } else if (count > 0) {
    const int32_t w = out.Write(p, count);
    written = w > 0 ? w : 0;
    whole = w == count;
  }
  if (whole) {
    if (updateCrc && count > 0) Registers.Update(kCrc32, p, static_cast<std::size_t>(count));
    return written;
  }
  if (errno == ENOSPC) {
    filesProcessed_ = 0;
    RaiseError(GetArchiveFile(), kErrDiskFull, currentName_);
  }
  if (filesProcessed_ > 0) --filesProcessed_;
  DoError(GetArchiveFile(), currentName_, kErrWriting, "0");
  return written;
}

// The CRC follows the plain bytes, before they are encrypted.
int32_t TZipCommon::WriteEncrypted(TStream32& out, uint8_t* buf, int32_t count, bool updateCrc,
                                   bool encrypted) {
  if (!encrypted || !IsPkwareGroup(arcType_)) return WriteBlock(out, buf, count, updateCrc);
  if (updateCrc && count > 0) Registers.Update(kCrc32, buf, static_cast<std::size_t>(count));
  Cipher.EncryptBuffer(buf, static_cast<std::size_t>(count));
  return WriteBlock(out, buf, count, false);
}

int32_t TZipCommon::WriteDecrypted(TStream32& out, uint8_t* buf, int32_t count, bool updateCrc,
                                   bool encrypted) {
  if (encrypted && IsPkwareGroup(arcType_)) Cipher.DecryptBuffer(buf, static_cast<std::size_t>(count));
  return WriteBlock(out, buf, count, updateCrc);
}

int32_t TZipCommon::ReadBlock(TStream32& in, void* buf, int32_t count, bool updateCrc, bool encrypted) {
  if (count <= 0) return 0;
  const int32_t got = in.Read(buf, count);
  if (got <= 0) return 0;
  DecodeBuffer(encrypted, static_cast<uint8_t*>(buf), got);
  if (updateCrc) Registers.Update(kCrc32, buf, static_cast<std::size_t>(got));
  return got;
}

void TZipCommon::DecodeBuffer(bool encrypted, uint8_t* buf, int32_t count) {
  if (!encrypted || count <= 0) return;
  if (IsGarbleGroup(arcType_) && !Password.empty()) {
    for (int32_t i = 0; i < count; ++i)
      buf[i] ^= static_cast<uint8_t>(Password[static_cast<std::size_t>(i) % Password.size()]);
  } else if (IsPkwareGroup(arcType_)) {
    Cipher.DecryptBuffer(buf, static_cast<std::size_t>(count));
  }
}

void TZipCommon::ProgressStep(int64_t fileTotal, int64_t fileDone) {
  const int byFile = Percent(fileTotal, fileDone);
  const int byArchive = Percent(archiveTotal_, archiveTotal_ - bytesToGo_);
  Ui().ProcessMessages();
  if (OnProgress) OnProgress(static_cast<uint8_t>(byFile), static_cast<uint8_t>(byArchive));
}

void TZipCommon::ResetCounters() {
  filesProcessed_ = 0;
  archiveTotal_ = 0;
  bytesToGo_ = 0;
  maxFileDate_ = 0;
  Registers.Reset();
}

}  // namespace vm
