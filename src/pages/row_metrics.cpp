#include "pages/row_metrics.h"

#include <algorithm>

#include "base/limits.h"

namespace cdsetup::pages {

using namespace framework;

const CFont* ParentFont(const CWnd& control) {
  CWnd* parent = control.GetParent();
  return parent ? parent->GetFont() : control.GetFont();
}

RowMetrics MeasureRows(const CWnd& control, const CFont* font) {
  CDC dc = control.GetDC();
  dc.SelectObject(font);
  // The first four characters of the stored sample "1Mgj0".
  CSize size = dc.GetTextExtent(std::string("1Mgj0", 4));
  dc.LPtoDP(&size);
  return {size.cy, std::max(size.cy, control.ScaledPixels(16))};
}

RowColours ColoursFor(UINT item_state) {
  const bool selected = (item_state & ODS_SELECTED) != 0;
  return {GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT),
          GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW)};
}

std::string CurrentDirectory(platform::Platform& platform) {
  std::string dir = platform.GetCurrentDirectoryA();
  if (dir.size() > base::kMaxPath) dir.resize(base::kMaxPath);
  return dir;
}

}  // namespace cdsetup::pages
