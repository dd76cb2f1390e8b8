// The price-tag layouts as the settings files carry them. Drawing and
// printing live with the windows; here they are plain data so that the
// files round-trip whole.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/graph_object.h"

namespace vm {

// Font style as a set: bit 0 bold, 1 italic, 2 underline, 3 strike-out.
using TFontStyles = uint8_t;
inline constexpr TFontStyles kFsBold = 1, kFsItalic = 2, kFsUnderline = 4, kFsStrikeOut = 8;

// A zone's expression as the document language compiled it.
class ICompiledZone {
 public:
  virtual ~ICompiledZone() = default;
};

struct TCenZone {
  std::string Text;                    // expression text
  // The compiled text; nullptr when it did not compile, ErrorText then says
  // why.
  std::unique_ptr<ICompiledZone> Compiled;
  std::string ErrorText;
  std::array<int32_t, 4> Rect{0, 0, 50, 50};  // 0.1 mm
  int32_t Alignment = 1;               // 0 left, 1 centre, 2 right
  int32_t LetterCase = 0;              // 0 upper, 1 lower, 2 as it is
  std::string FontName;
  TFontStyles FontStyle = kFsBold;
  int32_t FontSize = 18;               // character cell, 0.1 mm
  int32_t FontColor = 0;
  std::string NonPrintChars;
  // Only a leading character is subject to NonPrintChars.
  bool OnlyFirst = true;
  bool Barcode = false;
  int32_t BarWidth = 1;                // narrowest bar, 0.01 mm

  // Whether (x, y), in 0.1 mm from the tag's corner, lies inside the zone,
  // edges included.
  bool Contains(int32_t x, int32_t y) const;
};

using TCenZones = std::vector<std::unique_ptr<TCenZone>>;
using TGOList = std::vector<std::unique_ptr<TGraphObject>>;

struct TCennik {
  int32_t LineWidth = 2;
  int32_t Width = 50;
  int32_t Height = 50;
  TCenZones Zones;
  TGOList Graphics;

  int32_t ZoneCount() const { return static_cast<int32_t>(Zones.size()); }
  TCenZone* GetZone(int32_t index) const { return Zones[static_cast<std::size_t>(index)].get(); }
  // Frame, size, zones (recompiled) and objects (without pictures) into
  // dest, replacing what it held.
  void CopyTo(TCennik& dest) const;
};

// Frees and removes one item; an index outside the list changes nothing.
template <class T>
void DeleteItem(std::vector<std::unique_ptr<T>>& list, int32_t index) {
  if (index >= 0 && static_cast<std::size_t>(index) < list.size()) list.erase(list.begin() + index);
}

// Empties dest and gives it a new zone for each of zones, its text
// compiled afresh so that the copy owns its own expression; a document's
// own zone expressions stay with the document.
void CopyZones(const TCenZones& zones, TCenZones& dest);
// Empties dest and gives it a copy of each object without its picture.
void CopyGraphics(const TGOList& list, TGOList& dest);

// The index of the first zone holding (x, y), 0.1 mm from the tag's
// corner; -1 when none does.
int32_t CenZoneAt(const TCennik& tag, int32_t x, int32_t y);

class TCenList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TCennik* GetItem(int32_t index) const { return items_[static_cast<std::size_t>(index)].get(); }
  void Clear() { items_.clear(); }
  TCennik* Append() { return items_.emplace_back(std::make_unique<TCennik>()).get(); }
  void DeleteItem(int32_t index) { vm::DeleteItem(items_, index); }
  // Empties dest and gives it a deep copy of every tag.
  void CopyTo(TCenList& dest) const;

 private:
  std::vector<std::unique_ptr<TCennik>> items_;
};

// The default font name of new zones (ШРИФТ of "program.ini").
std::string& DefaultFontName();

TCennik* NewCennik(TCenList& list);
// A zone numbered after the existing ones, in the default font, showing
// the literal 'Зона №n'.
TCenZone* NewCenZone(TCenZones& zones);
TGraphObject* NewGraphObject(TGOList& list);

// Compiles zone expressions: the document language provides it.
class IZoneCompiler {
 public:
  virtual ~IZoneCompiler() = default;
  // Stores Text as the zone's expression text and compiles it. Never fails:
  // a text that does not compile, or gives no printable value, leaves the
  // zone without a compiled expression and with its error text.
  virtual void CompileCenZone(TCenZone& zone, const std::string& text) = 0;
};

// The compiler zones use once compiling is enabled; none installed: texts
// are only kept.
void InstallZoneCompiler(IZoneCompiler* compiler);
// False until the start-up has the configuration loaded and the password
// accepted, so that reading the settings costs no compiling.
bool& CenZoneCompileEnabled();
// Releases the zone's expression and keeps text; compiles it when
// compiling is enabled (the error text stays as it was otherwise).
void CompileCenZone(TCenZone& zone, const std::string& text);
// Makes the zone show text as it stands: a quoted literal, apostrophes
// doubled.
void SetZoneText(TCenZone& zone, const std::string& text);
// Every zone of every tag compiled from its own text.
void CompileAllCenZones(const TCenList& list);

}  // namespace vm
