#include "archive/components/un_base.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "archive/components/arc_globals.h"
#include "archive/components/arc_messages.h"
#include "archive/components/arc_streams.h"
#include "archive/components/file_info.h"
#include "archive/components/local_paths.h"
#include "archive/components/masks.h"
#include "foundation/text/collation.h"
#include "platform/files.h"

namespace vm {

namespace {

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsPathSeparator(path[i])) {
      if (i > start) parts.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// A name that could only be written outside the target folder, whatever
// the folder: absolute, with a drive, climbing with "..", or with a NUL.
bool IsUnsafeName(std::string_view name) {
  if (name.empty() || IsPathSeparator(name.front())) return true;
  if (name.find('\0') != std::string_view::npos) return true;
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) return true;
  const auto parts = Components(name);
  return std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p == ".."; });
}

bool Inside(const std::string& real, const std::string& baseReal) {
  return real == baseReal || (real.size() > baseReal.size() && real.compare(0, baseReal.size(), baseReal) == 0 &&
                              real[baseReal.size()] == '/');
}

bool EqualNoCase(std::string_view a, std::string_view b) { return CollateCompare(a, b, false) == 0; }

}  // namespace

TUnBase::TUnBase() { RecurseDirs = true; }

int32_t TUnBase::Extract() {
  if (archiveFile_.empty()) {
    DoError(archiveFile_, "", kErrFileNotFound);
    return 0;
  }
  TFileStream32 archive(archiveFile_, kOpenRead | kShareDenyWrite);
  if (!archive.Opened()) {
    DoError(GetArchiveFile(), "", kErrOpening);
    return 0;
  }
  cancel_ = false;
  filesDone_ = 0;
  memberEncrypted_ = passwordFailed_ = false;
  ResetCounters();
  archiveSize_ = archive.GetSize();
  const std::string archiveName = archiveFile_;
  if (OnActivate) OnActivate();
  if (OnElapsedTime) timer_.Start();
  Password.clear();
  currentFileName_.clear();
  try {
    ExtractArchive(archive);
  } catch (const TArcRunError&) {
  } catch (const TArcStreamError& e) {
    DoError(archiveName, e.what(), kErrWriting);
  } catch (const std::bad_alloc&) {
    DoError(archiveName, "", kErrWriting);
  }
  if (OnElapsedTime) {
    timer_.Stop();
    OnElapsedTime(timer_.Elapsed());
  }
  if (OnDeactivate) OnDeactivate();
  archiveFile_ = archiveName;
  return filesDone_;
}

bool TUnBase::MatchesFileSpec(const std::string& name, const std::vector<std::string>& fileSpec,
                              const std::vector<std::string>& excludeSpec) {
  if (name.empty()) return false;
  const bool hasDot = name.find('.') != std::string::npos;
  std::string tested;
  bool found = false;
  for (const std::string& mask : fileSpec) {
    tested = (mask.find('.') != std::string::npos && !hasDot) ? name + "." : name;
    if (MatchesMask(tested, mask)) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  return std::none_of(excludeSpec.begin(), excludeSpec.end(),
                      [&](const std::string& m) { return MatchesMask(tested, m); });
}

bool TUnBase::MatchesFileSpecDirs(const std::string& name, std::vector<std::string>& fileSpec,
                                  const std::vector<std::string>& excludeSpec, bool recurseDirs) {
  if (name.empty()) return false;
  const std::string fileDir = WithTrailingSlash(ExtractDirPart(name));
  for (std::string& mask : fileSpec) {
    if (mask.empty()) continue;
    if (EqualNoCase(mask, name)) return true;
    std::string tested = name;
    const std::string maskDir = WithTrailingSlash(ExtractDirPart(mask));
    if (!recurseDirs) {
      if (!EqualNoCase(maskDir, fileDir)) continue;
    } else if (maskDir.empty()) {
      tested = NameOf(name);
    }
    bool match = MatchesMask(tested, mask);
    if (!match) {
      if (tested.find('.') == std::string::npos) tested += '.';
      if (mask.find('.') == std::string::npos) mask += '.';
      match = MatchesMask(tested, mask);
    }
    if (match)
      return std::none_of(excludeSpec.begin(), excludeSpec.end(),
                          [&](const std::string& m) { return MatchesMask(tested, m); });
  }
  return false;
}

std::string TUnBase::ExtractDirPart(const std::string& name) {
  if (name.size() == 3 && name.find(':') != std::string::npos) return name;
  std::size_t p = name.find_last_of("/:\\");
  if (p == std::string::npos) return {};
  std::string dir = name.substr(0, p + 1);
  const bool driveRoot = dir.size() == 3 && dir[1] == ':';
  if (!driveRoot && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir;
}

bool TUnBase::TargetInside(const std::string& base, const std::string& folder, const std::string& file) const {
  // Existing parts of the path may be links; each must stay inside. The
  // first missing part ends the walk: what is created below it is inside.
  // The file layer finds names without regard to case, so the checks look
  // at what it would find.
  std::string path = base;
  for (const std::string& part : Components(folder)) {
    path = ResolvePathCase(path + part);
    LocalFileInfo info;
    // A link that leads nowhere could be created through.
    if (!ReadFileInfo(path, info)) return !Files().IsSymlink(path);
    if (info.IsLink && !Inside(RealPath(path), baseReal_)) return false;
    path += "/";
  }
  path = ResolvePathCase(path + file);
  if (Files().IsSymlink(path)) {
    const std::string real = RealPath(path);
    return !real.empty() && Inside(real, baseReal_);
  }
  return true;
}

bool TUnBase::SetTarget(const std::string& storedName) {
  storedName_ = storedName;
  currentFileName_.clear();
  if (extractDir_.empty()) SetExtractDir("");
  const std::string base = extractDir_.empty() ? std::string("./") : extractDir_;
  const std::string folder = UseStoredDirs ? FolderOf(storedName) : std::string();
  const std::string file = NameOf(storedName);
  bool safe = !IsUnsafeName(storedName) && !file.empty() && file != "." && ForceFolders(base);
  if (safe) {
    baseReal_ = RealPath(base);
    safe = !baseReal_.empty() && TargetInside(base, folder, file);
  }
  const std::string target = base + folder + file;
  if (safe && (SameFile(target, archiveFile_) || RealPath(target) == RealPath(archiveFile_))) safe = false;
  if (!safe) {
    DoError(storedName, "", kErrUnsafePath);
    return false;
  }
  currentFileName_ = target;
  checkedTarget_ = target;
  currentName_ = target;
  return true;
}

bool TUnBase::CreateMemberFolder(const std::string& storedName) {
  if (IsUnsafeName(storedName)) {
    DoError(storedName, "", kErrUnsafePath);
    return false;
  }
  const std::string base = extractDir_.empty() ? std::string("./") : extractDir_;
  if (!ForceFolders(base)) return false;
  baseReal_ = RealPath(base);
  if (!TargetInside(base, storedName, "")) {
    DoError(storedName, "", kErrUnsafePath);
    return false;
  }
  return ForceFolders(base + storedName);
}

bool TUnBase::BeginMember() {
  timer_.Pause();
  bool extract = true;
  if (OnBegin) {
    if (OnRenameFile) {
      std::string newName;
      OnRenameFile(currentFileName_, newName);
      if (!newName.empty()) {
        ForceFolders(FolderOf(newName).empty() ? "./" : FolderOf(newName));
        currentFileName_ = newName;
      }
    }
    OnBegin(currentFileName_, filesDone_ + 1, extract);
  }
  bool result = false;
  if (!cancel_ && extract) {
    if (!ConfirmOverwrites) {
      result = OverwriteMode == omOverwrite;
    } else {
      OverwriteMode = omOverwrite;
      if (Files().Exists(currentFileName_)) {
        if (!OnFileExists) {
          DoError(currentFileName_, "OnFileExists", kErrNoEvent);
          OverwriteMode = omSkip;
        } else {
          while (!cancel_ && OverwriteMode == omOverwrite && Files().Exists(currentFileName_)) {
            std::string newName;
            OnFileExists(currentFileName_, newName, OverwriteMode);
            if (newName.empty() || EqualNoCase(newName, currentFileName_)) break;
            if (!FolderOf(newName).empty()) ForceFolders(FolderOf(newName));
            currentFileName_ = newName;
          }
        }
      }
      result = !cancel_ && OverwriteMode == omOverwrite && !currentFileName_.empty();
    }
  }
  if (result) ++filesDone_;
  timer_.Resume();
  return result;
}

bool TUnBase::FindMemberPassword(TStream32& archive, const std::vector<std::string>& misled, bool listedOnly) {
  timer_.Pause();
  uint8_t header[24];
  uint8_t saved[kEncryptionHeaderSize];
  bool ok = ReadBlock(archive, header + 12, kEncryptionHeaderSize, false, false) == kEncryptionHeaderSize;
  std::copy(header + 12, header + 24, saved);
  auto attempt = [&]() {
    if (std::find(misled.begin(), misled.end(), Password) != misled.end()) return false;
    std::copy(saved, saved + kEncryptionHeaderSize, header + 12);
    return CheckPassword(header);
  };
  if (ok && !attempt()) {
    ok = false;
    for (const std::string& p : Passwords) {
      Password = p;
      if ((ok = attempt())) break;
    }
    if (ok || listedOnly) {
    } else if (!OnGetPassword) {
      DoError(currentFileName_, "OnGetPassword", kErrNoEvent);
    } else if (!ok) {
      for (int32_t i = 0; i < PasswordAttempts && !cancel_ && !ok; ++i) {
        bool tryAgain = true;
        OnGetPassword(currentFileName_, Password, tryAgain);
        if (!tryAgain) {
          DoError(currentFileName_, "", kErrPassword);
          break;
        }
        if ((ok = attempt())) {
          Passwords.insert(Passwords.begin(), Password);
        } else {
          Password.clear();
          DoError(currentFileName_, "", kErrPassword);
        }
      }
    }
  }
  timer_.Resume();
  return ok;
}

std::unique_ptr<TTempFileStream> TUnBase::OpenOutput() {
  if ((memberEncrypted_ && passwordFailed_) || currentFileName_.empty()) return nullptr;
  const std::string folder = FolderOf(currentFileName_);
  if (!folder.empty()) ForceFolders(folder);
  // Checked again now that the folders exist; a name the events gave is the
  // program's own choice.
  if (currentFileName_ == checkedTarget_ && !folder.empty() && !Inside(RealPath(folder), baseReal_)) {
    DoError(storedName_, "", kErrUnsafePath);
    return nullptr;
  }
  auto out = std::make_unique<TTempFileStream>(currentFileName_);
  if (!out->Opened()) {
    DoError(currentFileName_, "", kErrOpening);
    return nullptr;
  }
  return out;
}

void TUnBase::CloseOutput(std::unique_ptr<TTempFileStream> out, bool keep, uint32_t attributes,
                          uint32_t dosDate) {
  if (!keep) return;  // the stream removes its file
  if (!out->Commit()) {
    DoError(currentFileName_, "", kErrClosing);
    if (filesDone_ > 0) --filesDone_;
    return;
  }
  SetFileDosDate(currentFileName_, MemberDate(dosDate));
  if (RestoreFileAttr && attributes != kAttrArchive) ApplyFileAttributes(currentFileName_, attributes);
}

bool TUnBase::CrcMatches(uint32_t crc) const {
  const uint32_t reg = Registers.Value(kCrc32);
  return crc == reg || crc == (reg ^ 0xFFFFFFFFu);
}

bool TUnBase::CheckCrc(uint32_t crc) {
  if (cancel_) return false;
  const bool pass = CrcMatches(crc);
  if (OnEnd)
    OnEnd(currentFileName_, pass);
  else if (!pass && OnError)
    DoError(currentFileName_, "", kErrCrc);
  return pass;
}

void TUnBase::SkipMember(int64_t unpackedSize) {
  bytesToGo_ -= unpackedSize;
  ProgressStep(unpackedSize, unpackedSize);
}

int64_t TUnBase::CopyStored(TStream32& archive, TStream32& out, int64_t count, bool encrypted) {
  std::vector<uint8_t> buf(static_cast<std::size_t>(std::min<int64_t>(count, 32768)) + 1);
  int64_t remaining = count, done = 0;
  while (remaining > 0) {
    const int32_t want = static_cast<int32_t>(std::min<int64_t>(remaining, 32768));
    const int32_t got = ReadBlock(archive, buf.data(), want, false, encrypted && IsGarbleGroup(arcType_));
    if (got <= 0) break;
    if (WriteDecrypted(out, buf.data(), got, true, encrypted) != got) break;
    remaining -= got;
    done += got;
    bytesToGo_ -= got;
    ProgressStep(count, done);
    if (GetCancel()) break;
  }
  return remaining;
}

}  // namespace vm
