// The printer settings record a page format stores: the public field layout
// of the Windows device-mode record (156 bytes, then the driver's private
// data), so that a format saved on another workstation keeps its
// orientation and paper here. Only the public fields are read; the driver's
// part travels along untouched.
#pragma once

#include <cstdint>
#include <string>

namespace vm {

inline constexpr int32_t kDevModeSize = 156;

// Field-mask bits: which fields the record sets.
inline constexpr uint32_t kDmOrientation = 0x0001;
inline constexpr uint32_t kDmPaperSize = 0x0002;
inline constexpr uint32_t kDmPaperLength = 0x0004;
inline constexpr uint32_t kDmPaperWidth = 0x0008;
inline constexpr uint32_t kDmScale = 0x0010;
inline constexpr uint32_t kDmCopies = 0x0100;
inline constexpr uint32_t kDmDefaultSource = 0x0200;
inline constexpr uint32_t kDmPrintQuality = 0x0400;
inline constexpr uint32_t kDmColor = 0x0800;
inline constexpr uint32_t kDmDuplex = 0x1000;
inline constexpr uint32_t kDmYResolution = 0x2000;
inline constexpr uint32_t kDmCollate = 0x8000;
inline constexpr uint32_t kDmFormName = 0x10000;

inline constexpr int16_t kDmPortrait = 1;
inline constexpr int16_t kDmLandscape = 2;

// Colour and two-sided values.
inline constexpr int16_t kDmMonochrome = 1;
inline constexpr int16_t kDmColour = 2;
inline constexpr int16_t kDmSimplex = 1;
inline constexpr int16_t kDmDuplexLong = 2;
inline constexpr int16_t kDmDuplexShort = 3;

// Paper sources (bins) in use.
inline constexpr int16_t kBinUpper = 1;
inline constexpr int16_t kBinLower = 2;
inline constexpr int16_t kBinMiddle = 3;
inline constexpr int16_t kBinManual = 4;
inline constexpr int16_t kBinEnvelope = 5;
inline constexpr int16_t kBinAuto = 7;
inline constexpr int16_t kBinLargeCapacity = 11;

// Paper size codes in use.
inline constexpr int16_t kPaperLetter = 1;
inline constexpr int16_t kPaperLegal = 5;
inline constexpr int16_t kPaperA3 = 8;
inline constexpr int16_t kPaperA4 = 9;
inline constexpr int16_t kPaperA5 = 11;
inline constexpr int16_t kPaperB5 = 13;

// The public fields, unpacked.
struct TDevMode {
  std::string DeviceName;  // at most 31 characters
  uint16_t SpecVersion = 0x0401;
  uint16_t DriverVersion = 0;
  uint16_t Size = kDevModeSize;
  uint16_t DriverExtra = 0;
  uint32_t Fields = 0;
  int16_t Orientation = kDmPortrait;
  int16_t PaperSize = kPaperA4;
  int16_t PaperLength = 0;  // 0.1 mm
  int16_t PaperWidth = 0;   // 0.1 mm
  int16_t Scale = 100;
  int16_t Copies = 1;
  int16_t DefaultSource = 0;
  int16_t PrintQuality = 0;  // dots per inch when positive
  int16_t Color = 0;
  int16_t Duplex = 0;
  int16_t YResolution = 0;
  int16_t Collate = 0;
  std::string FormName;
  std::string DriverData;  // the DriverExtra bytes behind the record
};

// Whether stored bytes hold a record that may be applied: the record's own
// size and its driver part lie within the bytes and its orientation, when
// set, is 1 or 2. why gets the reason (Windows-1251) when it does not.
bool DevModeValid(const std::string& bytes, std::string* why = nullptr);

// Reads the public fields of valid bytes; false (and mode untouched) for
// bytes DevModeValid refuses.
bool ReadDevMode(const std::string& bytes, TDevMode& mode);

// The record's bytes: Size bytes of public fields, then the driver part.
std::string WriteDevMode(const TDevMode& mode);

// Sets the orientation field (and its mask bit) inside valid bytes.
bool SetDevModeOrientation(std::string& bytes, bool landscape);

// Paper width and height in 0.1 mm for a paper code; false for a code not
// known here.
bool PaperSizeOfCode(int16_t code, int32_t& width, int32_t& height);

// The sheet a device mode asks for: its portrait width and height in
// 0.1 mm (the paper code's, overridden by the length and width fields when
// the mask sets them; A4 when nothing says) and the orientation.
struct TPaperRequest {
  int32_t Width = 2100;
  int32_t Height = 2970;
  int16_t Code = kPaperA4;
  bool Landscape = false;
};
TPaperRequest PaperOfDevMode(const std::string& bytes);

// The scale a device mode prints at, in percent: its scale field when the
// mask sets it within 10..400, else 100.
int32_t ScaleOfDevMode(const std::string& bytes);

}  // namespace vm
