// What the Qt windows ask of the interface that made them: the core's texts
// as Qt holds them and back, fonts and text measures, the screen's scale,
// and a word after each input they hand to the core. QtBackend implements
// it; the windows know nothing else of the backend.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "framework/dc.h"

namespace cdsetup::ui::qt {

namespace fw = framework;

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  /// ANSI text of the core as Qt shows it, and typed text back.
  virtual QString Text(std::string_view ansi) const = 0;
  virtual std::string Ansi(const QString& text) const = 0;
  /// The same for names of the system, which are in its own code page.
  virtual QString Name(std::string_view name) const = 0;
  virtual std::string NameOf(const QString& typed) const = 0;

  /// `text` as Qt shows it: a name of the system or a text of the pages.
  QString Shown(std::string_view text, bool name) const { return name ? Name(text) : Text(text); }
  /// What `control` shows of `text`, and takes of `typed`: names or texts,
  /// as the control holds.
  QString Shown(const fw::WindowState& control, std::string_view text) const {
    return Shown(text, control.holds_names);
  }
  std::string Typed(const fw::WindowState& control, const QString& typed) const {
    return control.holds_names ? NameOf(typed) : Ansi(typed);
  }
  virtual QFont FontFor(const fw::CFont& font) const = 0;
  virtual fw::CSize MeasureText(const fw::CFont& font, const std::string& text) = 0;
  /// Logical dots per inch over 96.
  virtual double Scale() const = 0;
  /// After every input handed to the core: ends loops whose dialog ended,
  /// brings focus in step and delivers what was posted.
  virtual void AfterInput() = 0;
};

}  // namespace cdsetup::ui::qt
