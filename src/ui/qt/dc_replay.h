// Paints what a CDC recorded with a QPainter: fills, texts, icons, pattern
// frames and bitmaps, in the order they were drawn.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dc.h"
#include "resources/image.h"

namespace cdsetup::ui::qt {

namespace fw = framework;

QColor ToQColor(fw::COLORREF color);
/// The picture as a Qt image (0xAARRGGBB pixels); a null image for an empty one.
QImage ToQImage(const resources::Image& image);

struct ReplayContext {
  std::function<QFont(const fw::CFont&)> font;
  std::function<QString(std::string_view, bool)> text;  // a text or a name to Qt
};

/// Replays `ops` in the painter's current coordinates.
void ReplayOps(QPainter& painter, const std::vector<fw::DrawOp>& ops, const ReplayContext& context);

}  // namespace cdsetup::ui::qt
