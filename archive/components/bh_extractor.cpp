#include "archive/components/bh_extractor.h"

#include <algorithm>

#include "archive/components/arc_messages.h"
#include "archive/components/arc_streams.h"
#include "archive/components/codec_streams.h"
#include "archive/components/component_codec_host.h"
#include "archive/components/fused_decoder.h"
#include "archive/components/local_paths.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// No method packs better than about a thousand to one (a longest match in
// a bit or two); a header that claims more is damaged, and believing it
// would write gigabytes of nothing.
constexpr int64_t kMaxRatio = 1100;

bool PlausibleSizes(const BhHeader& h) {
  const int64_t packed = h.PackedSize;
  if (h.Method == kBhStored) return h.UnpackedSize <= packed;
  return h.UnpackedSize <= packed * kMaxRatio + 1024;
}

}  // namespace

TUnBh::TUnBh() { arcType_ = atNA; }

bool TUnBh::ReadMember(TStream32& archive, int64_t offset, BhHeader& header, std::string& name) {
  uint8_t head[kBhHeadSize];
  if (archive.Seek(offset, soBeginning) != offset) return false;
  if (ReadBlock(archive, head, kBhHeadSize, false, false) != static_cast<int32_t>(kBhHeadSize)) return false;
  if (!DecodeBhHeader(head, header) || header.TotalHeadSize == 0) return false;
  name.assign(header.NameLength, '\0');
  if (header.NameLength > 0 &&
      ReadBlock(archive, name.data(), header.NameLength, false, false) != header.NameLength)
    return false;
  if (TranslateOemChar) name = DosToWinStr(name);
  return true;
}

// Every member, whatever the length of its name, is passed by the lengths
// its own header gives.
std::vector<TUnBh::Listed> TUnBh::ScanMembers(TStream32& archive) {
  std::vector<Listed> listed;
  int64_t offset = std::max<int64_t>(firstHeader_, 0);
  BhHeader h;
  std::string name;
  while (!cancel_ && ReadMember(archive, offset, h, name)) {
    if (MatchesFileSpecDirs(ToSlashes(name), FileSpec, ExcludeSpec, RecurseDirs)) {
      listed.push_back({offset, h.Attributes});
      maxFileDate_ = std::max(maxFileDate_, h.DosDate);
      archiveTotal_ += h.UnpackedSize;
      bytesToGo_ += h.UnpackedSize;
    }
    offset += static_cast<int64_t>(h.MemberSize());
  }
  return listed;
}

void TUnBh::ExtractArchive(TStream32& archive) {
  const std::vector<Listed> listed = ScanMembers(archive);
  for (const Listed& item : listed) {
    if (cancel_) break;
    BhHeader h;
    std::string name;
    if (!ReadMember(archive, item.Offset, h, name)) break;
    if (h.Method == kBhDeflate) h.Method = kBhDeflated;
    archive.Seek(item.Offset + kBhHeadSize + h.NameLength + h.ExtraLength, soBeginning);
    ExtractMember(archive, h, name);
  }
}

void TUnBh::ExtractMember(TStream32& archive, const BhHeader& h, const std::string& rawName) {
  current_ = h;
  const std::string name = ToSlashes(rawName);
  const bool folderEntry = !name.empty() && name.back() == '/';
  if (folderEntry) {
    if (CreateStoredDirs && UseStoredDirs) CreateMemberFolder(name);
    return;
  }
  if (!SetTarget(name) || !BeginMember()) {
    SkipMember(h.UnpackedSize);
    return;
  }
  memberEncrypted_ = h.Encrypted();
  passwordFailed_ = false;
  const int64_t dataAt = archive.Position();
  if (memberEncrypted_) {
    passwordFailed_ = !FindMemberPassword(archive);
    if (passwordFailed_) {
      --filesDone_;
      SkipMember(h.UnpackedSize);
      return;
    }
  }
  std::vector<std::string> misled;
  for (;;) {
    auto out = OpenOutput();
    if (!out) {
      --filesDone_;
      SkipMember(h.UnpackedSize);
      return;
    }
    Registers.Reset();
    const int64_t toGo = bytesToGo_;
    bool known = true;
    if (!PlausibleSizes(h)) {
      // Nothing is decoded: the CRC check below fails and reports it.
      Registers.Reset();
    } else {
      known = DecodeData(archive, *out, h);
    }
    // The header checks one byte, so a wrong password passes it once in 256
    // and decodes garbage: the right one may still stand further in the list.
    if (memberEncrypted_ && known && !cancel_ && PlausibleSizes(h) && !CrcMatches(h.Crc)) {
      const std::string tried = Password;
      misled.push_back(tried);
      archive.Seek(dataAt, soBeginning);
      if (FindMemberPassword(archive, misled, true)) {
        CloseOutput(std::move(out), false, h.Attributes, h.DosDate);
        bytesToGo_ = toGo;
        continue;
      }
      Password = tried;
    }
    const bool pass = known && CheckCrc(h.Crc);
    if (!known) DoError(currentFileName_, "", kErrMethod);
    if (!pass) --filesDone_;
    CloseOutput(std::move(out), pass, h.Attributes, h.DosDate);
    return;
  }
}

bool TUnBh::DecodeData(TStream32& archive, TStream32& out, const BhHeader& h) {
  const int64_t packed = static_cast<int64_t>(h.PackedSize) - (h.Encrypted() ? kEncryptionHeaderSize : 0);
  switch (h.Method) {
    case kBhStored:
      CopyStored(archive, out, std::min<int64_t>(h.UnpackedSize, std::max<int64_t>(packed, 0)),
                 h.Encrypted());
      return true;
    case kBhDeflated:
      InflateData(archive, out, h);
      return true;
    case kBhFused1:
    case kBhFused3: {
      const TFusedParams p = h.Method == kBhFused1 ? kFusedMethod1Params : kFusedMethod3Params;
      TFusedDecoder decoder;
      decoder.Init(kCrc32, p.DictionaryBits, p.PositionBits, h.Encrypted() ? 1 : 0);
      TComponentCodecHost host(*this, h.UnpackedSize);
      // A damaged member fails its CRC check below; a failed write was
      // reported by the host.
      decoder.Decode(host, archive, out, std::max<int64_t>(packed, 0), h.UnpackedSize);
      return true;
    }
    default:
      return false;
  }
}

void TUnBh::InflateData(TStream32& archive, TStream32& out, const BhHeader& h) {
  TDecompressStream inflater(archive);
  inflater.Info.Encrypted = h.Encrypted();
  inflater.Info.Cipher = &Cipher;
  inflater.Info.CancelPtr = &cancel_;
  std::vector<uint8_t> buf(32768);
  int64_t remaining = h.UnpackedSize, done = 0;
  while (remaining > 0 && !cancel_) {
    Ui().ProcessMessages();
    const int32_t want = static_cast<int32_t>(std::min<int64_t>(remaining, 32768));
    const int32_t got = inflater.Read(buf.data(), want);
    if (got <= 0) break;
    if (WriteBlock(out, buf.data(), got, true) != got) break;
    remaining -= got;
    done += got;
    bytesToGo_ -= got;
    ProgressStep(h.UnpackedSize, done);
    if (inflater.Info.StreamEnd && got < want) break;
  }
}

bool TUnBh::CheckPassword(uint8_t* header24) {
  return Cipher.CheckEncryptionHeader(header24, current_.Flags, current_.Crc, Password,
                                      static_cast<uint16_t>(current_.DosDate & 0xFFFF));
}

}  // namespace vm
