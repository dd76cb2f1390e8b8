// What the "Ярлыки" tab does to the working price tags.
#include "documents/designer/labels_page.h"

#include <algorithm>

#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr int kSizeWidth = 5;
constexpr int kZoneNumberWidth = 3;

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

TCennik* TLabelsPage::CurrentTag() const {
  return currentTag_ >= 0 && currentTag_ < d_.PriceTags.Count() ? d_.PriceTags.GetItem(currentTag_)
                                                                : nullptr;
}

TCenZone* TLabelsPage::CurrentZone() const {
  const TCennik* tag = CurrentTag();
  return tag && currentZone_ >= 0 && currentZone_ < tag->ZoneCount() ? tag->GetZone(currentZone_)
                                                                     : nullptr;
}

void TLabelsPage::ShowCennik(int32_t index) {
  d_.Host().ShowTagPictures(nullptr);
  if (d_.PriceTags.Count() == 0) {
    currentTag_ = currentZone_ = -1;
    return;
  }
  index = Clamp(index, 0, d_.PriceTags.Count() - 1);
  if (index != currentTag_) {
    currentTag_ = index;
    currentZone_ = CurrentTag()->ZoneCount() > 0 ? 0 : -1;
  }
  // The shown tag chosen again gets its pictures back too.
  d_.Host().ShowTagPictures(CurrentTag());
}

TCennik* TLabelsPage::TagToDraw() {
  TCennik* tag = CurrentTag();
  if (!tag) return nullptr;
  tag->Width = std::max(tag->Width, 1);
  tag->Height = std::max(tag->Height, 1);
  return tag;
}

void TLabelsPage::SelectTagText(const std::string& text) {
  const std::string t = TrimBlanks(text);
  if (t.empty() || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
      t.size() > 9)
    return;
  const int32_t value = std::stoi(t);
  if (value > d_.PriceTags.Count()) return;
  ShowCennik(Clamp(value, 1, d_.PriceTags.Count()) - 1);
}

void TLabelsPage::SelectZoneText(const std::string& text) {
  if (!IsValidNumStr(TrimBlanks(text), kZoneNumberWidth, 0)) return;
  const TCennik* tag = CurrentTag();
  if (!tag || tag->ZoneCount() == 0) return;
  SelectZone(Clamp(std::stoi(TrimBlanks(text)), 1, tag->ZoneCount()) - 1);
}

void TLabelsPage::SelectZone(int32_t index) {
  const TCennik* tag = CurrentTag();
  currentZone_ = tag && index >= 0 && index < tag->ZoneCount() ? index : -1;
}

int32_t TLabelsPage::SpinValue(TCenSpin spin) const {
  const TCennik* tag = CurrentTag();
  const TCenZone* zone = CurrentZone();
  switch (spin) {
    case TCenSpin::Border:
      return tag ? tag->LineWidth : 0;
    case TCenSpin::Height:
      return tag ? tag->Height : 0;
    case TCenSpin::Width:
      return tag ? tag->Width : 0;
    default:
      break;
  }
  if (!zone) return 0;
  return zone
      ->Rect[static_cast<std::size_t>(static_cast<int>(spin) - static_cast<int>(TCenSpin::ZoneX))];
}

void TLabelsPage::ApplyCenSpin(TCenSpin spin, const std::string& text) {
  TCennik* tag = CurrentTag();
  const std::string t = TrimBlanks(text);
  if (!tag || !IsValidNumStr(t, kSizeWidth, 0)) return;
  const int32_t value = std::stoi(t);
  switch (spin) {
    case TCenSpin::Border:
      tag->LineWidth = value;
      return;
    case TCenSpin::Height:
      tag->Height = value;
      return;
    case TCenSpin::Width:
      tag->Width = value;
      return;
    default:
      break;
  }
  if (TCenZone* zone = CurrentZone())
    zone->Rect[static_cast<std::size_t>(static_cast<int>(spin) -
                                        static_cast<int>(TCenSpin::ZoneX))] = value;
}

void TLabelsPage::ClickTag(int32_t x, int32_t y) {
  const TCennik* tag = CurrentTag();
  if (!tag) return;
  const int32_t zone = CenZoneAt(*tag, x, y);
  if (zone >= 0) currentZone_ = zone;
}

void TLabelsPage::AddTag() {
  NewCennik(d_.PriceTags);
  ShowCennik(d_.PriceTags.Count() - 1);
}

bool TLabelsPage::DeleteTag() {
  if (!CurrentTag()) return false;
  if (!AskYesNo("Вы действительно хотите удалить ярлык №"_w + std::to_string(currentTag_ + 1) + "?",
                "Удаление ярлыка"_w))
    return false;
  // Its pictures and its preview go before the tag does.
  d_.Host().ShowTagPictures(nullptr);
  const int32_t index = currentTag_;
  d_.PriceTags.DeleteItem(index);
  currentTag_ = -1;
  ShowCennik(index);
  return true;
}

void TLabelsPage::AddZone() {
  TCennik* tag = CurrentTag();
  if (!tag) return;
  NewCenZone(tag->Zones);
  currentZone_ = tag->ZoneCount() - 1;
}

bool TLabelsPage::DeleteZone() {
  TCennik* tag = CurrentTag();
  if (!tag || tag->ZoneCount() == 0) return false;
  const int32_t n = Clamp(currentZone_ + 1, 1, tag->ZoneCount());
  if (!AskYesNo("Вы действительно хотите удалить зону №"_w + std::to_string(n) + "?",
                "Удаление зоны"_w))
    return false;
  DeleteItem(tag->Zones, n - 1);
  SelectZone(std::min(n, tag->ZoneCount()) - 1);
  return true;
}

TZoneDialogValues TLabelsPage::ZoneDialog() const {
  TZoneDialogValues v;
  const TCenZone* zone = CurrentZone();
  if (!zone) return v;
  v.Text = zone->Text;
  v.NonPrintChars = zone->NonPrintChars;
  v.OnlyFirst = zone->OnlyFirst;
  v.Barcode = zone->Barcode;
  v.BarWidth = std::to_string(zone->BarWidth);
  v.LetterCase = zone->LetterCase == 0 || zone->LetterCase == 1 ? zone->LetterCase : 2;
  v.Alignment = Clamp(zone->Alignment, 0, 2);
  v.FontName = zone->FontName;
  v.FontStyle = zone->FontStyle;
  v.FontSize = zone->FontSize;
  v.FontColor = zone->FontColor;
  return v;
}

void TLabelsPage::StoreZoneDialog(const TZoneDialogValues& v) {
  TCenZone* zone = CurrentZone();
  if (!zone) return;
  CompileCenZone(*zone, v.Text);
  zone->NonPrintChars = v.NonPrintChars;
  zone->OnlyFirst = v.OnlyFirst;
  zone->Barcode = v.Barcode;
  const std::string bar = TrimBlanks(v.BarWidth);
  if (IsValidNumStr(bar, kSizeWidth, 0)) zone->BarWidth = std::stoi(bar);
  zone->LetterCase = v.LetterCase;
  zone->Alignment = v.Alignment;
  zone->FontName = v.FontName;
  zone->FontStyle = v.FontStyle;
  zone->FontSize = v.FontSize;
  zone->FontColor = v.FontColor;
}

void TLabelsPage::StartGraphics(TGraphicsEditor& editor) const {
  editor.List.clear();
  if (const TCennik* tag = CurrentTag()) CopyGraphics(tag->Graphics, editor.List);
  editor.Start();
}

void TLabelsPage::TakeGraphics(const TGraphicsEditor& editor) {
  TCennik* tag = CurrentTag();
  if (!tag) return;
  d_.Host().ShowTagPictures(nullptr);
  CopyGraphics(editor.List, tag->Graphics);
  d_.Host().ShowTagPictures(tag);
}

void TLabelsPage::Enable(TDesignerEnabling& e) const {
  const TCennik* tag = CurrentTag();
  e.TagCommands = tag != nullptr;
  e.ZoneCommands = CurrentZone() != nullptr;
  e.TagSpin = d_.PriceTags.Count() > 1;
  e.ZoneSpin = tag && tag->ZoneCount() > 1;
}

}  // namespace vm
