#pragma once

#include "core/Canvas.h"

// A plot that knows only its size: drawing goes nowhere and no picture can be saved.
// For hosts without a picture (the headless runner without --report, the tests).
class SizeOnlyCanvas final : public Canvas {
public:
    SizeOnlyCanvas(int width, int height) : width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Cls(Rgb) override {}
    void Line(double, double, double, double, Rgb) override {}
    void Box(double, double, double, double, Rgb, bool) override {}
    void Text(double, double, const std::string&, Rgb) override {}
    void Point(double, double, Rgb) override {}
    bool SaveBmp(const std::string&) override { return false; }
    bool LoadBmp(const std::string&) override { return false; }

private:
    int width_;
    int height_;
};
