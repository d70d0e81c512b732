// The core's recorded drawing (a CDC's operations) painted with GDI on a
// device context: fills, texts, icons over their background, frames in a
// colour or a pattern, pictures.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dc.h"

namespace cdsetup::ui::win32 {

namespace fw = framework;

using FontSource = std::function<HFONT(const fw::CFont&)>;
/// A recorded text as the system draws it (UTF-16).
/// A drawn text in UTF-16; the flag tells a name of the system from a text.
using TextSource = std::function<std::wstring(std::string_view, bool)>;

void ReplayOps(HDC dc, const std::vector<fw::DrawOp>& ops, const FontSource& font,
               const TextSource& text);

}  // namespace cdsetup::ui::win32
