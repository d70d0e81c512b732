// The drive list: an owner-drawn drop-down list of the drives that may be
// installed to, each row with its icon, root, volume name and free space.
#pragma once

#include <string>

#include "framework/controls.h"
#include "pages/drive_rows.h"
#include "platform/platform.h"

namespace cdsetup::pages {

class CDriveCombo : public framework::CComboBox {
 public:
  /// Lists the drives `platform` shows; it must outlive the list.
  explicit CDriveCombo(platform::Platform& platform);

  /// Creates the list; the lowest three bits of `style` are the display
  /// options. Fills the rows and selects the current directory's drive.
  bool Create(std::uint64_t style, const framework::CRect& rect, framework::CWnd* parent, int id);

  virtual void SelectDrive(const std::string& path);
  virtual std::string GetDrive() const;
  virtual void SelectCurrentDrive();
  virtual void FillDrives();
  virtual void InitFont(framework::CDC* dc);
  virtual void LoadImages();

  unsigned options() const { return m_nOptions; }
  int item_height() const { return m_nItemHeight; }
  int text_height() const { return m_nTextHeight; }

  void DrawItem(framework::LPDRAWITEMSTRUCT item) override;
  void MeasureItem(framework::LPMEASUREITEMSTRUCT item) override;
  int OnCreate() override;

 private:
  int m_nTextHeight = 0;
  int m_nItemHeight = 16;
  unsigned m_nOptions = 0;
  const framework::CFont* m_pFont = nullptr;
  platform::Platform& platform_;
};

}  // namespace cdsetup::pages
