#pragma once

#include "core/Picture.h"

// A plot that knows only its size: drawing goes nowhere and no picture can be saved.
// For hosts without a picture (the tests, the runner's own tests).
class SizeOnlyCanvas final : public Picture {
public:
    SizeOnlyCanvas(int width, int height) : width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Cls(Rgb) override {}
    void SetPenWidth(int) override {}
    void SetLineStyle(LineStyle) override {}
    void Line(double, double, double, double, Rgb) override {}
    void Box(double, double, double, double, Rgb, bool) override {}
    void Text(double, double, const std::string&, Rgb) override {}
    void TextInBox(double, double, double, double, const std::string&, Rgb) override {}
    void Point(double, double, Rgb) override {}
    bool SaveBmp(const std::string&) override { return false; }
    bool LoadBmp(const std::string&) override { return false; }

private:
    int width_;
    int height_;
};
