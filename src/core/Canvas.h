#pragma once

#include <cstdint>
#include <string>

// Colours are 0xRRGGBB.
using Rgb = std::uint32_t;

// How a line is drawn: solid, or in dashes that read alike on every surface (on the
// screen some pixels long, on paper as long as they would be on a screen).
enum class LineStyle { Solid, Dashed };

// A drawing surface: the plot area on screen, the report picture of the headless
// runner, the printed page. Coordinates are in the surface's own units from the top
// left corner, y growing downward; what falls outside the surface is clipped.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Cls(Rgb background) = 0;
    // 1 or 2 units; lines, points and boxes drawn after it take it.
    virtual void SetPenWidth(int width) = 0;
    // Solid until set; lines drawn after it take it (boxes, points and texts do not).
    virtual void SetLineStyle(LineStyle style) = 0;
    virtual void Line(double x1, double y1, double x2, double y2, Rgb color) = 0;
    virtual void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) = 0;
    // `text` with its top left corner at (x, y).
    virtual void Text(double x, double y, const std::string& text, Rgb color) = 0;
    // The same, cut off at `right` and `bottom`: what does not fit that box is not drawn.
    virtual void TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) = 0;
    virtual void Point(double x, double y, Rgb color) = 0;
};
