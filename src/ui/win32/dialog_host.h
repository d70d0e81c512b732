// What a dialog window asks of the interface that runs it: the core's texts
// as the system holds them, fonts and text measures, a word after each input
// it hands to the core, and the turns of the interface's pump. Win32Backend
// implements it; the windows know nothing else of the backend.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/dc.h"

namespace cdsetup::ui::win32 {

namespace fw = framework;

class Win32Dialog;

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  /// The code page of the core's texts, and a text as the windows hold it.
  virtual unsigned CodePage() const = 0;
  virtual std::wstring Wide(std::string_view text) const = 0;
  /// The GDI font of a template font, made once.
  virtual HFONT FontFor(const fw::CFont& font) = 0;
  virtual fw::CSize MeasureText(const fw::CFont& font, const std::string& text) = 0;
  /// After every input handed to the core: ends dialogs whose end was set,
  /// shows what changed and looks for timers again.
  virtual void AfterInput() = 0;
  /// Arms the pump for the innermost dialog (it just came up).
  virtual void Schedule() = 0;
  /// The pump's timer fired in `dialog`: delivers what is due.
  virtual void Pump(Win32Dialog& dialog) = 0;
};

}  // namespace cdsetup::ui::win32
