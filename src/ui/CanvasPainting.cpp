#include "ui/CanvasPainting.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {
// Coordinates beyond this are drawn at it: far outside any picture or page, and within
// what the painter can take.
constexpr double FarOutside = 1.0e6;
double Bounded(double v) { return std::isfinite(v) ? std::clamp(v, -FarOutside, FarOutside) : 0.0; }
QPointF At(double x, double y) { return {Bounded(x), Bounded(y)}; }

// Screen pixels of a dash and of the gap after it.
constexpr double DashPixels = 6.0;
constexpr double GapPixels = 4.0;
} // namespace

QColor ColorOf(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

void PaintLine(QPainter& painter, int penWidth, LineStyle style, double pixel, double x1, double y1, double x2,
               double y2, Rgb color) {
    QPen pen(ColorOf(color), penWidth);
    if (style == LineStyle::Dashed) {
        // A pen's dash pattern is counted in pen widths.
        const double unit = pixel / static_cast<double>(penWidth < 1 ? 1 : penWidth);
        pen.setDashPattern({DashPixels * unit, GapPixels * unit});
    }
    painter.setPen(pen);
    painter.drawLine(At(x1, y1), At(x2, y2));
}

void PaintBox(QPainter& painter, int penWidth, double x1, double y1, double x2, double y2, Rgb color, bool filled) {
    const QRectF box = QRectF(At(x1, y1), At(x2, y2)).normalized();
    if (filled) {
        painter.fillRect(box, ColorOf(color));
        return;
    }
    painter.setPen(QPen(ColorOf(color), penWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
}

void PaintText(QPainter& painter, double x, double y, const std::string& text, Rgb color) {
    painter.setPen(ColorOf(color));
    const QFontMetricsF metrics(painter.font());
    const QPointF corner = At(x, y);
    painter.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), QString::fromStdString(text));
}

void PaintTextInBox(QPainter& painter, double x, double y, double right, double bottom, const std::string& text,
                    Rgb color) {
    painter.save();
    painter.setClipRect(QRectF(At(x, y), At(right, bottom)).normalized());
    PaintText(painter, x, y, text, color);
    painter.restore();
}

void PaintPoint(QPainter& painter, int penWidth, double x, double y, Rgb color) {
    painter.setPen(QPen(ColorOf(color), penWidth));
    painter.drawPoint(At(x, y));
}
