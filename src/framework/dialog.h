// Modal dialogs built from the program's templates, with the system's
// keyboard interface (Tab, Enter for the default button, Escape, the close
// box), radio groups and data exchange.
#pragma once

#include <string>

#include "framework/controls.h"
#include "framework/wnd.h"
#include "resources/dialog_template.h"

namespace cdsetup::framework {

class CDataExchange;

class CDialog : public CWnd {
 public:
  CDialog(int template_id, Owner owner) : template_id_(template_id), parent_(owner.parent()) {
    windows_ = owner.windows();
  }

  /// Creates the dialog from its template, initialises it and runs its loop
  /// until EndDialog; returns the modal result, or -1 when the template is
  /// missing or no backend can show it.
  virtual int DoModal();
  void EndDialog(int result);
  int template_id() const { return template_id_; }
  /// The window that owns the dialog while it runs (may be null).
  CWnd* owner() const { return parent_; }

  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* dx) { (void)dx; }
  /// Runs the data exchange: towards the members (`save`) with validation,
  /// or towards the controls. False when a validation refused.
  bool UpdateData(bool save = true);

  void CheckRadioButton(int first, int last, int check);
  int GetCheckedRadioButton(int first, int last) const;
  /// The default push button's id: the focused push button, else the first
  /// one marked as default, else IDOK.
  int GetDefID() const;
  /// Moves the focus to the next (previous) control that takes it, wrapping.
  void NextDlgCtrl() { MoveFocus(true); }
  void PrevDlgCtrl() { MoveFocus(false); }
  /// Grows the client area to at least `size` pixels, whatever the font's
  /// units made of the template's size; before the dialog is shown.
  void EnsureClientSize(CSize size);

  bool OnCommand(UINT id, UINT code, CWnd* source) override;
  void OnClose() override { OnCancel(); }

  // Input, as the keyboard interface turns a key into commands; `shift`
  // held turns Tab backward.
  void PressKey(UINT key, bool shift = false);

 protected:
  void MoveFocus(bool forward);
  /// The template is instantiated; a control the template lacks is reported.
  bool CreateFromTemplate(const resources::DialogTemplate& t);

 private:
  /// An arrow key on a button: the focus moves to the next button of its
  /// group (or the previous one), wrapping.
  void MoveInGroup(WindowState& from, bool forward);

  int template_id_;
  CWnd* parent_;
};

}  // namespace cdsetup::framework
