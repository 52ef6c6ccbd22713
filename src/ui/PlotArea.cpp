#include "ui/PlotArea.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

PlotArea::PlotArea(QWidget* parent) : QWidget(parent), ImageCanvas(640, 480) {
    setObjectName(QStringLiteral("picPlot"));
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotArea::paintEvent(QPaintEvent* event) {
    const QImage& picture = Image();
    // Moved to a screen of another density: the picture is made anew for it, after
    // this painting.
    if (picture.devicePixelRatio() != devicePixelRatioF()) QTimer::singleShot(0, this, &PlotArea::FitPicture);
    QPainter painter(this);
    const QRect exposed = event->rect();
    const double ratio = picture.devicePixelRatio();
    painter.drawImage(
        QRectF(exposed), picture,
        QRectF(exposed.x() * ratio, exposed.y() * ratio, exposed.width() * ratio, exposed.height() * ratio));
}

void PlotArea::resizeEvent(QResizeEvent*) { FitPicture(); }

void PlotArea::FitPicture() {
    if (Width() == width() && Height() == height() && Image().devicePixelRatio() == devicePixelRatioF()) return;
    ResizePicture(width(), height(), devicePixelRatioF());
    emit pictureResized();
}

void PlotArea::mousePressEvent(QMouseEvent* event) { emit clicked(event->position().x(), event->position().y()); }
