#pragma once

#include "core/Canvas.h"
#include "ui/ImageCanvas.h"

#include <QImage>
#include <QWidget>

// The plot area picPlot: a drawing surface that keeps its picture. Drawing goes
// into the persistent image; painting only copies it to the screen. The picture has
// the screen's pixel density, its units are the widget's own (logical) pixels.
class PlotArea final : public QWidget, public ImageCanvas {
    Q_OBJECT

public:
    explicit PlotArea(QWidget* parent = nullptr);

signals:
    // A mouse button pressed at (x, y) in the plot's own units.
    void clicked(double x, double y);
    // The picture has a new size or pixel density and holds only what fitted of the
    // old one: the plot is to be drawn anew.
    void pictureResized();

protected:
    void PictureChanged() override { update(); }
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FitPicture();
};
