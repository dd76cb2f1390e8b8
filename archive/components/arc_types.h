// The enumerations shared by the archive components. The numbers are the
// stored values.
#pragma once

#include <cstdint>

#include "archive/components/arc_globals.h"

namespace vm {

enum TArcType : uint8_t {
  atNA, atUnsupported, atFileOpenErr, atUnknown, atAce, atAceExe, atArc, atArcExe, atArj, atArjExe,
  atBh, atBhExe, atCab, atCabExe, atGZip, atHA, atJar, atJarExe, atLha, atLhaExe, atLzh, atLzhExe,
  atMsGZ, atPak, atPakExe, atRar, atRarExe, atTar, atTarGZip, atUUE, atZip, atZipExe, atZipDS,
  atZipMV, atZoo,
};

// File attributes a component selects by; a set is a bit mask of 1 << value.
enum TArcFileAttr : uint8_t {
  fsZeroAttr, fsReadOnly, fsHidden, fsSysFile, fsVolumeID, fsDirectory, fsArchive, fsCompressed,
  fsEncrypted,
};
using TArcFileAttrs = uint16_t;
constexpr TArcFileAttrs AttrSet(TArcFileAttr a) { return static_cast<TArcFileAttrs>(1u << a); }
inline constexpr TArcFileAttrs kDefaultAttributes = AttrSet(fsZeroAttr) | AttrSet(fsReadOnly) |
                                                    AttrSet(fsArchive) | AttrSet(fsCompressed) |
                                                    AttrSet(fsEncrypted);

enum TDateAttribute : uint8_t { daFileDate, daSysDate, daMaxFileDate };
enum TStoredDirNames : uint8_t {
  sdNone, sdFullPath, sdFullPathNoDrv, sdFullPathNoRoot, sdRelative, sdRelativeStoreStart,
  sdExplorer_Auto, sdExplorer_UserDefineDefaultDir,
};
enum TOverwriteMode : uint8_t { omOverwrite, omSkip };
enum TCpuType : uint8_t { cptAuto, cpt80286, cpt80386, cpt80486 };

enum TCompressMethod : uint8_t {
  cmStore, cmDeflate, cmFuse, cmFrozen5, cmFrozen6, cmMsZip, cmLzx, cmQuantum, cmUUEncode,
  cmXXEncode, cmBase64, cmTarred, cmTarGzip,
};
enum TCompressionMethod : uint8_t { cmInMemory, cmTempFile };
enum TSwitch : uint8_t { swAdd, swRefresh, swMove, swDelete, swRead };

// Whether a type belongs to the group that encrypts with the traditional
// PKWARE cipher.
bool IsPkwareGroup(TArcType t);
bool IsGarbleGroup(TArcType t);

}  // namespace vm
