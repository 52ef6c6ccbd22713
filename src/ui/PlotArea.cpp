#include "ui/PlotArea.h"

#include <QMouseEvent>
#include <QPainter>

PlotArea::PlotArea(QWidget* parent) : QWidget(parent), ImageCanvas(640, 480) {
    setObjectName(QStringLiteral("picPlot"));
    setMinimumSize(320, 240);
}

void PlotArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Image());
}

// A new size starts a new picture in the present background; the plot is drawn
// anew by the controller.
void PlotArea::resizeEvent(QResizeEvent*) { ResizePicture(width(), height()); }

void PlotArea::mousePressEvent(QMouseEvent* event) { emit clicked(event->position().x(), event->position().y()); }
