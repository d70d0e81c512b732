// The core's recorded drawing (a CDC's operations) painted with GDI on a
// device context: fills, texts, icons over their background, frames in a
// colour or a pattern, pictures.
#pragma once

#include <functional>
#include <vector>

#include "framework/dc.h"

namespace cdsetup::ui::win32 {

namespace fw = framework;

using FontSource = std::function<HFONT(const fw::CFont&)>;

void ReplayOps(HDC dc, const std::vector<fw::DrawOp>& ops, const FontSource& font);

}  // namespace cdsetup::ui::win32
