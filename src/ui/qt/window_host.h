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
  virtual QFont FontFor(const fw::CFont& font) const = 0;
  virtual fw::CSize MeasureText(const fw::CFont& font, const std::string& text) = 0;
  /// Logical dots per inch over 96.
  virtual double Scale() const = 0;
  /// After every input handed to the core: ends loops whose dialog ended,
  /// brings focus in step and delivers what was posted.
  virtual void AfterInput() = 0;
};

}  // namespace cdsetup::ui::qt
