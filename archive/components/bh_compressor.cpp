#include "archive/components/bh_compressor.h"

#include <algorithm>

#include "archive/components/arc_messages.h"
#include "archive/components/arc_streams.h"
#include "archive/components/component_codec_host.h"
#include "archive/components/fused_coder.h"
#include "archive/components/local_paths.h"
#include "archive/components/masks.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

BhHeader HeaderOf(const TCompMember& m) {
  BhHeader h;
  if (m.Header.size() >= kBhHeadSize) DecodeBhHeader(m.Header.data(), h);
  return h;
}

uint8_t DeflateOptionBits(TDeflateType t) {
  switch (t) {
    case dtDeflateS: return 6;
    case dtDeflateF: return 4;
    case dtDeflateX: return 2;
    default: return 0;
  }
}

}  // namespace

TBhCompressor::TBhCompressor() {
  arcType_ = atBh;
  SetDefaultExt("");
  SetCompressMethod(cmDeflate);
}

void TBhCompressor::SetArcType(TArcType) {
  arcType_ = atBh;
  if (!archiveFile_.empty() && ExtensionOf(archiveFile_).empty()) archiveFile_ += DefaultExt();
}

void TBhCompressor::InitLocalHeader(const TCompMember& m) {
  head_ = BhHeader{};
  head_.HeadSize = kBhHeadSize;
  head_.VersionMadeBy = VersionMadeBy;
  head_.VersionNeeded = VersionNeeded;
  head_.DosDate = MemberDate(m.Date);
  head_.Attributes = static_cast<uint16_t>(m.Attr);
  head_.UnpackedSize = static_cast<uint32_t>(m.Size);
  head_.Method = kBhDeflated;
}

std::vector<uint8_t> TBhCompressor::HeadBytes() const {
  const BhHeadBytes b = EncodeBhHeader(head_);
  return {b.begin(), b.end()};
}

void TBhCompressor::WriteLocalHeader(int64_t packed, int64_t unpacked, uint16_t nameLength) {
  head_.NameLength = nameLength;
  head_.UnpackedSize = static_cast<uint32_t>(unpacked);
  head_.ExtraLength = 0;
  head_.Crc = finalCrc_;
  if (encrypted_) head_.Flags |= kBhFlagEncrypted;
  head_.TotalHeadSize = static_cast<uint16_t>(head_.HeadSize + nameLength);
  head_.PackedSize = static_cast<uint32_t>(packed);
  if (method_ == 0) {
    head_.Method = kBhStored;
  } else if (method_ == 3) {
    head_.Method = kBhFused3;
    if (encrypted_) head_.Flags |= DeflateOptionBits(DeflateType);
  } else if (method_ == 8) {
    head_.Flags |= DeflateOptionBits(DeflateType);
  }
}

void TBhCompressor::RecordFileInfo(TCompMember& m) {
  BhHeader h = HeaderOf(m);
  h.DosDate = m.Date;
  h.PackedSize = h.UnpackedSize = static_cast<uint32_t>(m.Size);
  h.Attributes = static_cast<uint16_t>(m.Attr);
  const BhHeadBytes b = EncodeBhHeader(h);
  m.Header.assign(b.begin(), b.end());
}

void TBhCompressor::MemberDone() {
  if (OnEnd) OnEnd(storedName_, Registers.FinalCrc32() == head_.Crc || head_.UnpackedSize == 0);
}

bool TBhCompressor::ReadHeaderAt(TStream32& old, int64_t offset, BhHeader& h, std::string& name) {
  uint8_t b[kBhHeadSize];
  if (old.Seek(offset, soBeginning) != offset) return false;
  if (old.Read(b, kBhHeadSize) != static_cast<int32_t>(kBhHeadSize) || !DecodeBhHeader(b, h)) return false;
  name.assign(h.NameLength, '\0');
  if (h.NameLength > 0 && old.Read(name.data(), h.NameLength) != h.NameLength) return false;
  if (TranslateOemChar) name = DosToWinStr(name);
  name = ToSlashes(name);
  return true;
}

void TBhCompressor::ReadExistingMembers(TStream32& old, std::vector<TCompMember>& members) {
  int64_t offset = std::max<int64_t>(firstHeader_, 0);
  BhHeader h;
  std::string name;
  while (ReadHeaderAt(old, offset, h, name)) {
    TCompMember m;
    m.Action = maKeep;
    m.Name = name;
    m.Offset = offset;
    m.Size = h.UnpackedSize;
    m.Date = h.DosDate;
    m.Attr = h.Attributes;
    const BhHeadBytes b = EncodeBhHeader(h);
    m.Header.assign(b.begin(), b.end());
    if (Switch == swDelete) {
      const bool selected = std::any_of(FileSpec.begin(), FileSpec.end(),
                                        [&](const std::string& s) { return MatchesMask(name, ToSlashes(s)); });
      const bool excluded = std::any_of(ExcludeSpec.begin(), ExcludeSpec.end(),
                                        [&](const std::string& s) { return MatchesMask(name, ToSlashes(s)); });
      if (selected && !excluded) {
        m.Action = maDrop;
        ++droppedCount_;
        changed_ = true;
      }
    }
    members.push_back(std::move(m));
    offset += static_cast<int64_t>(h.MemberSize());
  }
}

int64_t TBhCompressor::MemberSize(const TCompMember& m) const {
  return static_cast<int64_t>(HeaderOf(m).MemberSize());
}

void TBhCompressor::CopyMemberRenamed(TStream32& old, TStream32& archive, const TCompMember& m) {
  BhHeader h = HeaderOf(m);
  std::string name = ToSlashes(m.NewName);
  if (TranslateOemChar) name = WinToDosStr(name);
  const int64_t dataSize = static_cast<int64_t>(h.ExtraLength) + h.PackedSize;
  old.Seek(m.Offset + static_cast<int64_t>(kBhHeadSize) + h.NameLength, soBeginning);
  h.NameLength = static_cast<uint16_t>(name.size());
  h.TotalHeadSize = static_cast<uint16_t>(kBhHeadSize + h.NameLength + h.ExtraLength);
  const BhHeadBytes b = EncodeBhHeader(h);
  archive.WriteBuffer(b.data(), static_cast<int32_t>(b.size()));
  if (!name.empty()) archive.WriteBuffer(name.data(), static_cast<int32_t>(name.size()));
  if (dataSize > 0) archive.CopyFrom(old, dataSize);
}

void TBhCompressor::FinishArchive(std::vector<TCompMember>& members) {
  if (Switch == swDelete && droppedCount_ == static_cast<int32_t>(members.size())) return;
  int32_t number = 0;
  for (const TCompMember& m : members) {
    ++number;
    if (m.Action == maDrop) continue;
    if (Switch != swDelete) {
      if (!OnRead) break;
      OnRead(static_cast<int32_t>(m.Offset), number);
    }
  }
}

void TBhCompressor::ReadArchive(TStream32& old) {
  int64_t offset = std::max<int64_t>(firstHeader_, 0);
  BhHeader h;
  std::string name;
  int32_t count = 0;
  while (ReadHeaderAt(old, offset, h, name)) {
    OnRead(static_cast<int32_t>(offset), ++count);
    offset += static_cast<int64_t>(h.MemberSize());
  }
}

bool TBhCompressor::CompressFile(TStream32& archive, std::vector<TCompMember>& members, std::size_t index) {
  if (CompressMethod() == cmStore) DeflateType = dtDeflateS;
  if (CompressMethod() != cmFuse || members[index].IsDir) return TCompBase::CompressFile(archive, members, index);
  TCompMember& m = members[index];
  currentName_ = m.Name;
  if (OnBegin) {
    bool extract = true;
    OnBegin(m.Name, static_cast<int32_t>(index) + 1, extract);
    if (!extract) return false;
  }
  storedName_ = StoredNameOf(m.Name, m.Name.substr(0, std::min(m.RootLength, m.Name.size())));
  m.Offset = archive.Seek(0, soEnd);
  const bool ok = CompressFused(archive, m);
  MemberDone();
  return ok;
}

}  // namespace vm

namespace vm {

// Fused output that is not smaller than the file, or a cancelled run, is
// cut away and the file stored instead.
bool TBhCompressor::CompressFused(TStream32& archive, TCompMember& m) {
  TFileStream32 source(m.Name, SourceMode(m));
  if (!source.Opened()) {
    DoError(m.Name, "", kErrOpening);
    return false;
  }
  const int64_t memberStart = m.Offset;
  const int64_t size = source.GetSize();
  m.Size = size;
  encrypted_ = size > 0 && !Password.empty();
  Registers.Reset();
  InitLocalHeader(m);
  WriteHeadAndName(archive);
  const int64_t dataStart = archive.Seek(0, soEnd);
  if (encrypted_ && !WriteEncryptionHeader(source, archive)) return false;
  const uint32_t savedCrc = Registers.Value(kCrc32);
  const int64_t toGoBefore = bytesToGo_;
  method_ = 3;
  bool smaller = size > 0 && RunFusedCoder(source, archive, size);
  if (!smaller || cancel_) {
    const bool wasCancelled = cancel_;
    archive.SetSize(dataStart);
    archive.Seek(dataStart, soBeginning);
    Registers.SetValue(kCrc32, savedCrc);
    bytesToGo_ = toGoBefore;
    method_ = 0;
    if (size == 0) encrypted_ = false;
    if (encrypted_) WriteEncryptionHeader(source, archive);
    if (wasCancelled) return false;
    if (size > 0 && !StoreData(source, archive, size, encrypted_)) return false;
  }
  if (!encrypted_) finalCrc_ = size == 0 ? 0 : Registers.FinalCrc32();
  const int64_t packedSize = archive.Seek(0, soEnd) - dataStart;
  WriteLocalHeader(packedSize, size, static_cast<uint16_t>(ToSlashes(storedName_).size()));
  RewriteHead(archive, memberStart);
  return !cancel_;
}

bool TBhCompressor::RunFusedCoder(TStream32& source, TStream32& archive, int64_t size) {
  source.Seek(0, soBeginning);
  TComponentCodecHost host(*this, size);
  // An encrypted member's CRC was computed before; the coder's running CRC
  // is then not wanted.
  TFusedCoder coder(kFusedCoderParams, encrypted_ ? kCrcNone : kCrc32, encrypted_);
  int64_t packed = 0;
  const TFusedResult result = coder.Encode(host, source, archive, packed);
  if (result == TFusedResult::WriteFailed) RaiseError(GetArchiveFile(), kErrWriting, currentName_);
  return result == TFusedResult::Ok && packed < size;
}

}  // namespace vm
