#include "ui/win32/gdi_replay.h"

#include <cstdint>
#include <cstring>

#include "resources/image.h"
#include "ui/win32/gdi_image.h"

namespace cdsetup::ui::win32 {

namespace {

RECT ToRect(const fw::CRect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

// The image's 0xAARRGGBB pixels over `background`, as a DIB's 0x00RRGGBB.
std::vector<std::uint32_t> Over(const resources::Image& image, fw::COLORREF background) {
  const std::uint32_t br = background & 0xFF, bg = (background >> 8) & 0xFF,
                      bb = (background >> 16) & 0xFF;
  std::vector<std::uint32_t> out(image.pixels.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint32_t p = image.pixels[i], a = p >> 24;
    auto mix = [a](std::uint32_t fg, std::uint32_t bk) { return (fg * a + bk * (255 - a)) / 255; };
    out[i] = mix((p >> 16) & 0xFF, br) << 16 | mix((p >> 8) & 0xFF, bg) << 8 | mix(p & 0xFF, bb);
  }
  return out;
}

void Blit(HDC dc, const fw::CRect& r, const resources::Image& image,
          const std::vector<std::uint32_t>& pixels) {
  BITMAPINFO info{};
  info.bmiHeader = DibHeaderOf(image);
  StretchDIBits(dc, r.left, r.top, r.Width(), r.Height(), 0, 0, image.width, image.height,
                pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void Fill(HDC dc, const fw::CRect& r, fw::COLORREF color) {
  const RECT rect = ToRect(r);
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

// A brush of the 8 x 8 pattern, as the lists' focus frame is drawn with.
HBRUSH PatternBrush(const resources::Image& image) {
  std::vector<std::uint8_t> packed(sizeof(BITMAPINFOHEADER) + image.pixels.size() * 4);
  BITMAPINFOHEADER h = DibHeaderOf(image);
  std::memcpy(packed.data(), &h, sizeof(h));
  std::memcpy(packed.data() + sizeof(h), image.pixels.data(), image.pixels.size() * 4);
  return CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS);
}

}  // namespace

void ReplayOps(HDC dc, const std::vector<fw::DrawOp>& ops, const FontSource& font,
               const TextSource& text) {
  const int saved = SaveDC(dc);
  for (const fw::DrawOp& op : ops) {
    const RECT rect = ToRect(op.rect);
    switch (op.kind) {
      case fw::DrawOp::kFill:
        Fill(dc, op.rect, op.color);
        break;
      case fw::DrawOp::kText:
        if (op.bk_mode == OPAQUE) Fill(dc, op.rect, op.bk_color);
        SelectObject(dc, font(op.font));
        SetTextColor(dc, op.color);
        SetBkMode(dc, TRANSPARENT);
        if (const std::wstring wide = text(op.text, op.name); !wide.empty()) {
          TextOutW(dc, op.rect.left, op.rect.top, wide.c_str(), static_cast<int>(wide.size()));
        }
        break;
      case fw::DrawOp::kIcon:
        // The background first, as the flicker-free drawing does.
        Fill(dc, op.rect, op.bk_color);
        if (op.image && HasPixels(*op.image))
          Blit(dc, op.rect, *op.image, Over(*op.image, op.bk_color));
        break;
      case fw::DrawOp::kFrame: {
        HBRUSH brush =
            op.image && HasPixels(*op.image) ? PatternBrush(*op.image) : CreateSolidBrush(op.color);
        FrameRect(dc, &rect, brush);
        DeleteObject(brush);
        break;
      }
      case fw::DrawOp::kBitmap:
        if (op.image && HasPixels(*op.image)) Blit(dc, op.rect, *op.image, Over(*op.image, 0));
        break;
    }
  }
  RestoreDC(dc, saved);
}

}  // namespace cdsetup::ui::win32
