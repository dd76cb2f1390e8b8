// Named page formats: the printer device-mode bytes an administrator saved
// under a name, kept in the workstation's local settings as text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vm {

// A named page format with the printer's device-mode bytes.
struct TPageFormat {
  std::string Name;
  std::string DeviceMode;  // raw bytes

  int32_t Size() const { return static_cast<int32_t>(DeviceMode.size()); }
  void SetData(const std::string& bytes) { DeviceMode = bytes; }
  void ClearData() { DeviceMode.clear(); }
};

// The formats live apart, so a format stays where it is while others are
// added or deleted.
class TPageFormatList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const TPageFormat& GetItem(int32_t index) const { return *items_[static_cast<std::size_t>(index)]; }
  TPageFormat* GetFormat(int32_t index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
  }
  void Clear() { items_.clear(); }
  void Add(TPageFormat f) { items_.push_back(std::make_unique<TPageFormat>(std::move(f))); }
  // An empty format at the end.
  TPageFormat& AddNew();
  void Delete(int32_t index);
  // Empties dest and gives it copies of every format.
  void CopyTo(TPageFormatList& dest) const;

  // Name, "," and the bytes as two upper-case hexadecimal digits each.
  void FormatToText(int32_t index, std::string& s) const;
  // Parses that form (name and digits trimmed; either case; any other
  // character counts as a 0 digit; an odd last digit is ignored) into a new
  // format; a text without "," adds nothing and gives nullptr.
  TPageFormat* AddFromText(const std::string& s);
  // Ignores case; nullptr when absent.
  const TPageFormat* FindByName(const std::string& name) const;

 private:
  std::vector<std::unique_ptr<TPageFormat>> items_;
};

// The page formats of this workstation.
TPageFormatList& PageFormats();

}  // namespace vm
