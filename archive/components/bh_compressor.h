// The ".BH" compressor: member headers of the ".BH" format on the compressor
// driver, and the Fused method beside the driver's stored and deflated ones.
#pragma once

#include "archive/components/bh_header.h"
#include "archive/components/comp_base.h"

namespace vm {

class TBhCompressor : public TCompBase {
 public:
  TBhCompressor();

  // Whatever the value, a ".BH" compressor writes ".BH" archives.
  void SetArcType(TArcType) override;

 protected:
  uint32_t AllowedMethods() const override { return (1u << cmDeflate) | (1u << cmFuse); }
  std::string ClassDefaultExt() const override { return ".BH"; }
  void InitLocalHeader(const TCompMember& m) override;
  std::vector<uint8_t> HeadBytes() const override;
  void WriteLocalHeader(int64_t packed, int64_t unpacked, uint16_t nameLength) override;
  void RecordFileInfo(TCompMember& m) override;
  void MemberDone() override;
  void ReadExistingMembers(TStream32& old, std::vector<TCompMember>& members) override;
  int64_t MemberSize(const TCompMember& m) const override;
  void CopyMemberRenamed(TStream32& old, TStream32& archive, const TCompMember& m) override;
  void FinishArchive(std::vector<TCompMember>& members) override;
  bool ArchiveComplete() override { return false; }
  void ReadArchive(TStream32& old) override;
  bool CompressFile(TStream32& archive, std::vector<TCompMember>& members, std::size_t index) override;

 private:
  // Reads the header and name at an offset; False when no header is there.
  bool ReadHeaderAt(TStream32& old, int64_t offset, BhHeader& h, std::string& name);
  // The Fused path of one file.
  bool CompressFused(TStream32& archive, TCompMember& m);
  // True when the packed result is smaller than the file.
  bool RunFusedCoder(TStream32& source, TStream32& archive, int64_t size);

  BhHeader head_;
};

}  // namespace vm
