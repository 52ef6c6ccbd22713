#pragma once

#include <cstdint>
#include <string>

// Colours are 0xRRGGBB.
using Rgb = std::uint32_t;

// A drawing surface that keeps its picture: the plot area on screen, the report
// picture in the headless runner, the printed page. Coordinates are pixels from the
// top left corner.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Cls(Rgb background) = 0;
    virtual void Line(double x1, double y1, double x2, double y2, Rgb color) = 0;
    virtual void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) = 0;
    virtual void Text(double x, double y, const std::string& text, Rgb color) = 0;
    virtual void Point(double x, double y, Rgb color) = 0;
    // The whole picture as a 24-bit Windows bitmap; false when it cannot be written or read.
    virtual bool SaveBmp(const std::string& path) = 0;
    virtual bool LoadBmp(const std::string& path) = 0;
};
