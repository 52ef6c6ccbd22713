#include "core/DeferredPicture.h"

#include <cstddef>
#include <utility>

namespace {
// A run that nobody looks at for hours still keeps its memory bounded: past this many
// calls they are played onto the picture.
constexpr std::size_t MostCallsKept = 1'000'000;
} // namespace

void DeferredPicture::Keep(Call call) {
    calls_.push_back(std::move(call));
    if (calls_.size() >= MostCallsKept) Draw();
}

void DeferredPicture::Cls(Rgb background) {
    calls_.clear();
    texts_.clear();
    // The pen outlives a clear: a call after it must still find the width and style set before.
    if (penWidthSet_) calls_.emplace_back(PenCall{penWidth_});
    if (lineStyle_) calls_.emplace_back(StyleCall{*lineStyle_});
    Keep(ClsCall{background});
}

void DeferredPicture::SetPenWidth(int width) {
    penWidth_ = width;
    penWidthSet_ = true;
    Keep(PenCall{width});
}

void DeferredPicture::SetLineStyle(LineStyle style) {
    lineStyle_ = style;
    Keep(StyleCall{style});
}

void DeferredPicture::Line(double x1, double y1, double x2, double y2, Rgb color) {
    Keep(LineCall{x1, y1, x2, y2, color});
}

void DeferredPicture::Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) {
    Keep(BoxCall{x1, y1, x2, y2, color, filled});
}

void DeferredPicture::Text(double x, double y, const std::string& text, Rgb color) {
    texts_.push_back(text);
    Keep(TextCall{x, y, texts_.size() - 1, color});
}

void DeferredPicture::TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) {
    texts_.push_back(text);
    Keep(BoxedTextCall{x, y, right, bottom, texts_.size() - 1, color});
}

void DeferredPicture::Point(double x, double y, Rgb color) { Keep(PointCall{x, y, color}); }

bool DeferredPicture::SaveBmp(const std::string& path) {
    Draw();
    return picture_->SaveBmp(path);
}

bool DeferredPicture::LoadBmp(const std::string& path) {
    Draw();
    return picture_->LoadBmp(path);
}

void DeferredPicture::Draw() {
    if (picture_ == nullptr) picture_ = &makePicture_();
    struct Player {
        Picture& p;
        const std::deque<std::string>& texts;
        void operator()(const ClsCall& c) const { p.Cls(c.background); }
        void operator()(const PenCall& c) const { p.SetPenWidth(c.width); }
        void operator()(const StyleCall& c) const { p.SetLineStyle(c.style); }
        void operator()(const LineCall& c) const { p.Line(c.x1, c.y1, c.x2, c.y2, c.color); }
        void operator()(const BoxCall& c) const { p.Box(c.x1, c.y1, c.x2, c.y2, c.color, c.filled); }
        void operator()(const TextCall& c) const { p.Text(c.x, c.y, texts[c.text], c.color); }
        void operator()(const BoxedTextCall& c) const {
            p.TextInBox(c.x, c.y, c.right, c.bottom, texts[c.text], c.color);
        }
        void operator()(const PointCall& c) const { p.Point(c.x, c.y, c.color); }
    };
    for (const Call& call : calls_) std::visit(Player{*picture_, texts_}, call);
    calls_.clear();
    texts_.clear();
}
