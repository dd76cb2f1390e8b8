// Price tags on a canvas: each zone's value worked out and drawn word-wrapped
// in its font or as a bar pattern, the graphic objects under the zones, and
// the frame round the tag. Lengths are 0.1 mm, turned into pixels at the
// canvas's font resolution times a zoom, so the screen and the printer draw
// the same tag.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/price_tags.h"
#include "foundation/draw/canvas.h"

namespace vm {

// The text a zone shows: its value, cased and with the unwanted characters
// dropped, or why it has none.
std::string EvalCenZone(const TCenZone& zone);

struct TTagPixels {
  int32_t X = 0;
  int32_t Y = 0;
};
// The tag's size on the canvas at zoom 1, frame included, plus one pixel.
TTagPixels CennikPixelSize(const TCennik& tag, TCanvas& canvas);

// Draws the tag with its top-left corner at (x, y) device pixels; zone
// frames in red show where the zones lie, as the editor wants them.
void DrawCennik(const TCennik& tag, TCanvas& canvas, int32_t x, int32_t y, long double zoom,
                bool showZoneFrames);
void DrawGraphObject(const TGOList& objects, int32_t index, TCanvas& canvas, int32_t x, int32_t y,
                     long double zoom);

// Where a tag stands fitted into a container at the largest scale that
// keeps its shape: the box (the tag and one pixel round it), the zoom and
// where the tag's corner lies in the box.
struct TFittedTag {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  long double Zoom = 0;
  int32_t Offset = 0;
};
TFittedTag FitCennik(const TCennik& tag, int32_t ppi, int32_t containerWidth, int32_t containerHeight);

// Reads a picture file; nullptr when it cannot. The windows install Qt's
// reader; without one no picture loads.
using TPictureReader = std::function<std::unique_ptr<TPicture>(const std::string& path)>;
void InstallPictureReader(TPictureReader reader);

// The pictures of the tag (or print job) being drawn; one list for the
// program.
class TPictList {
 public:
  // Loads the file (relative names from the data directory) and keeps the
  // picture; nullptr, and nothing kept, when it cannot be read.
  TPicture* LoadPicture(const std::string& fileName);
  void Clear() { items_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }

 private:
  std::vector<std::unique_ptr<TPicture>> items_;
};
TPictList& Pictures();

// Empties the picture list and loads the picture of every picture object
// of list into it.
void LoadPictures(const TGOList& list);
// Forgets the pictures of list and empties the picture list.
void ReleasePictures(const TGOList& list);

}  // namespace vm
