// The look of a self-painted label: font, colours, alignment.
#pragma once

#include <cstdint>
#include <string>

namespace zc::fp {

struct CRgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const CRgb&) const = default;
};

enum class CAlign { Left, Centre, Right };

struct CLabelStyle {
  static constexpr unsigned kBold = 0x01, kItalic = 0x02, kUnderline = 0x04, kStrikeout = 0x08,
                            kSmooth = 0x10, kCentre = 0x20, kLeft = 0x40, kRight = 0x80;

  bool bold = false, italic = false, underline = false, strikeout = false, smooth = false;
  bool hasBackground = false;
  CRgb background;
  CAlign align = CAlign::Left;
  std::string faceName = "MS Sans Serif";
  CRgb textColour;
  int height = 8;

  // Attribute flags only ever switch on; the alignment is set anew by every call.
  void SetFontStyle(const std::string& face, int fontHeight, CRgb colour, unsigned flags) {
    faceName = face;
    height = fontHeight;
    textColour = colour;
    if (flags & kBold) bold = true;
    if (flags & kItalic) italic = true;
    if (flags & kUnderline) underline = true;
    if (flags & kStrikeout) strikeout = true;
    if (flags & kSmooth) smooth = true;
    align = (flags & kCentre) ? CAlign::Centre : (flags & kRight) ? CAlign::Right : CAlign::Left;
  }
};

}  // namespace zc::fp
