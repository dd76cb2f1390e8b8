// A canvas with fixed character metrics that records what is drawn.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/draw/canvas.h"

namespace vm::test {

class FakeCanvas : public TCanvas {
 public:
  explicit FakeCanvas(int32_t ppi = 96, int32_t charWidth = 8, int32_t textHeight = 16)
      : ppi_(ppi), charWidth_(charWidth), textHeight_(textHeight) {}

  int32_t PixelsPerInch() const override { return ppi_; }
  void SetFont(int32_t height, uint8_t style) override {
    Log("Font " + std::to_string(height) + (style & kFontBold ? " bold" : ""));
  }
  void SetFontName(std::string_view family) override { fontName = family; }
  void SetFontColor(uint32_t rgb) override { fontColor = rgb; }
  int32_t TextWidth(std::string_view text) override {
    return static_cast<int32_t>(text.size()) * charWidth_;
  }
  int32_t TextHeight(std::string_view) override { return textHeight_; }
  void TextOut(int32_t x, int32_t y, std::string_view text) override {
    Log("Text " + Point(x, y) + " " + std::string(text));
  }
  void SetPenWidth(int32_t width) override { Log("Pen " + std::to_string(width)); }
  void SetPenColor(uint32_t rgb) override { penColor = rgb; }
  void MoveTo(int32_t x, int32_t y) override { Log("MoveTo " + Point(x, y)); }
  void LineTo(int32_t x, int32_t y) override { Log("LineTo " + Point(x, y)); }
  void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) override {
    Log("Rect " + Point(l, t) + " " + Point(r, b));
  }

  // Only the operations whose log line starts with prefix.
  std::vector<std::string> Only(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const std::string& op : ops)
      if (op.starts_with(prefix)) out.push_back(op);
    return out;
  }

  std::vector<std::string> ops;
  std::string fontName;
  uint32_t fontColor = 0xFFFFFFFF;
  uint32_t penColor = 0xFFFFFFFF;

 private:
  static std::string Point(int32_t x, int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
  }
  void Log(std::string op) { ops.push_back(std::move(op)); }

  int32_t ppi_;
  int32_t charWidth_;
  int32_t textHeight_;
};

}  // namespace vm::test
