#include "ui/PlotArea.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

PlotArea::PlotArea(QWidget* parent) : QWidget(parent), ImageCanvas(640, 480) {
    setObjectName(QStringLiteral("picPlot"));
    setMinimumSize(320, 240);
}

void PlotArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Picture());
}

// A new size starts a new picture in the present background; the plot is drawn
// anew by the controller.
void PlotArea::resizeEvent(QResizeEvent*) { ResizePicture(width(), height()); }

void PlotArea::mousePressEvent(QMouseEvent* event) { emit clicked(event->position().x(), event->position().y()); }

void QtClipboard::SetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void QtClipboard::SetImage(Canvas& picture) {
    if (auto* image = dynamic_cast<ImageCanvas*>(&picture)) QGuiApplication::clipboard()->setImage(image->Picture());
}
