#pragma once

#include "core/Canvas.h"

#include <QImage>

// A drawing surface on an image that keeps its picture: the plot area's, and the
// report picture of the headless runner.
class ImageCanvas : public Canvas {
public:
    ImageCanvas(int width, int height);

    int Width() const override { return picture_.width(); }
    int Height() const override { return picture_.height(); }
    void Cls(Rgb background) override;
    void Line(double x1, double y1, double x2, double y2, Rgb color) override;
    void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) override;
    void Text(double x, double y, const std::string& text, Rgb color) override;
    void Point(double x, double y, Rgb color) override;
    // Written beside the old file and renamed over it: a failed save leaves the old one.
    bool SaveBmp(const std::string& path) override;
    // Read as a bitmap whatever the name says; an image over 16384 pixels a side is refused.
    bool LoadBmp(const std::string& path) override;

    const QImage& Picture() const { return picture_; }
    // A new size keeps what fits and fills the rest with the present background.
    void ResizePicture(int width, int height);

protected:
    // Called after every change of the picture.
    virtual void PictureChanged() {}

private:
    QImage picture_;
    Rgb background_ = 0x000000;
};
