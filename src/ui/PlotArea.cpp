#include "ui/PlotArea.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

namespace {
QColor ColorOf(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }
} // namespace

PlotArea::PlotArea(QWidget* parent) : QWidget(parent), picture_(640, 480, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("picPlot"));
    setMinimumSize(320, 240);
    picture_.fill(ColorOf(background_));
}

void PlotArea::Cls(Rgb background) {
    background_ = background;
    picture_.fill(ColorOf(background));
    update();
}

void PlotArea::Line(double x1, double y1, double x2, double y2, Rgb color) {
    QPainter painter(&picture_);
    painter.setPen(ColorOf(color));
    painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    update();
}

void PlotArea::Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) {
    QPainter painter(&picture_);
    const QRectF box = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    if (filled) {
        painter.fillRect(box, ColorOf(color));
    } else {
        painter.setPen(ColorOf(color));
        painter.drawRect(box);
    }
    update();
}

void PlotArea::Text(double x, double y, const std::string& text, Rgb color) {
    QPainter painter(&picture_);
    painter.setPen(ColorOf(color));
    const QFontMetricsF metrics(painter.font());
    painter.drawText(QPointF(x, y + metrics.ascent()), QString::fromStdString(text));
    update();
}

void PlotArea::Point(double x, double y, Rgb color) {
    QPainter painter(&picture_);
    painter.setPen(ColorOf(color));
    painter.drawPoint(QPointF(x, y));
    update();
}

// Written beside the old file and renamed over it, so a failed save leaves the old
// picture as it was.
bool PlotArea::SaveBmp(const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!picture_.convertToFormat(QImage::Format_RGB888).save(&file, "BMP")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool PlotArea::LoadBmp(const std::string& path) {
    // Always read as a bitmap whatever the name says; a header claiming a huge image is
    // refused before any memory is taken for it.
    QImageReader reader(QString::fromStdString(path), "BMP");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > 16384 || size.height() > 16384) return false;
    QImage loaded;
    if (!reader.read(&loaded)) return false;
    QPainter painter(&picture_);
    painter.drawImage(0, 0, loaded);
    update();
    return true;
}

void PlotArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

// A new size starts a new picture in the present background; the plot is drawn
// anew by the controller.
void PlotArea::resizeEvent(QResizeEvent*) {
    if (size() == picture_.size()) return;
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(ColorOf(background_));
    QPainter painter(&resized);
    painter.drawImage(0, 0, picture_);
    picture_ = resized;
}

void PlotArea::mousePressEvent(QMouseEvent* event) { emit clicked(event->position().x(), event->position().y()); }

void QtClipboard::SetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void QtClipboard::SetImage(Canvas& picture) {
    if (auto* area = dynamic_cast<PlotArea*>(&picture)) QGuiApplication::clipboard()->setImage(area->Picture());
}
