#pragma once

#include "core/Canvas.h"

#include <QImage>
#include <QWidget>

// The plot area picPlot: a drawing surface that keeps its picture. Drawing goes
// into the persistent image; painting only copies it to the screen.
class PlotArea final : public QWidget, public Canvas {
    Q_OBJECT

public:
    explicit PlotArea(QWidget* parent = nullptr);

    int Width() const override { return picture_.width(); }
    int Height() const override { return picture_.height(); }
    void Cls(Rgb background) override;
    void Line(double x1, double y1, double x2, double y2, Rgb color) override;
    void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) override;
    void Text(double x, double y, const std::string& text, Rgb color) override;
    void Point(double x, double y, Rgb color) override;
    bool SaveBmp(const std::string& path) override;
    bool LoadBmp(const std::string& path) override;

    const QImage& Picture() const { return picture_; }

signals:
    void clicked(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    Rgb background_ = 0x000000;
};

// The clipboard of the desktop.
class QtClipboard final : public Clipboard {
public:
    void SetText(const std::string& text) override;
    void SetImage(Canvas& picture) override;
};
