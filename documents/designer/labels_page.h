// The "Ярлыки" page of the designer: price-tag layouts, their zones and
// sizes, in tenths of a millimetre.
#pragma once

#include <string>

#include "config/price_tags.h"
#include "documents/designer/designer_page.h"
#include "documents/designer/designer_rules.h"
#include "documents/designer/graphics_editor.h"

namespace vm {

// The size and position spins of the "Ярлыки" tab.
enum class TCenSpin { Border, Height, Width, ZoneX, ZoneY, ZoneWidth, ZoneHeight };

class TLabelsPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  int32_t CurrentTagIndex() const { return currentTag_; }
  TCennik* CurrentTag() const;
  int32_t CurrentZoneIndex() const { return currentZone_; }
  TCenZone* CurrentZone() const;
  // The tag at index (clamped), its first zone current; its pictures are
  // loaded again even when it was shown already.
  void ShowCennik(int32_t index);
  // The current tag, its width and height raised to at least 1 so that it
  // can be drawn; nullptr without one.
  TCennik* TagToDraw();
  // The texts of the number spins: invalid ones are ignored.
  void SelectTagText(const std::string& text);
  void SelectZoneText(const std::string& text);
  void SelectZone(int32_t index);
  int32_t SpinValue(TCenSpin spin) const;
  void ApplyCenSpin(TCenSpin spin, const std::string& text);
  // A click on the preview at (x, y) in 0.1 mm from the tag's corner: the
  // zone there becomes current; between zones nothing changes.
  void ClickTag(int32_t x, int32_t y);
  void AddTag();
  // Both ask first.
  bool DeleteTag();
  void AddZone();
  bool DeleteZone();
  // The zone text dialog's values of the current zone, and what its OK
  // stores (the expression compiled afresh).
  TZoneDialogValues ZoneDialog() const;
  void StoreZoneDialog(const TZoneDialogValues& v);
  // "Графика": the editor works on copies of the tag's objects; OK puts
  // them back and their pictures are loaded again.
  void StartGraphics(TGraphicsEditor& editor) const;
  void TakeGraphics(const TGraphicsEditor& editor);
  void Enable(TDesignerEnabling& e) const;
  // No tag shown.
  void Forget() { currentTag_ = currentZone_ = -1; }

 private:
  int32_t currentTag_ = -1;
  int32_t currentZone_ = -1;
};

}  // namespace vm
