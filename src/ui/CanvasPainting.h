#pragma once

#include "core/Canvas.h"

#include <QColor>
#include <QPainter>

#include <string>

// The drawing calls of a canvas done with a painter, for every canvas on Qt: the plot
// area's picture and the printed page. Coordinates far outside (or not numbers) are
// drawn at the edge of what a painter can take.
QColor ColorOf(Rgb rgb);
// A dashed line's dashes and gaps are those of a screen's pixels, `pixel` device units
// each, so a page shows them as long as the screen does.
void PaintLine(QPainter& painter, int penWidth, LineStyle style, double pixel, double x1, double y1, double x2,
               double y2, Rgb color);
void PaintBox(QPainter& painter, int penWidth, double x1, double y1, double x2, double y2, Rgb color, bool filled);
// `text` with its top left corner at (x, y), in the painter's font.
void PaintText(QPainter& painter, double x, double y, const std::string& text, Rgb color);
// The same, clipped to the box from (x, y) to (right, bottom).
void PaintTextInBox(QPainter& painter, double x, double y, double right, double bottom, const std::string& text,
                    Rgb color);
void PaintPoint(QPainter& painter, int penWidth, double x, double y, Rgb color);
