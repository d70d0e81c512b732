// The directory list: one branch of a folder tree, the parts of the current
// path with open folders, then its subdirectories with closed ones. A
// double-click or Enter moves into the directory a row names.
#pragma once

#include <string>

#include "framework/controls.h"
#include "pages/dir_rows.h"
#include "pages/owner_drawn_list.h"
#include "platform/platform.h"

namespace cdsetup::pages {

/// The command code the list posts to its parent after each navigation.
inline constexpr framework::UINT kDirListChanged = 101;

class CDirListBox : public COwnerDrawnList<framework::CListBox> {
 public:
  /// Lists the folders `platform` shows; it must outlive the list.
  explicit CDirListBox(platform::Platform& platform);
  /// The rows own their records: a window that outlives this object would
  /// hand them to a DeleteItem that no longer frees them.
  ~CDirListBox() override { DestroyWindow(); }

  /// Creates the list and shows `initial` (the current directory when empty).
  bool Create(std::uint64_t style, const framework::CRect& rect, framework::CWnd* parent, int id,
              const std::string& initial);

  virtual void SetPath(const std::string& path, bool redraw);
  virtual std::string GetPath() const;
  virtual std::string GetSelectedPath() const;
  virtual void NotifyChanged();
  virtual bool Fill(const std::string& path);
  virtual int AddPathParts(std::string& path);
  virtual void LoadImages();

  const std::string& current_path() const { return m_strCurPath; }

  void DrawItem(framework::LPDRAWITEMSTRUCT item) override;
  int CompareItem(framework::LPCOMPAREITEMSTRUCT item) override;
  void DeleteItem(framework::LPDELETEITEMSTRUCT item) override;

  bool OnChildNotify(framework::UINT code) override;
  framework::UINT OnGetDlgCode() override;
  void OnKeyDown(framework::UINT key, framework::UINT repeat, framework::UINT flags) override;

 private:
  void OnActivateRow();
  std::vector<const DirItem*> Rows() const;
  const DirItem* Row(int index) const;

  std::string m_strCurPath;
  platform::Platform& m_platform;
};

}  // namespace cdsetup::pages
