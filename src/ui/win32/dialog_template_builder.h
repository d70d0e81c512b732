// A dialog's template in memory, as the system's dialog manager reads it
// (DLGTEMPLATEEX and its items): the core's dialog and controls with their
// classes and styles, in dialog units of the template's font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/wnd.h"

namespace cdsetup::ui::win32 {

namespace fw = framework;

/// The system's window class of a control of the core.
const char* ClassNameOf(const fw::WindowState& control);
/// The system's style bits of a control (WS_CHILD and the class's own).
DWORD ControlStyleOf(const fw::WindowState& control);
DWORD ControlExStyleOf(const fw::WindowState& control);

class DialogTemplateBuilder {
 public:
  /// `base`: pixels per four horizontal and eight vertical dialog units.
  explicit DialogTemplateBuilder(fw::CSize base) : base_(base) {}

  /// The template of `dialog` and its children, DWORD-aligned; the texts are
  /// left empty, the caller sets them from the core's state.
  std::vector<std::uint32_t> Build(const fw::WindowState& dialog) const;

 private:
  fw::CRect ToUnits(const fw::CRect& px) const;
  fw::CSize base_;
};

}  // namespace cdsetup::ui::win32
