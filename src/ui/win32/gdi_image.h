// Our own images (decoded icons and pictures, 0xAARRGGBB rows from the top)
// as GDI sees them: the header of a 32-bit DIB of one, and the system's icon
// made from one.
#pragma once

#include "framework/win_types.h"
#include "resources/image.h"

namespace cdsetup::ui::win32 {

/// True when the image has a size and all of its pixels.
bool HasPixels(const resources::Image& image);
/// A top-down 32-bit DIB header of the image's size; its pixels are the
/// DIB's bits as they are.
BITMAPINFOHEADER DibHeaderOf(const resources::Image& image);
/// An icon of `image` with its alpha, or null for an empty image; the
/// caller destroys it (DestroyIcon).
HICON MakeIcon(const resources::Image& image);

}  // namespace cdsetup::ui::win32
