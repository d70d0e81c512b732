#include "pages/dir_list_box.h"

#include <algorithm>

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/window_manager.h"
#include "pages/row_metrics.h"
#include "pages/shared_images.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace cdsetup::pages {

using namespace framework;

CDirListBox::CDirListBox(platform::Platform& platform) : m_platform(platform) {
  LoadImages();
}

void CDirListBox::LoadImages() {
  SharedImage(kClosedFolderIcon);
  SharedImage(kOpenFolderIcon);
  SharedImage(kFocusPattern);
}

bool CDirListBox::Create(std::uint64_t style, const CRect& rect, CWnd* parent, int id,
                         const std::string& initial) {
  const std::uint64_t own =
      kStyleVScroll | kStyleDisableNoScroll | kStyleOwnerDrawFixed | kStyleSort | kStyleNotify;
  if (!CListBox::Create(style | own, rect, parent, id)) return false;
  const std::string start = initial.empty() ? CurrentDirectory(m_platform) : initial;
  Fill(start);
  SetRedraw(true);
  NotifyChanged();
  return true;
}

const DirItem* CDirListBox::Row(int index) const {
  return reinterpret_cast<const DirItem*>(GetItemData(index));
}

std::vector<const DirItem*> CDirListBox::Rows() const {
  std::vector<const DirItem*> rows;
  for (int i = 0; i < GetCount(); ++i) rows.push_back(Row(i));
  return rows;
}

int CDirListBox::CompareItem(LPCOMPAREITEMSTRUCT item) {
  return CompareDirItems(*reinterpret_cast<const DirItem*>(item->itemData1),
                         *reinterpret_cast<const DirItem*>(item->itemData2));
}

void CDirListBox::DeleteItem(LPDELETEITEMSTRUCT item) {
  delete reinterpret_cast<DirItem*>(item->itemData);
  CListBox::DeleteItem(item);
}

int CDirListBox::AddPathParts(std::string& path) {
  std::vector<DirItem> parts;
  const int count = pages::AddPathParts(m_platform, path, parts);
  if (count > kMaxPathParts) return -1;  // before any row is added
  // The parts go in at the end, in path order, not through the sorting.
  for (DirItem& part : parts) {
    const int row = InsertString(GetCount(), "");
    SetItemData(row, reinterpret_cast<std::uintptr_t>(new DirItem(std::move(part))));
  }
  return count;
}

bool CDirListBox::Fill(const std::string& path) {
  SetRedraw(false);
  m_strCurPath = path;
  ResetContent();
  std::string p = path;
  if (p.empty() || p.back() != '\\') p += '\\';
  // A path deeper than a row level can count (-1) is refused, not wrapped.
  const int n = AddPathParts(p);
  if (n <= 0) return false;
  std::vector<DirItem> subdirectories;
  if (!ListSubdirectories(m_platform, p, n, subdirectories)) return false;
  for (DirItem& item : subdirectories) {
    AddItemData(reinterpret_cast<std::uintptr_t>(new DirItem(std::move(item))));
  }
  return true;
}

void CDirListBox::SetPath(const std::string& requested, bool redraw) {
  const std::string old = m_strCurPath;
  std::string path = requested;
  for (;;) {
    if (Fill(path)) break;
    std::string text = windows()->ResourceText(
        resources::LoadResourceString(resources::IDS_CANNOT_READ_DIRECTORY));
    if (std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, path);
    if (AfxMessageBox(*windows(), text, MB_RETRYCANCEL | MB_ICONSTOP,
                      resources::IDP_DIRECTORY_UNREADABLE) == IDRETRY)
      continue;
    if (path != old) {
      path = old;
      continue;
    }
    break;
  }
  if (redraw) SetRedraw(true);
}

std::string CDirListBox::GetPath() const {
  return PathOfRows(Rows());
}

std::string CDirListBox::GetSelectedPath() const {
  return SelectedPathOfRows(Rows(), GetCurSel());
}

void CDirListBox::NotifyChanged() {
  CWnd* parent = GetParent();
  if (!parent) return;
  parent->PostMessage(WM_COMMAND,
                      MAKEWPARAM(static_cast<UINT>(GetDlgCtrlID()) & 0xFFFF, kDirListChanged),
                      reinterpret_cast<LPARAM>(this));
}

void CDirListBox::OnActivateRow() {
  const int selected = GetCurSel();
  if (selected < 0) return;
  DirItem key{Row(selected)->strName, false, -1};
  SetPath(GetSelectedPath(), false);
  if (key.strName.empty() || key.strName.back() != '\\') key.strName += '\\';
  // The first row from the top with the key's name: the part just entered.
  int found = -1;
  for (int i = 0; i < GetCount() && found < 0; ++i) {
    if (CompareDirItems(key, *Row(i)) == 0) found = i;
  }
  SetCurSel(found);
  NotifyChanged();
  SetRedraw(true);
}

bool CDirListBox::OnChildNotify(UINT code) {
  if (code == LBN_DBLCLK) OnActivateRow();
  return false;  // the parent sees the double-click too
}

UINT CDirListBox::OnGetDlgCode() {
  return CListBox::OnGetDlgCode() | DLGC_WANTALLKEYS;
}

void CDirListBox::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  switch (key) {
    case VK_TAB:
      // Shift is not looked at: Shift+Tab moves forward as well.
      if (auto* dialog = dynamic_cast<CDialog*>(GetParent())) dialog->NextDlgCtrl();
      return;
    case VK_RETURN:
      // Opening a folder with the keyboard is a double-click: the page
      // hears of it too, so its path field follows the list.
      if (GetCurSel() < 0) return;
      if (state_->style & kStyleNotify) {
        NotifyParent(*state_, LBN_DBLCLK);  // reflected here first, then the page's
      } else {
        OnActivateRow();
      }
      return;
    case VK_ESCAPE:
      if (CWnd* parent = GetParent()) parent->PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
      return;
    default:
      CListBox::OnKeyDown(key, repeat, flags);
  }
}

void CDirListBox::DrawItem(LPDRAWITEMSTRUCT item) {
  CDC& dc = *item->hDC;
  const int saved = dc.SaveDC();
  if (!m_pFont) InitFont(&dc);
  if (item->itemID == -1) {
    dc.RestoreDC(saved);
    return;
  }
  const DirItem& row = *reinterpret_cast<const DirItem*>(item->itemData);
  // Indents and icons are meant at 96 dpi.
  const int icon = ScaledPixels(16);
  int x = ScaledPixels(3 + 10 * row.nLevel);
  ImagePtr picture = SharedImage(row.bPathPart ? kOpenFolderIcon : kClosedFolderIcon);
  dc.SelectObject(m_pFont);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextAlign(TA_LEFT | TA_TOP);
  const auto [text, back] = ColoursFor(item->itemState);
  const CRect& rc = item->rcItem;
  dc.FillSolidRect(rc, back);
  dc.DrawIcon(rc.left + x, rc.top + (m_nItemHeight - icon) / 2, picture, icon, icon, back);
  x += ScaledPixels(20);
  dc.SetTextColor(text);
  dc.NameOut(rc.left + x, rc.top + (m_nItemHeight - m_nTextHeight) / 2, row.strName);
  if (item->itemState & ODS_FOCUS) dc.FrameRect(rc, CBrush{SharedImage(kFocusPattern), 0});
  dc.RestoreDC(saved);
}

}  // namespace cdsetup::pages
