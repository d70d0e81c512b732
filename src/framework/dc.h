// A device context that records what is drawn. A backend replays the record
// (the real windows paint it, the console reads its texts); tests read it
// directly. Text is measured through the backend's font metrics.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win_types.h"
#include "resources/image.h"

namespace cdsetup::framework {

/// A font by name and size in points; the backend knows its metrics.
struct CFont {
  std::string name = "MS Sans Serif";
  int points = 8;
};

/// A 16 x 16 icon or a bitmap; shared, never copied when drawn.
using ImagePtr = std::shared_ptr<const resources::Image>;

/// A brush made from a pattern bitmap (the focus frame's checkerboard).
struct CBrush {
  ImagePtr pattern;
  COLORREF color = 0;
};

#if !defined(CDSETUP_WINDOWS_NAMES)
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr UINT TA_LEFT = 0;
inline constexpr UINT TA_TOP = 0;
#endif

struct DrawOp {
  enum Kind { kFill, kText, kIcon, kFrame, kBitmap } kind;
  CRect rect;             // kFill, kFrame: the rectangle; others: where drawn
  std::string text;       // kText (ANSI)
  COLORREF color = 0;     // kFill: fill; kText: text colour
  COLORREF bk_color = 0;  // kText: background when opaque; kIcon: flicker-free background
  int bk_mode = OPAQUE;
  CFont font;
  ImagePtr image;     // kIcon, kBitmap; kFrame: the pattern
  bool name = false;  // kText: a name of the system, not a text
};

/// Measures a text in a font: width and height in pixels.
using TextMeasure = std::function<CSize(const CFont&, const std::string&)>;

/// Average-character metrics of the dialog fonts at 96 dpi: 6 x 13 pixels.
CSize FixedPitchMeasure(const CFont& font, const std::string& text);

class CDC {
 public:
  explicit CDC(TextMeasure measure = FixedPitchMeasure) : measure_(std::move(measure)) {}

  int SaveDC();
  bool RestoreDC(int saved);

  COLORREF SetTextColor(COLORREF c);
  int SetBkMode(int mode);
  UINT SetTextAlign(UINT align);
  /// Selects `font` (null keeps the current one) and returns the one before.
  const CFont* SelectObject(const CFont* font);

  void FillSolidRect(const CRect& rect, COLORREF color);
  bool TextOut(int x, int y, const std::string& text);
  /// TextOut of a name of the system (a folder's, a drive's label).
  bool NameOut(int x, int y, const std::string& name);
  CSize GetTextExtent(const std::string& text) const;
  /// Pixels are device units here: the mapping mode is always MM_TEXT.
  void LPtoDP(CSize* size) const { (void)size; }
  /// Draws a 16 x 16 icon at (x, y), painted over `background` first so the
  /// row does not flicker. A null icon draws nothing.
  void DrawIcon(int x, int y, const ImagePtr& icon, int cx, int cy, COLORREF background);
  /// A frame of one pixel around `rect` with the brush's pattern.
  void FrameRect(const CRect& rect, const CBrush& brush);
  void BitBlt(int x, int y, int cx, int cy, const ImagePtr& bitmap);

  const std::vector<DrawOp>& ops() const { return ops_; }
  void Clear() { ops_.clear(); }

 private:
  struct State {
    COLORREF text = 0;
    COLORREF bk = RGB(255, 255, 255);
    int bk_mode = OPAQUE;
    UINT align = TA_LEFT | TA_TOP;
    const CFont* font = nullptr;
  };
  TextMeasure measure_;
  State state_;
  std::vector<State> saved_;
  std::vector<DrawOp> ops_;
  CFont default_font_;
};

}  // namespace cdsetup::framework
