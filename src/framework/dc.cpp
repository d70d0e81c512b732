#include "framework/dc.h"

namespace cdsetup::framework {

COLORREF GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW:
      return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
      return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
      return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT:
      return RGB(255, 255, 255);
    default:
      return RGB(192, 192, 192);
  }
}

CSize FixedPitchMeasure(const CFont&, const std::string& text) {
  return {static_cast<int>(text.size()) * 6, 13};
}

int CDC::SaveDC() {
  saved_.push_back(state_);
  return static_cast<int>(saved_.size());
}

bool CDC::RestoreDC(int saved) {
  // -1 is the state saved last, as with the system's call.
  std::size_t level = saved < 0 ? saved_.size() : static_cast<std::size_t>(saved);
  if (level == 0 || level > saved_.size()) return false;
  state_ = saved_[level - 1];
  saved_.resize(level - 1);
  return true;
}

COLORREF CDC::SetTextColor(COLORREF c) {
  COLORREF old = state_.text;
  state_.text = c;
  return old;
}

int CDC::SetBkMode(int mode) {
  int old = state_.bk_mode;
  state_.bk_mode = mode;
  return old;
}

UINT CDC::SetTextAlign(UINT align) {
  UINT old = state_.align;
  state_.align = align;
  return old;
}

const CFont* CDC::SelectObject(const CFont* font) {
  const CFont* old = state_.font ? state_.font : &default_font_;
  if (font) state_.font = font;
  return old;
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
  ops_.push_back({DrawOp::kFill, rect, {}, color, color, OPAQUE, {}, nullptr});
}

bool CDC::TextOut(int x, int y, const std::string& text) {
  const CFont& font = state_.font ? *state_.font : default_font_;
  CSize size = measure_(font, text);
  ops_.push_back({DrawOp::kText,
                  {x, y, x + size.cx, y + size.cy},
                  text,
                  state_.text,
                  state_.bk,
                  state_.bk_mode,
                  font,
                  nullptr});
  return true;
}

bool CDC::NameOut(int x, int y, const std::string& name) {
  TextOut(x, y, name);
  ops_.back().name = true;
  return true;
}

CSize CDC::GetTextExtent(const std::string& text) const {
  return measure_(state_.font ? *state_.font : default_font_, text);
}

void CDC::DrawIcon(int x, int y, const ImagePtr& icon, int cx, int cy, COLORREF background) {
  if (!icon) return;
  ops_.push_back({DrawOp::kIcon, {x, y, x + cx, y + cy}, {}, 0, background, OPAQUE, {}, icon});
}

void CDC::FrameRect(const CRect& rect, const CBrush& brush) {
  ops_.push_back({DrawOp::kFrame, rect, {}, brush.color, 0, OPAQUE, {}, brush.pattern});
}

void CDC::BitBlt(int x, int y, int cx, int cy, const ImagePtr& bitmap) {
  if (!bitmap) return;
  ops_.push_back({DrawOp::kBitmap, {x, y, x + cx, y + cy}, {}, 0, 0, OPAQUE, {}, bitmap});
}

}  // namespace cdsetup::framework
