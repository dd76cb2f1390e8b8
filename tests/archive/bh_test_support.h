// Folders of sample files and archive bytes read by offset, for the tests
// of the ".BH" compressor and extractor.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "platform/encoding.h"
#include "lzh_member.h"
#include "support/oracle_tools.h"
#include "support/temp_dir.h"

namespace vm::test {

// Windows-1251 paths as the program holds them; the disk has UTF-8.
inline void PutFile(const std::string& path, const std::string& bytes) {
  WriteBytes(Cp1251ToUtf8(path), bytes);
}
inline std::string GetFile(const std::string& path) { return ReadBytes(Cp1251ToUtf8(path)); }
inline bool FileThere(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(Cp1251ToUtf8(path), ec).type() != std::filesystem::file_type::not_found;
}

inline std::string RussianText(std::size_t n) {
  std::string s;
  for (int i = 0; s.size() < n; ++i)
    s += "Строка номера "_w + std::to_string(i) + " of the sample text, повторяется.\r\n"_w;
  s.resize(n);
  return s;
}

// name -> contents of the sample folder.
inline std::map<std::string, std::string> SampleFiles() {
  return {
      {"empty.txt", ""},
      {"one.bin", "x"},
      {"small.txt", "hello, hello, hello"},
      {"text.dbf", RussianText(300000)},
      {"random.bin", RandomBytes(3 * 1024 * 1024 + 17, 7)},
      {"Отчёт за май.dbf"_w, RussianText(5000)},
      {"NOEXT", TextBytes(2000, 3)},
  };
}

inline void MakeFolder(const std::string& dir, const std::map<std::string, std::string>& files) {
  std::filesystem::create_directories(Cp1251ToUtf8(dir));
  for (const auto& [name, bytes] : files) PutFile(dir + name, bytes);
}

inline uint32_t Le32(const std::string& b, std::size_t at) { return GetLe(b, at, 4); }
inline uint16_t Le16(const std::string& b, std::size_t at) { return static_cast<uint16_t>(GetLe(b, at, 2)); }

}  // namespace vm::test

namespace vm::test {

// One ".BH" member made byte by byte from the format's table.
struct RawMember {
  std::string Name;  // as stored (OEM bytes)
  std::string Data;  // the packed bytes
  uint8_t Method = 0;
  uint32_t Unpacked = 0;
  uint32_t Crc = 0;
  uint8_t Flags = 0;
  uint16_t Attr = 0x20;
  uint32_t Date = 0x5A210000;
};

inline std::string RawMemberBytes(const RawMember& m) {
  std::string h("BH\x05\x07", 4);
  PutLe(h, 37 + static_cast<uint32_t>(m.Name.size()), 2);
  h += static_cast<char>(37);
  h += static_cast<char>(6);
  h += static_cast<char>(3);
  h += static_cast<char>(m.Flags);
  h += static_cast<char>(m.Method);
  PutLe(h, m.Date, 4);
  PutLe(h, static_cast<uint32_t>(m.Data.size()), 4);
  PutLe(h, m.Unpacked, 4);
  PutLe(h, m.Crc, 4);
  PutLe(h, m.Attr, 2);
  PutLe(h, 0, 4);
  PutLe(h, static_cast<uint32_t>(m.Name.size()), 2);
  PutLe(h, 0, 2);
  return h + m.Name + m.Data;
}

// zlib's CRC, independent of the component's own.
inline uint32_t Crc32Of(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

inline RawMember StoredMember(const std::string& name, const std::string& data) {
  RawMember m;
  m.Name = name;
  m.Data = data;
  m.Unpacked = static_cast<uint32_t>(data.size());
  m.Crc = Crc32Of(data);
  return m;
}

}  // namespace vm::test

#include "archive/components/bh_extractor.h"

namespace vm::test {

// Extracts every member of an archive into dir; the codes reported are
// appended to codes when given.
inline int32_t ExtractInto(const std::string& archive, const std::string& dir, std::vector<int>* codes = nullptr,
                           bool useStoredDirs = true) {
  TUnBh ext;
  ext.OnError = [codes](const std::string&, const std::string&, const std::string&, int code) {
    if (codes) codes->push_back(code);
  };
  ext.SetArchiveFile(archive);
  ext.SetExtractDir(dir);
  ext.FileSpec = {"*.*"};
  ext.UseStoredDirs = useStoredDirs;
  return ext.Extract();
}

}  // namespace vm::test
