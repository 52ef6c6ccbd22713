#pragma once

#include "core/Picture.h"

#include <string>
#include <vector>

// A plot that lists what was drawn on it, in order.
class RecordingCanvas final : public Picture {
public:
    enum class Kind { Cls, Line, Box, Text, Point };
    struct Op {
        Kind kind;
        double x1, y1, x2, y2;
        Rgb color;
        int penWidth;
        std::string text;
        LineStyle style; // as set when it was drawn (lines take it)
    };

    RecordingCanvas(int width, int height) : width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Cls(Rgb background) override { ops.push_back({Kind::Cls, 0, 0, 0, 0, background, penWidth_, {}, style_}); }
    void SetPenWidth(int width) override { penWidth_ = width; }
    void SetLineStyle(LineStyle style) override { style_ = style; }
    void Line(double x1, double y1, double x2, double y2, Rgb color) override {
        ops.push_back({Kind::Line, x1, y1, x2, y2, color, penWidth_, {}, style_});
    }
    void Box(double x1, double y1, double x2, double y2, Rgb color, bool) override {
        ops.push_back({Kind::Box, x1, y1, x2, y2, color, penWidth_, {}, style_});
    }
    void Text(double x, double y, const std::string& text, Rgb color) override {
        ops.push_back({Kind::Text, x, y, x, y, color, penWidth_, text, style_});
    }
    // A text kept in a box: x2 and y2 are the box's right and bottom.
    void TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) override {
        ops.push_back({Kind::Text, x, y, right, bottom, color, penWidth_, text, style_});
    }
    void Point(double x, double y, Rgb color) override {
        ops.push_back({Kind::Point, x, y, x, y, color, penWidth_, {}, style_});
    }
    bool SaveBmp(const std::string&) override { return false; }
    bool LoadBmp(const std::string&) override { return false; }

    std::vector<Op> Of(Kind kind) const {
        std::vector<Op> found;
        for (const Op& op : ops)
            if (op.kind == kind) found.push_back(op);
        return found;
    }
    std::vector<Op> ops;

private:
    int width_;
    int height_;
    int penWidth_ = 1;
    LineStyle style_ = LineStyle::Solid;
};
