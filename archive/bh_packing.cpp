#include "archive/bh_packing.h"

#include "archive/components/local_paths.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

TArchivePacker::TArchivePacker(std::string workDir) : workDir_(WithTrailingSlash(ToSlashes(std::move(workDir)))) {
  Compressor.SetArcType(atBh);
  Compressor.SetCompressMethod(cmFuse);
  Compressor.DefaultDir = "/";
  Compressor.SetDefaultExt("BH");
  Compressor.IncludeHiddenDirs = true;
  Compressor.RecurseDirs = false;
  Compressor.StoredDirNames = sdRelative;
  Compressor.Switch = swAdd;
  Compressor.OnError = [this](const std::string&, const std::string&, const std::string&, int code) {
    ErrorCode = code;
  };
  Compressor.OnProgress = [this](uint8_t, uint8_t) { CompressorProgress(); };
  Extractor.SetArcType(atNA);
  Extractor.CpuType = cptAuto;
  Extractor.FileSpec = {"*.*"};
  Extractor.UseStoredDirs = false;
  Extractor.OnError = [this](const std::string&, const std::string&, const std::string&, int code) {
    ErrorCode = code;
  };
  Extractor.OnProgress = [](uint8_t byFile, uint8_t) {
    Ui().SetProgressText("Восстанавливаются файлы..."_w);
    Ui().SetProgressPosition(byFile);
    Ui().ProcessMessages();
  };
}

void TArchivePacker::CompressorProgress() {
  ++ProgressCounter;
  Ui().SetProgressPosition(ProgressCounter);
  Ui().ProcessMessages();
}

bool TArchivePacker::PackCafToArchive(const std::string& name) {
  ErrorCode = 0;
  ProgressCounter = 0;
  Ui().ShowProgressMessage("Идет упаковка баз данных ..."_w, 20);
  Compressor.DefaultDir = workDir_;
  Compressor.SetArchiveFile(name + ".BH");
  Compressor.FileSpec = {name + ".CAF"};
  const int32_t packed = Compressor.Compress();
  return packed > 0 && ErrorCode == 0;
}

bool TArchivePacker::UnpackArchive(const std::string& name) {
  ErrorCode = 0;
  ProgressCounter = 0;
  Ui().ShowProgressMessage("Идет распаковка баз данных ..."_w, 20);
  Extractor.SetExtractDir(workDir_);
  Extractor.SetArchiveFile(name);
  Extractor.FileSpec = {"*.*"};
  Extractor.OnProgress = [this](uint8_t, uint8_t) { CompressorProgress(); };
  Extractor.Extract();
  return ErrorCode == 0;
}

}  // namespace vm
