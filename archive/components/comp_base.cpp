#include "archive/components/comp_base.h"

#include <algorithm>

#include "archive/components/arc_globals.h"
#include "archive/components/arc_messages.h"
#include "archive/components/arc_streams.h"
#include "archive/components/dos_time.h"
#include "archive/components/file_info.h"
#include "archive/components/file_scan.h"
#include "archive/components/local_paths.h"
#include "archive/components/temp_streams.h"
#include "foundation/text/collation.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr int32_t kChunk = 65536;
// Files this small are deflated in memory first: deflate may make them
// larger, and then they are stored.
constexpr int64_t kSmallFile = 256;

bool EqualNoCase(std::string_view a, std::string_view b) { return CollateCompare(a, b, false) == 0; }

std::string LowerExt(const std::string& path) {
  std::string ext = ExtensionOf(path);
  for (char& c : ext) c = LowerChar1251(c);
  return ext;
}

}  // namespace

TCompBase::TCompBase() {
  RecurseDirs = true;
  arcType_ = atBh;
}

void TCompBase::SetCompressMethod(TCompressMethod m) {
  if (m < 16 && (AllowedMethods() & (1u << m))) compressMethod_ = m;
}

void TCompBase::SetDefaultExt(const std::string& ext) {
  const std::string old = defaultExt_;
  if (ext.empty() || ext == ".") {
    defaultExt_ = ClassDefaultExt();
  } else {
    std::string e = ext.front() == '.' ? ext : "." + ext;
    e.resize(std::min<std::size_t>(e.size(), 4));
    for (char& c : e) c = LowerChar1251(c);
    defaultExt_ = e;
  }
  if (archiveFile_.empty()) return;
  const std::string current = ExtensionOf(archiveFile_);
  if (current.empty())
    archiveFile_ += defaultExt_;
  else if (!old.empty() && EqualNoCase(current, old))
    archiveFile_ = archiveFile_.substr(0, archiveFile_.size() - current.size()) + defaultExt_;
}

void TCompBase::SetArchiveFile(const std::string& name) {
  std::string n = name;
  if (!n.empty() && ExtensionOf(n).empty()) {
    if (defaultExt_.empty()) defaultExt_ = ClassDefaultExt();
    n += defaultExt_;
  }
  archiveFile_ = n;
  firstHeader_ = -1;
  cancel_ = false;
}

int32_t TCompBase::Compress() {
  if (!Prepare()) return 0;
  return Execute();
}

bool TCompBase::Prepare() {
  ResetCounters();
  addedCount_ = droppedCount_ = 0;
  changed_ = false;
  deleteList_.clear();
  cancel_ = false;
  // A missing folder is reported by the run itself, as an invalid folder.
  const std::string folder = FolderOf(archiveFile_);
  if (!archiveFile_.empty() && Files().IsDirectory(folder.empty() ? "./" : folder)) {
    TDiskCallbacks callbacks;
    callbacks.OnDiskError = [this](const std::string& fileName, const std::string& extendedMsg, int32_t code,
                                   const std::string& volumeId) { DoError(fileName, extendedMsg, code, volumeId); };
    if (!DiskManager.CheckDiskOf(archiveFile_, callbacks)) return false;
  }
  if (FileSpec.empty()) return true;
  if (Switch == swDelete) {
    DefaultDir.clear();
  } else if (StoredDirNames == sdExplorer_Auto) {
    std::string common = FolderOf(ToSlashes(FileSpec.front()));
    for (const std::string& mask : FileSpec) {
      const std::string dir = FolderOf(ToSlashes(mask));
      std::size_t n = 0;
      while (n < common.size() && n < dir.size() && LowerChar1251(common[n]) == LowerChar1251(dir[n])) ++n;
      common = FolderOf(common.substr(0, n));
    }
    DefaultDir = common;
  } else if (StoredDirNames == sdExplorer_UserDefineDefaultDir && DefaultDir.empty()) {
    DoError(GetArchiveFile(), "DefaultDir", kErrNoProperty);
    return false;
  }
  return true;
}

int32_t TCompBase::Execute() {
  const std::string folder = FolderOf(archiveFile_);
  if (!folder.empty() && !Files().IsDirectory(folder)) {
    DoError(folder, "", kErrInvalidDir);
    return 0;
  }
  if (archiveFile_.empty() || cancel_) return 0;
  try {
    BuildArchive();
  } catch (const TArcRunError&) {
    addedCount_ = droppedCount_ = 0;
  } catch (const TArcStreamError& e) {
    DoError(GetArchiveFile(), e.what(), kErrWriting);
    addedCount_ = droppedCount_ = 0;
  } catch (const std::bad_alloc&) {
    DoError(GetArchiveFile(), "", kErrWriting);
    addedCount_ = droppedCount_ = 0;
  }
  return Switch == swDelete ? droppedCount_ : addedCount_;
}

void TCompBase::BuildArchive() {
  archiveExisted_ = Files().Exists(archiveFile_);
  if (Switch == swRead) {
    if (!OnRead) {
      DoError(GetArchiveFile(), "OnRead", kErrNoEvent);
      return;
    }
    TFileStream32 old(archiveFile_, kOpenRead | kShareDenyWrite);
    if (!old.Opened()) {
      DoError(GetArchiveFile(), "", kErrOpening);
      return;
    }
    ReadArchive(old);
    return;
  }
  if (Switch == swDelete && !archiveExisted_) {
    DoError(GetArchiveFile(), "", kErrNothingToDelete);
    return;
  }
  if (archiveExisted_) {
    if (cancel_ || OverwriteMode == omSkip) return;
    LocalFileInfo info;
    ReadFileInfo(archiveFile_, info);
    if (info.IsDir || (info.Attr & (kAttrReadOnly | kAttrHidden | kAttrSystem))) {
      if (!OnNonWriteableArchive) {
        DoError(GetArchiveFile(), "OnNonWriteableArchive", kErrNoEvent);
        return;
      }
      bool write = false;
      OnNonWriteableArchive(archiveFile_, write);
      if (!write || info.IsDir || !Files().MakeWritable(archiveFile_)) return;
    }
  }
  if (OnElapsedTime) timer_.Start();
  if (OnActivate) OnActivate();

  std::unique_ptr<TStream32> archive;
  TTempFileStream* tempFile = nullptr;
  if (CompressionMethod == cmInMemory) {
    archive = std::make_unique<TTempMemStream>(archiveFile_);
  } else {
    auto t = std::make_unique<TTempFileStream>(archiveFile_);
    if (!t->Opened()) {
      DoError(GetArchiveFile(), "", kErrOpening);
      return;
    }
    tempFile = t.get();
    archive = std::move(t);
  }
  archive->CancelFlag = &cancel_;

  std::vector<TCompMember> members;
  std::unique_ptr<TFileStream32> old;
  if (archiveExisted_) {
    old = std::make_unique<TFileStream32>(archiveFile_, kOpenRead | kShareDenyWrite);
    if (!old->Opened()) {
      DoError(GetArchiveFile(), "", kErrOpening);
      return;
    }
    const int64_t oldSize = old->GetSize();
    const TArcType type = GetArcType(old.get());
    if (oldSize > 0) {
      if (type != atBh && type != atBhExe) {
        DoError(GetArchiveFile(), "", kErrArcType);
        return;
      }
      // A self-extracting archive keeps its program in front.
      if (firstHeader_ > 0) {
        old->Seek(0, soBeginning);
        archive->CopyFrom(*old, firstHeader_);
      }
      if (Switch == swDelete) ExcludeSpec.clear();
      old->Seek(std::max<int64_t>(firstHeader_, 0), soBeginning);
      ReadExistingMembers(*old, members);
    }
  }
  currentTempName_ = tempFile ? tempFile->TempName() : std::string();

  const bool built = CompressFiles(members, old.get(), *archive);
  bool placed = false;
  if (built && !cancel_ && (addedCount_ > 0 || droppedCount_ > 0)) {
    if (Switch == swDelete && droppedCount_ == static_cast<int32_t>(members.size())) AllMembersDropped();
    ArchiveComplete();
    FinishArchive(members);
    old.reset();
    if (OnTmpFileMoveBegin) OnTmpFileMoveBegin(archiveFile_, tempFile ? tempFile->TempName() : std::string());
    placed = tempFile ? tempFile->Commit() : static_cast<TTempMemStream&>(*archive).Commit();
    if (OnTmpFileMoveEnd) OnTmpFileMoveEnd();
    if (!placed) DoError(GetArchiveFile(), "", kErrWriting);
  }
  // Nothing reaches the archive's name unless the run completed: a cancel or
  // a failure leaves the old archive with all its members.
  if (!placed) addedCount_ = droppedCount_ = 0;
  archive.reset();
  old.reset();
  if (OnDeactivate) OnDeactivate();
  if (placed && Switch == swMove) DeleteMovedSources();
  if (OnElapsedTime) {
    timer_.Stop();
    OnElapsedTime(timer_.Elapsed());
  }
}

bool TCompBase::CompressFiles(std::vector<TCompMember>& members, TStream32* old, TStream32& archive) {
  if (Switch != swDelete) {
    TArcFileScan scan;
    std::vector<std::string> masks;
    for (const std::string& s : FileSpec) masks.push_back(ToSlashes(s));
    scan.SetFileSpec(masks);
    scan.Attributes = Attributes;
    scan.AttributesEx = AttributesEx;
    // Folders are listed only to be stored empty.
    if (StoreEmptySubDirs) scan.Attributes |= AttrSet(fsDirectory);
    scan.RecurseDirs = RecurseDirs;
    scan.IncludeHiddenDirs = IncludeHiddenDirs;
    scan.CancelFlag = &cancel_;
    scan.OnScanFile = OnFileScanStatus;
    scan.OnRecurseDir = OnRecurseDir;
    scan.OnRootDirChange = [this](const std::string& dir) { currentRoot_ = WithTrailingSlash(dir); };
    scan.AddFileHook = [this, &members](const std::string& dir, const TFileObject& found) {
      AddCandidate(dir, found, members);
    };
    scan.Scan();
    archiveTotal_ = bytesToGo_ = scan.FilesSize;
  }
  if (cancel_ || (Switch != swDelete && !changed_)) {
    if (!changed_) DoError(GetArchiveFile(), "", kErrNothingToDo);
    members.clear();
    return false;
  }
  const int32_t expectedDrops = droppedCount_;
  droppedCount_ = 0;
  for (std::size_t i = 0; i < members.size() && !cancel_; ++i) {
    TCompMember& m = members[i];
    filesProcessed_ = static_cast<int32_t>(i) + 1;
    currentRecord_ = &m;
    switch (m.Action) {
      case maCompress:
        if (m.IsDir && !StoreEmptySubDirs) {
          m.Action = maDrop;
          break;
        }
        if (CompressFile(archive, members, i)) {
          ++addedCount_;
          if (Switch == swMove && !m.IsDir && !VerifyBeforeDelete) deleteList_.push_back(m.Name);
        } else if (cancel_) {
          return false;
        }
        break;
      case maKeep:
        if (old) {
          old->Seek(m.Offset, soBeginning);
          m.Offset = archive.Seek(0, soEnd);
          archive.CopyFrom(*old, MemberSize(m));
        }
        break;
      case maDrop:
        ++droppedCount_;
        if (OnDeleteFile) OnDeleteFile(m.Name, droppedCount_, expectedDrops);
        break;
      case maKeepRenamed:
        if (old) {
          old->Seek(m.Offset, soBeginning);
          archive.Seek(0, soEnd);
          CopyMemberRenamed(*old, archive, m);
        }
        break;
    }
  }
  return !cancel_;
}

void TCompBase::AddCandidate(const std::string& dir, const TFileObject& found, std::vector<TCompMember>& members) {
  const bool isDir = found.Name.empty();
  const std::string path = isDir ? found.Path : dir + found.Name;
  if (isDir) {
    std::vector<DirEntry> entries;
    if (!StoreEmptySubDirs || !Files().ListDirectory(path, entries) || !entries.empty()) return;
  }
  if (!SkipExtensions.empty() &&
      std::find(SkipExtensions.begin(), SkipExtensions.end(), LowerExt(path)) != SkipExtensions.end())
    return;
  if (!currentTempName_.empty() && SameFile(path, currentTempName_)) return;
  const std::string stored = StoredNameOf(path, currentRoot_);
  if (IsExcluded(stored, currentRoot_)) return;
  maxFileDate_ = std::max(maxFileDate_, found.Date);

  auto existing = std::find_if(members.begin(), members.end(), [&](const TCompMember& m) {
    return m.Action != maCompress && EqualNoCase(m.Name, stored);
  });
  if (existing == members.end() && Switch == swRefresh) return;
  if (existing != members.end()) {
    const bool same = existing->Size == found.Size && existing->Date == found.Date &&
                      (existing->Attr & 0xFFFF) == (found.Attr & 0xFFFF);
    bool replaced = false;
    if (!same && Switch == swRefresh) {
      existing->Action = maCompress;
      existing->Name = path;
      existing->RootLength = currentRoot_.size();
      existing->Size = found.Size;
      existing->Date = found.Date;
      existing->Attr = found.Attr;
      changed_ = true;
      RecordFileInfo(*existing);
      return;
    }
    if (!same) {
      if (!OnReplaceFile) {
        DoError(path, "OnReplaceFile", kErrNoEvent);
      } else {
        OnReplaceFile(existing->Name, path, DosDateTimeToDateTime(existing->Date),
                      DosDateTimeToDateTime(found.Date), existing->Size, found.Size,
                      static_cast<int32_t>(existing->Attr), static_cast<int32_t>(found.Attr), replaced);
        if (replaced) existing->Action = maDrop;
      }
    } else if (Switch == swRefresh) {
      return;
    }
    if (!replaced) {
      changed_ = true;
      if (!OnRenameDupeFile) {
        DoError(path, "OnRenameDupeFile", kErrNoEvent);
        return;
      }
      std::string newName = existing->Name;
      bool rename = true;
      auto taken = [&](const std::string& n) {
        return std::any_of(members.begin(), members.end(),
                           [&](const TCompMember& m) { return EqualNoCase(m.Name, n); });
      };
      do {
        OnRenameDupeFile(existing->Name, newName, rename);
      } while (rename && !EqualNoCase(newName, existing->Name) && taken(newName) && !cancel_);
      if (!rename || EqualNoCase(newName, existing->Name) || cancel_) return;
      existing->Action = maKeepRenamed;
      existing->NewName = newName;
    }
  }
  TCompMember m;
  m.Name = path;
  m.RootLength = currentRoot_.size();
  m.IsDir = isDir;
  m.Size = found.Size;
  m.Date = found.Date;
  m.Attr = found.Attr;
  members.push_back(std::move(m));
  changed_ = true;
  RecordFileInfo(members.back());
}

bool TCompBase::CompressFile(TStream32& archive, std::vector<TCompMember>& members, std::size_t index) {
  TCompMember& m = members[index];
  currentName_ = m.Name;
  currentRoot_ = m.Name.substr(0, std::min(m.RootLength, m.Name.size()));
  if (OnBegin) {
    bool extract = true;
    OnBegin(m.Name, static_cast<int32_t>(index) + 1, extract);
    if (!extract) return false;
  }
  storedName_ = StoredNameOf(m.Name, currentRoot_);
  if (OnRenameFile) {
    while (true) {
      std::string answer;
      OnRenameFile(storedName_, answer);
      if (answer.empty() || EqualNoCase(answer, storedName_)) break;
      const bool taken = std::any_of(members.begin(), members.end(),
                                     [&](const TCompMember& o) { return EqualNoCase(o.Name, answer); });
      if (!taken) {
        storedName_ = FolderOf(storedName_) + NameOf(answer);
        break;
      }
    }
  }
  m.Offset = archive.Seek(0, soEnd);
  const bool ok = CompressMember(archive, m);
  MemberDone();
  return ok;
}

void TCompBase::WriteHeadAndName(TStream32& archive) {
  const std::vector<uint8_t> head = HeadBytes();
  archive.WriteBuffer(head.data(), static_cast<int32_t>(head.size()));
  std::string name = ToSlashes(storedName_);
  if (TranslateOemChar) name = WinToDosStr(name);
  if (!name.empty()) archive.WriteBuffer(name.data(), static_cast<int32_t>(name.size()));
}

void TCompBase::RewriteHead(TStream32& archive, int64_t memberStart) {
  const int64_t end = archive.Seek(0, soEnd);
  archive.Seek(memberStart, soBeginning);
  const std::vector<uint8_t> head = HeadBytes();
  archive.WriteBuffer(head.data(), static_cast<int32_t>(head.size()));
  archive.Seek(end, soBeginning);
}

bool TCompBase::PumpSource(TStream32& source, int64_t size, const std::function<bool(uint8_t*, int32_t)>& sink) {
  std::vector<uint8_t> buf(kChunk);
  source.Seek(0, soBeginning);
  int64_t done = 0;
  while (done < size && !cancel_) {
    Ui().ProcessMessages();
    const int32_t want = static_cast<int32_t>(std::min<int64_t>(size - done, kChunk));
    const int32_t got = source.Read(buf.data(), want);
    if (got <= 0 || !sink(buf.data(), got)) break;
    done += got;
    ProgressStep(size, done);
  }
  return done == size && !cancel_;
}

bool TCompBase::StoreData(TStream32& source, TStream32& archive, int64_t size, bool encrypted) {
  return PumpSource(source, size, [&](uint8_t* buf, int32_t n) {
    if (WriteEncrypted(archive, buf, n, !encrypted, encrypted) != n) return false;
    bytesToGo_ -= n;
    return true;
  });
}

bool TCompBase::DeflateData(TStream32& source, TStream32& archive, int64_t size, bool encrypted) {
  TCompressStream z(archive, DeflateType);
  if (!z.InitOk()) return false;
  z.Info.Encrypted = encrypted;
  z.Info.Cipher = &Cipher;
  z.Info.CancelPtr = &cancel_;
  z.Info.BytesLeft = &bytesToGo_;
  const bool whole = PumpSource(source, size, [&](uint8_t* buf, int32_t n) {
    if (!encrypted) Registers.Update(kCrc32, buf, static_cast<std::size_t>(n));
    z.Write(buf, n);
    return true;
  });
  z.Finish();
  return whole;
}

bool TCompBase::WriteEncryptionHeader(TStream32& source, TStream32& archive) {
  TStreamInfo info;
  const uint32_t reg = CalcStreamCrc(source, info, &cancel_, nullptr, 0);
  if (cancel_) return false;
  Registers.SetValue(kCrc32, reg);
  finalCrc_ = reg ^ 0xFFFFFFFFu;
  const std::string head = Cipher.MakeEncryptionHeader(Password, 0, finalCrc_);
  archive.WriteBuffer(head.data(), static_cast<int32_t>(head.size()));
  return true;
}

uint16_t TCompBase::SourceMode(const TCompMember& m) const {
  const bool plain = PlainFileOnly && PlainFileOnly(m.Name);
  return kOpenRead | kShareDenyWrite | (plain ? kOpenNoLink : 0);
}

bool TCompBase::CompressMember(TStream32& archive, TCompMember& m) {
  const int64_t memberStart = m.Offset;
  if (m.IsDir) {
    method_ = 0;
    encrypted_ = false;
    finalCrc_ = 0;
    storedName_ = WithTrailingSlash(storedName_);
    InitLocalHeader(m);
    WriteHeadAndName(archive);
    WriteLocalHeader(0, 0, static_cast<uint16_t>(storedName_.size()));
    RewriteHead(archive, memberStart);
    return !cancel_;
  }
  bool compress = DeflateType != dtDeflateS;
  const std::string ext = ExtensionOf(m.Name);
  if (std::any_of(StoreFilesOfType.begin(), StoreFilesOfType.end(),
                  [&](const std::string& e) { return EqualNoCase(e, ext); }))
    compress = false;
  TFileStream32 source(m.Name, SourceMode(m));
  if (!source.Opened()) {
    DoError(m.Name, "", kErrOpening);
    return false;
  }
  const int64_t size = source.GetSize();
  encrypted_ = size > 0 && !Password.empty();
  // A copy is labelled stored whatever made it one.
  method_ = (size > 0 && compress) ? 8 : 0;
  Registers.Reset();
  m.Size = size;
  InitLocalHeader(m);
  WriteHeadAndName(archive);
  const int64_t dataStart = archive.Seek(0, soEnd);
  if (encrypted_ && !WriteEncryptionHeader(source, archive)) return false;
  bool ok = true;
  if (size == 0) {
    ok = true;
  } else if (!compress) {
    ok = StoreData(source, archive, size, encrypted_);
  } else if (size > kSmallFile) {
    ok = DeflateData(source, archive, size, encrypted_);
  } else {
    TMemoryStream32 packed;
    const uint32_t crcBefore = Registers.Value(kCrc32);
    ok = DeflateData(source, packed, size, false);
    if (ok && packed.GetSize() <= size) {
      if (encrypted_) Cipher.EncryptBuffer(packed.Memory(), static_cast<std::size_t>(packed.Size()));
      archive.WriteBuffer(packed.Memory(), packed.Size());
    } else if (ok) {
      method_ = 0;
      if (encrypted_) {
        archive.SetSize(dataStart);
        archive.Seek(dataStart, soBeginning);
        WriteEncryptionHeader(source, archive);
      }
      Registers.SetValue(kCrc32, crcBefore);
      ok = StoreData(source, archive, size, encrypted_);
    }
  }
  if (!encrypted_) finalCrc_ = size == 0 ? 0 : Registers.FinalCrc32();
  const int64_t packedSize = archive.Seek(0, soEnd) - dataStart;
  WriteLocalHeader(packedSize, size, static_cast<uint16_t>(ToSlashes(storedName_).size()));
  RewriteHead(archive, memberStart);
  return ok && !cancel_;
}

void TCompBase::DeleteMovedSources() {
  ProgressStep(0, 0);
  int32_t index = 0;
  for (const std::string& path : deleteList_) {
    ++index;
    if (DeleteOrRecycle(path, DeleteOptions) && OnDeleteFile)
      OnDeleteFile(path, index, static_cast<int32_t>(deleteList_.size()));
  }
}

}  // namespace vm
