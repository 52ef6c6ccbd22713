#pragma once

#include "core/Picture.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>

// A picture that is drawn only when somebody looks at it: the drawing calls are kept
// and played onto the picture behind it when it is saved or loaded over; that picture
// is made then, by `makePicture`, at this one's size. A clear covers everything before
// it, so only the calls since the last clear are kept. The headless runner draws its
// plot this way: most runs never look at the picture, and those that do see it exactly
// as if every call had gone straight to it.
class DeferredPicture final : public Picture {
public:
    DeferredPicture(int width, int height, std::function<Picture&()> makePicture)
        : width_(width), height_(height), makePicture_(std::move(makePicture)) {}

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Cls(Rgb background) override;
    void SetPenWidth(int width) override;
    void SetLineStyle(LineStyle style) override;
    void Line(double x1, double y1, double x2, double y2, Rgb color) override;
    void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) override;
    void Text(double x, double y, const std::string& text, Rgb color) override;
    void TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) override;
    void Point(double x, double y, Rgb color) override;
    bool SaveBmp(const std::string& path) override;
    bool LoadBmp(const std::string& path) override;

    // Plays the calls kept so far onto the picture behind, made first if need be.
    void Draw();

private:
    struct ClsCall {
        Rgb background;
    };
    struct PenCall {
        int width;
    };
    struct StyleCall {
        LineStyle style;
    };
    struct LineCall {
        double x1, y1, x2, y2;
        Rgb color;
    };
    struct BoxCall {
        double x1, y1, x2, y2;
        Rgb color;
        bool filled;
    };
    // Texts are kept apart, by their place in `texts_`: a call then takes half the memory
    // a string in every call would make each one take.
    struct TextCall {
        double x, y;
        std::size_t text;
        Rgb color;
    };
    struct BoxedTextCall {
        double x, y, right, bottom;
        std::size_t text;
        Rgb color;
    };
    struct PointCall {
        double x, y;
        Rgb color;
    };
    using Call = std::variant<ClsCall, PenCall, StyleCall, LineCall, BoxCall, TextCall, BoxedTextCall, PointCall>;

    void Keep(Call call);

    int width_;
    int height_;
    std::function<Picture&()> makePicture_;
    Picture* picture_ = nullptr;
    std::deque<Call> calls_; // a deque: kept calls are never copied as they grow
    std::deque<std::string> texts_;
    int penWidth_ = 1;
    bool penWidthSet_ = false;
    std::optional<LineStyle> lineStyle_; // once set
};
