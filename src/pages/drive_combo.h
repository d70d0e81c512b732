// The drive list: an owner-drawn drop-down list of the drives that may be
// installed to, each row with its icon, root, volume name and free space.
#pragma once

#include <string>

#include "framework/controls.h"
#include "pages/drive_rows.h"
#include "pages/owner_drawn_list.h"
#include "platform/platform.h"

namespace cdsetup::pages {

class CDriveCombo : public COwnerDrawnList<framework::CComboBox> {
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
  virtual void LoadImages();

  unsigned options() const { return m_nOptions; }

  void DrawItem(framework::LPDRAWITEMSTRUCT item) override;

 private:
  unsigned m_nOptions = 0;
  platform::Platform& m_platform;
};

}  // namespace cdsetup::pages
