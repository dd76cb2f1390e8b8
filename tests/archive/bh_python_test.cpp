// The compressor and the extractor against a reader and writer written in
// Python from the format's table alone (tools/bh_tool.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "archive/components/bh_compressor.h"
#include "archive/components/bh_extractor.h"
#include "bh_test_support.h"

namespace vm {
namespace {

const std::string kTool = std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/bh_tool.py";

// Small enough for a decoder in pure Python.
std::map<std::string, std::string> PythonSizedFiles() {
  return {
      {"empty.txt", ""},
      {"one.bin", "x"},
      {"text.dbf", test::RussianText(60000)},
      {"code.h", test::TextBytes(40000, 11)},
      {"random.bin", test::RandomBytes(20000, 5)},
      {"Приход товара.dbf"_w, test::RussianText(7000)},
      {"NOEXT", test::TextBytes(3000, 4)},
  };
}

class BhAgainstPython : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = PythonSizedFiles();
    test::MakeFolder(tmp_.Dir() + "src/", files_);
    std::filesystem::create_directories(tmp_ / "out");
  }
  void ExpectOut() {
    for (const auto& [name, bytes] : files_) EXPECT_TRUE(test::GetFile(tmp_.Dir() + "out/" + name) == bytes) << name;
  }

  test::TempDir tmp_;
  std::map<std::string, std::string> files_;
};

TEST_F(BhAgainstPython, PythonReadsWhatIsWrittenHere) {
  for (const TCompressMethod method : {cmFuse, cmDeflate}) {
    TBhCompressor comp;
    comp.SetCompressMethod(method);
    comp.RecurseDirs = false;
    comp.SetArchiveFile(tmp_.Dir() + "arc.BH");
    comp.FileSpec = {tmp_.Dir() + "src/*.*"};
    ASSERT_EQ(comp.Compress(), static_cast<int32_t>(files_.size()));
    ASSERT_TRUE(test::RunTool("python3 " + test::Quote(kTool) + " extract " + test::Quote(tmp_.Dir() + "arc.BH") +
                              " " + test::Quote(tmp_.Dir() + "out")))
        << method;
    ExpectOut();
    // The Python side did decode packed members, not only stored ones.
    ASSERT_TRUE(std::system(("python3 " + test::Quote(kTool) + " list " + test::Quote(tmp_.Dir() + "arc.BH") + " > " +
                             test::Quote(tmp_.Dir() + "list.txt")).c_str()) == 0);
    const std::string list = test::GetFile(tmp_.Dir() + "list.txt");
    EXPECT_NE(list.find(method == cmFuse ? "\n3 " : "\n8 "), std::string::npos) << list;
    std::filesystem::remove_all(tmp_ / "out");
    std::filesystem::create_directories(tmp_ / "out");
    std::filesystem::remove(tmp_ / "arc.BH");
  }
}

TEST_F(BhAgainstPython, WhatPythonWritesExtractsHere) {
  std::string command = "python3 " + test::Quote(kTool) + " make " + test::Quote(tmp_.Dir() + "py.BH");
  for (const auto& [name, bytes] : files_) command += " " + test::Quote(Cp1251ToUtf8(tmp_.Dir() + "src/" + name));
  ASSERT_TRUE(test::RunTool(command));
  std::vector<int> codes;
  EXPECT_EQ(test::ExtractInto(tmp_.Dir() + "py.BH", tmp_.Dir() + "out", &codes), static_cast<int32_t>(files_.size()));
  EXPECT_TRUE(codes.empty());
  ExpectOut();
}

}  // namespace
}  // namespace vm
