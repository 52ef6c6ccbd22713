#pragma once

#include "core/Picture.h"

#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QPainter>

// A drawing surface on an image that keeps its picture: the plot area's, and the
// report picture of the headless runner. Drawn in the exact colours asked for, without
// antialiasing, so a saved or copied picture carries them pixel for pixel.
class ImageCanvas : public Picture {
public:
    ImageCanvas(int width, int height);
    ~ImageCanvas() override;
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    int Width() const override;
    int Height() const override;
    void Cls(Rgb background) override;
    void SetPenWidth(int width) override;
    void SetLineStyle(LineStyle style) override;
    void Line(double x1, double y1, double x2, double y2, Rgb color) override;
    void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) override;
    void Text(double x, double y, const std::string& text, Rgb color) override;
    void TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) override;
    void Point(double x, double y, Rgb color) override;
    // Written beside the old file and renamed over it: a failed save leaves the old one.
    // Throws the FileError of a file that cannot be written.
    bool SaveBmp(const std::string& path) override;
    // Read as a bitmap whatever the name says; an image over 16384 pixels a side, or a
    // file cut short of the rows its header promises, is refused.
    bool LoadBmp(const std::string& path) override;
    // The same from an open device.
    bool ReadBmp(QIODevice& device);

    // The picture as drawn so far.
    const QImage& Image() const;
    // A new size (in the canvas's units, drawn at `pixelRatio` pixels a unit) keeps
    // what fits and fills the rest with the present background.
    void ResizePicture(int width, int height, double pixelRatio = 1.0);

protected:
    // Called after every change of the picture.
    virtual void PictureChanged() {}

private:
    // One painter stays open over a run of drawing calls; reading the picture ends it.
    QPainter& Painter();
    void EndPainting() const;

    QImage picture_;
    mutable QPainter painter_;
    QFont font_;
    Rgb background_ = 0x000000;
    int penWidth_ = 1;
    LineStyle lineStyle_ = LineStyle::Solid;
};
