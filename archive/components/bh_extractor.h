// The ".BH" extractor: walks the members, selects them by FileSpec and
// ExcludeSpec, and writes each one out through the extractor driver.
#pragma once

#include "archive/components/bh_header.h"
#include "archive/components/un_base.h"

namespace vm {

class TUnBh : public TUnBase {
 public:
  TUnBh();

 protected:
  void ExtractArchive(TStream32& archive) override;
  bool CheckPassword(uint8_t* header24) override;

 private:
  struct Listed {
    int64_t Offset;
    uint16_t Attributes;
  };
  std::vector<Listed> ScanMembers(TStream32& archive);
  // Reads the header and name at an offset; False when none is there.
  bool ReadMember(TStream32& archive, int64_t offset, BhHeader& header, std::string& name);
  void ExtractMember(TStream32& archive, const BhHeader& header, const std::string& name);
  // The member's data into out; False when the method is unknown.
  bool DecodeData(TStream32& archive, TStream32& out, const BhHeader& header);
  void InflateData(TStream32& archive, TStream32& out, const BhHeader& header);

  BhHeader current_;
};

}  // namespace vm
