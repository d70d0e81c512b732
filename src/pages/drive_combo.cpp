#include "pages/drive_combo.h"

#include <algorithm>

#include "base/ascii.h"
#include "pages/row_metrics.h"
#include "pages/shared_images.h"

namespace cdsetup::pages {

using namespace framework;

CDriveCombo::CDriveCombo(platform::Platform& platform) : m_platform(platform) {
  LoadImages();
}

void CDriveCombo::LoadImages() {
  // Every row icon a drive may get (0 is no kind: the unknown drive's).
  for (int kind : {0, int{kDriveFloppy}, int{kDriveFixed}, int{kDriveNetwork}, int{kDriveCdRom},
                   int{kDriveRam}, int{kDriveCompressed}}) {
    SharedImage(DriveIconId(kind));
  }
  SharedImage(kFocusPattern);
}

bool CDriveCombo::Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id) {
  const std::uint64_t own =
      kStyleVScroll | kStyleHasStrings | kStyleOwnerDrawFixed | kStyleDropDownList;
  if (!CComboBox::Create((style & ~std::uint64_t{7}) | own, rect, parent, id)) return false;
  m_nOptions = static_cast<unsigned>(style & 7);
  FillDrives();
  SelectCurrentDrive();
  return true;
}

void CDriveCombo::FillDrives() {
  for (const DriveRow& row : ListDrives(m_platform, m_nOptions)) {
    const int index = AddString(row.text);
    if (index >= 0) SetItemData(index, static_cast<std::uintptr_t>(row.kind));
  }
}

void CDriveCombo::SelectDrive(const std::string& path) {
  const std::size_t slash = path.find('\\');
  const std::string prefix = slash == std::string::npos ? path : path.substr(0, slash + 1);
  for (int i = 0; i < GetCount(); ++i) {
    const std::string text = GetLBText(i);
    if (text.size() >= prefix.size() &&
        base::EqualsIgnoreCaseAscii(std::string_view(text).substr(0, prefix.size()), prefix)) {
      SetCurSel(i);
      return;
    }
  }
}

std::string CDriveCombo::GetDrive() const {
  const int selected = GetCurSel();
  if (selected < 0) return {};
  const std::string text = GetLBText(selected);
  const std::size_t slash = text.find('\\');
  return slash == std::string::npos ? text : text.substr(0, slash + 1);
}

void CDriveCombo::SelectCurrentDrive() {
  const std::string dir = CurrentDirectory(m_platform);
  if (!dir.empty()) SelectDrive(dir);
}

void CDriveCombo::DrawItem(LPDRAWITEMSTRUCT item) {
  CDC& dc = *item->hDC;
  const int saved = dc.SaveDC();
  if (!m_pFont) InitFont(&dc);
  int index = item->itemID;
  if (index == -1) {
    dc.RestoreDC(saved);
    return;
  }
  if (item->itemState & ODS_COMBOBOXEDIT) index = GetCurSel();
  if (index < 0) {  // the closed field of a list without a selection
    dc.RestoreDC(saved);
    return;
  }
  const int kind = static_cast<int>(GetItemData(index));
  const int icon_id = DriveIconId(kind);
  ImagePtr icon = icon_id ? SharedImage(icon_id) : nullptr;
  dc.SelectObject(m_pFont);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextAlign(TA_LEFT | TA_TOP);
  const auto [text, back] = ColoursFor(item->itemState);
  const CRect& rc = item->rcItem;
  dc.FillSolidRect(rc, back);
  // Margins and icons are meant at 96 dpi.
  int x = ScaledPixels(3);
  if (m_nOptions & kShowIcons) {
    const int side = ScaledPixels(16);
    dc.DrawIcon(rc.left + x, rc.top + (m_nItemHeight - side) / 2, icon, side, side, back);
    x = ScaledPixels(23);
  }
  dc.SetTextColor(text);
  dc.NameOut(rc.left + x, rc.top + (m_nItemHeight - m_nTextHeight) / 2, GetLBText(index));
  if (item->itemState & ODS_FOCUS) dc.FrameRect(rc, CBrush{SharedImage(kFocusPattern), 0});
  dc.RestoreDC(saved);
}

}  // namespace cdsetup::pages
