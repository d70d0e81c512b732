#include "ui/qt/dc_replay.h"

#include <QFontMetrics>
#include <cstring>

namespace cdsetup::ui::qt {

QColor ToQColor(fw::COLORREF c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

QImage ToQImage(const resources::Image& image) {
  if (image.empty() || image.pixels.size() < static_cast<std::size_t>(image.width) * image.height) {
    return {};
  }
  QImage out(image.width, image.height, QImage::Format_ARGB32);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(out.scanLine(y), image.pixels.data() + static_cast<std::size_t>(y) * image.width,
                static_cast<std::size_t>(image.width) * 4);
  }
  return out;
}

namespace {

QRect ToQRect(const fw::CRect& r) {
  return QRect(r.left, r.top, r.Width(), r.Height());
}

void Frame(QPainter& p, const QRect& r, const QBrush& brush) {
  if (r.width() <= 0 || r.height() <= 0) return;
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), brush);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), brush);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), brush);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), brush);
}

}  // namespace

void ReplayOps(QPainter& p, const std::vector<fw::DrawOp>& ops, const ReplayContext& context) {
  for (const fw::DrawOp& op : ops) {
    const QRect rect = ToQRect(op.rect);
    switch (op.kind) {
      case fw::DrawOp::kFill:
        p.fillRect(rect, ToQColor(op.color));
        break;
      case fw::DrawOp::kText: {
        const QFont font = context.font(op.font);
        const QFontMetrics metrics(font);
        if (op.bk_mode == fw::OPAQUE) p.fillRect(rect, ToQColor(op.bk_color));
        p.setFont(font);
        p.setPen(ToQColor(op.color));
        p.drawText(QPoint(op.rect.left, op.rect.top + metrics.ascent()),
                   context.text(op.text, op.name));
        break;
      }
      case fw::DrawOp::kIcon:
        // The background first, as the flicker-free drawing does.
        p.fillRect(rect, ToQColor(op.bk_color));
        if (op.image) p.drawImage(rect, ToQImage(*op.image));
        break;
      case fw::DrawOp::kFrame:
        if (op.image) {
          Frame(p, rect, QBrush(ToQImage(*op.image)));
        } else {
          Frame(p, rect, QBrush(ToQColor(op.color)));
        }
        break;
      case fw::DrawOp::kBitmap:
        if (op.image) p.drawImage(rect, ToQImage(*op.image));
        break;
    }
  }
}

}  // namespace cdsetup::ui::qt
