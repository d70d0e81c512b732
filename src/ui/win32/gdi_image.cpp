#include "ui/win32/gdi_image.h"

#include <cstring>

namespace cdsetup::ui::win32 {

bool HasPixels(const resources::Image& image) {
  return !image.empty() &&
         image.pixels.size() >= static_cast<std::size_t>(image.width) * image.height;
}

BITMAPINFOHEADER DibHeaderOf(const resources::Image& image) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(h);
  h.biWidth = image.width;
  h.biHeight = -image.height;  // top-down, as the image's rows are
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  return h;
}

HICON MakeIcon(const resources::Image& image) {
  if (!HasPixels(image)) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader = DibHeaderOf(image);
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!color || !bits) {
    if (color) DeleteObject(color);
    return nullptr;
  }
  // A 32-bit colour bitmap keeps its alpha byte, which the icon draws with.
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * 4);
  // With an alpha channel the mask is not used, but it must be there.
  HBITMAP mask = CreateBitmap(image.width, image.height, 1, 1, nullptr);
  ICONINFO icon_info{};
  icon_info.fIcon = TRUE;
  icon_info.hbmMask = mask;
  icon_info.hbmColor = color;
  HICON icon = CreateIconIndirect(&icon_info);
  DeleteObject(mask);
  DeleteObject(color);
  return icon;
}

}  // namespace cdsetup::ui::win32
