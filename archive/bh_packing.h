// The program's one ".BH" compressor and one extractor, set up as the main
// window keeps them, with the two cells their events fill: the last error
// code and the progress counter. Packing and unpacking the combined database
// file of an archived period go through them; the progress window and every
// report go through the UI services.
#pragma once

#include <cstdint>
#include <string>

#include "archive/components/bh_compressor.h"
#include "archive/components/bh_extractor.h"

namespace vm {

class TArchivePacker {
 public:
  // workDir: the program's "WORK" folder, where archives are packed and
  // unpacked.
  explicit TArchivePacker(std::string workDir);

  // Packs Name + ".CAF" into Name + ".BH"; True when a file was packed and
  // no error was reported.
  bool PackCafToArchive(const std::string& name);
  // Extracts every member of the archive Name into the work folder; True
  // when no error was reported.
  bool UnpackArchive(const std::string& name);

  TBhCompressor Compressor;
  TUnBh Extractor;
  int32_t ErrorCode = 0;        // the last code a component reported; 0 = none
  int32_t ProgressCounter = 0;  // one step per progress event

 private:
  void CompressorProgress();
  std::string workDir_;
};

}  // namespace vm
