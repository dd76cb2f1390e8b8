#include "archive/components/archive_root.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/components/arc_streams.h"
#include "archive/components/disk_manager.h"
#include "archive/components/local_paths.h"
#include "foundation/text/collation.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr std::string_view kTypeNames[] = {
    "Not avail. ", "Unsupport.", "File Error", "Unknown   ", "ACE       ", "ACE SFX   ",
    "ARC       ", "ARC SFX   ", "ARJ       ", "ARJ SFX   ", "BH        ", "BH  SFX   ",
    "CAB       ", "CAB SFX   ", "GZip      ", "HA        ", "Java JAR  ", "JJAR SFX  ",
    "LHA       ", "LHA SFX   ", "LZH       ", "LZH SFX   ", "MsGZ     \t", "PAK       ",
    "PAK SFX   ", "RAR       ", "RAR SFX   ", "TAR       ", "TarGzip   ", "UUE       ",
    "ZIP       ", "ZIP SFX   ", "Zip Span  ", "Zip MVol  ", "ZOO       ",
};

bool Starts(const uint8_t* b, const char* sig) { return std::memcmp(b, sig, std::strlen(sig)) == 0; }

bool IsZipLead(const uint8_t* b) { return b[0] == 'P' && b[1] >= 'K' && b[1] <= 'N'; }

// The first four bytes of an archive, plain or after a program image.
TArcType Classify(const uint8_t* b, bool inProgram) {
  auto pick = [inProgram](TArcType plain, TArcType program) { return inProgram ? program : plain; };
  if (Starts(b, "BH\x05\x07")) return pick(atBh, atBhExe);
  if (Starts(b, "Rar!")) return pick(atRar, atRarExe);
  if (Starts(b, "MSCF")) return pick(atCab, atCabExe);
  if (Starts(b, "PKG5")) return atUnknown;
  if (Starts(b, "\x13\x5D\x65\x8C")) return pick(atMsGZ, atUnsupported);
  if (Starts(b, "\xB7\xDF\x54\x57")) return pick(atArc, atArcExe);
  if (b[2] == '-' && b[3] == 'l') return pick(atLha, atLhaExe);
  if (b[0] == 0x60 && b[1] == 0xEA) return pick(atArj, atArjExe);
  if (Starts(b, "ZO")) return pick(atZoo, atUnsupported);
  if (Starts(b, "HA")) return pick(atHA, atUnsupported);
  if (b[0] == 0x1F && (b[1] == 0x8B || b[1] == 0x9D || b[1] == 0x9E || b[1] == 0xA0 || b[1] == 0x1E))
    return pick(atGZip, atUnsupported);
  if (b[0] == 0x25 && b[1] == 0x21) return pick(atGZip, atUnsupported);
  if (b[0] == 0xB7 && (b[1] == 0xDF || b[1] == 0x92)) return atArcExe;
  if (b[0] == 0x1A && (b[1] == 0x02 || b[1] == 0x1E)) return pick(atArc, atUnsupported);
  if (b[0] == 0x1A && (b[1] == 0x08 || b[1] == 0x09)) return pick(atArc, atArcExe);
  if (b[0] == 0x1A && (b[1] == 0x0A || b[1] == 0x0B)) return pick(atPak, atPakExe);
  if (IsZipLead(b)) {
    // Told apart from a multi-volume set by the disk test.
    if ((b[2] == 1 && b[3] == 2) || (b[2] == 7 && b[3] == 8)) return atZipMV;
    if (Starts(b + 2, "G4") || Starts(b + 2, "CI")) return atNA;
    return pick(atZip, atZipExe);
  }
  return atNA;
}

// A tar archive begins with a 512-byte header whose checksum field (eight
// bytes at 148, octal) is the sum of the header's bytes with that field
// taken as blanks. An all-zero block is the end of an archive, not one.
constexpr std::size_t kTarBlock = 512;
constexpr std::size_t kTarSumAt = 148;
constexpr std::size_t kTarSumSize = 8;

bool IsTarHeader(const uint8_t* b, int32_t size) {
  if (size < static_cast<int32_t>(kTarBlock)) return false;
  int64_t sum = 0;
  for (std::size_t i = 0; i < kTarBlock; ++i)
    sum += i >= kTarSumAt && i < kTarSumAt + kTarSumSize ? ' ' : b[i];
  const std::string_view field(reinterpret_cast<const char*>(b + kTarSumAt), kTarSumSize);
  return sum > static_cast<int64_t>(kTarSumSize) * ' ' && OctalToInt(field) == sum;
}

}  // namespace

int64_t OctalToInt(std::string_view text) {
  int64_t n = 0;
  for (const char c : text)
    if (c >= '0' && c <= '7') n = n * 8 + (c - '0');
  return n;
}

std::string_view ArcTypeName(TArcType t) {
  return t < std::size(kTypeNames) ? kTypeNames[t] : kTypeNames[atUnknown];
}

std::string BhMethodName(uint8_t method, uint8_t flags) {
  static constexpr const char* kBh[] = {"Stored", "Fused1", "Deflate", "Fused3"};
  static constexpr const char* kLevels[] = {"DeflateN", "DeflateX", "DeflateF", "DeflateS"};
  if (method < 4) return kBh[method];
  if (method == 8) return kLevels[(flags & 6) >> 1];
  return "Unsupported";
}

TArcType TArchiveRoot::SpannedSetType() const {
  TDiskManager disk;
  disk.Sources = DriveSources;
  // Detection only reads: a write-protected disk is still the set's disk.
  if (!disk.CheckDiskOf(archiveFile_, {}, false)) return atNA;
  const std::string& label = disk.VolumeLabel;
  const std::size_t first = label.find_first_not_of(' ');
  std::string word = first == std::string::npos ? std::string() : label.substr(first, label.find(' ', first) - first);
  std::transform(word.begin(), word.end(), word.begin(), RusUpCase);
  return disk.DriveType == kDriveRemovable && word == "PKBACK#" ? atZipDS : atZipMV;
}

void TArchiveRoot::SetArchiveFile(const std::string& name) {
  TFileStream32 stream(name, kOpenRead | kShareDenyWrite);
  if (!stream.Opened()) {
    const bool exists = stream.OpenError() != FileError::NotFound;
    archiveFile_ = exists ? name : std::string();
    arcType_ = atNA;
    return;
  }
  archiveFile_ = name;
  arcType_ = GetArcType(&stream);
}

TArcType TArchiveRoot::GetArcType(TStream32* stream) {
  if (!stream) return atNA;
  firstHeader_ = -1;
  archiveSize_ = stream->GetSize();
  if (archiveSize_ <= 19) return atNA;
  std::vector<uint8_t> buf(32768, 0);
  stream->Seek(0, soBeginning);
  const int32_t got = std::max<int32_t>(0, stream->Read(buf.data(), 32767));
  TArcType type = atNA;
  if (Starts(buf.data(), "MZ")) {
    // A self-extracting archive: the archive follows the program image.
    for (int32_t i = 2; i + 4 <= got && type == atNA; ++i) {
      if (Starts(&buf[static_cast<std::size_t>(i)], "BH\x05\x07")) {
        type = atBhExe;
        firstHeader_ = i;
      } else if (Starts(&buf[static_cast<std::size_t>(i)], "PK\x03\x04")) {
        type = atZipExe;
        firstHeader_ = i;
      }
    }
  } else {
    int32_t zeros = 0;
    while (zeros < got && buf[static_cast<std::size_t>(zeros)] == 0) ++zeros;
    const uint8_t* b = &buf[static_cast<std::size_t>(zeros)];
    if (got - zeros > 132 && b[130] == '-' && b[131] == 'l') {
      type = atLha;
      firstHeader_ = 128;
    } else if (got - zeros >= 4) {
      type = Classify(b, false);
      if (type == atZipMV) type = SpannedSetType();
      if (type != atNA) firstHeader_ = zeros;
    }
  }
  if (type == atNA && IsTarHeader(buf.data(), got)) type = atTar;
  if (type > atUnknown && firstHeader_ < 0) firstHeader_ = 0;
  if (type == atZip && CollateCompare(ExtensionOf(archiveFile_), ".jar", false) == 0) type = atJar;
  stream->Seek(0, soBeginning);
  return type;
}

}  // namespace vm
