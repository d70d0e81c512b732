// What the two owner-drawn list controls share: the parent's font, the row
// height measured from a sample text, the row colours, and the current
// directory they start from.
#pragma once

#include <string>

#include "framework/wnd.h"
#include "platform/platform.h"

namespace cdsetup::pages {

struct RowMetrics {
  int text_height = 0;  // of "1Mgj" in the font
  int item_height = 0;  // text_height, but at least the icons' 16 (at 96 dpi)
};

/// The parent window's font (the control's own without a parent).
const framework::CFont* ParentFont(const framework::CWnd& control);

/// Measures the sample text in `font` through `control`'s device context.
RowMetrics MeasureRows(const framework::CWnd& control, const framework::CFont* font);

struct RowColours {
  framework::COLORREF text;
  framework::COLORREF back;
};

/// Highlight colours for a selected row, window colours otherwise.
RowColours ColoursFor(framework::UINT item_state);

/// The process's current directory, as read into a 260-byte buffer.
std::string CurrentDirectory(platform::Platform& platform);

}  // namespace cdsetup::pages
