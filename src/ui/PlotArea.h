#pragma once

#include "core/Canvas.h"
#include "ui/ImageCanvas.h"

#include <QImage>
#include <QWidget>

// The plot area picPlot: a drawing surface that keeps its picture. Drawing goes
// into the persistent image; painting only copies it to the screen.
class PlotArea final : public QWidget, public ImageCanvas {
    Q_OBJECT

public:
    explicit PlotArea(QWidget* parent = nullptr);

signals:
    void clicked(double x, double y);

protected:
    void PictureChanged() override { update(); }
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
