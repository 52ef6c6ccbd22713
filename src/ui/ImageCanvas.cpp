#include "ui/ImageCanvas.h"

#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

namespace {
QColor ColorOf(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }
constexpr int LargestSide = 16384;
} // namespace

ImageCanvas::ImageCanvas(int width, int height) : picture_(width, height, QImage::Format_RGB32) {
    picture_.fill(ColorOf(background_));
}

void ImageCanvas::Cls(Rgb background) {
    background_ = background;
    picture_.fill(ColorOf(background));
    PictureChanged();
}

void ImageCanvas::Line(double x1, double y1, double x2, double y2, Rgb color) {
    QPainter painter(&picture_);
    painter.setPen(ColorOf(color));
    painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    PictureChanged();
}

void ImageCanvas::Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) {
    QPainter painter(&picture_);
    const QRectF box = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    if (filled) {
        painter.fillRect(box, ColorOf(color));
    } else {
        painter.setPen(ColorOf(color));
        painter.drawRect(box);
    }
    PictureChanged();
}

void ImageCanvas::Text(double x, double y, const std::string& text, Rgb color) {
    QPainter painter(&picture_);
    painter.setPen(ColorOf(color));
    const QFontMetricsF metrics(painter.font());
    painter.drawText(QPointF(x, y + metrics.ascent()), QString::fromStdString(text));
    PictureChanged();
}

void ImageCanvas::Point(double x, double y, Rgb color) {
    QPainter painter(&picture_);
    painter.setPen(ColorOf(color));
    painter.drawPoint(QPointF(x, y));
    PictureChanged();
}

bool ImageCanvas::SaveBmp(const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!picture_.convertToFormat(QImage::Format_RGB888).save(&file, "BMP")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ImageCanvas::LoadBmp(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "BMP");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > LargestSide || size.height() > LargestSide) return false;
    QImage loaded;
    if (!reader.read(&loaded)) return false;
    QPainter painter(&picture_);
    painter.drawImage(0, 0, loaded);
    PictureChanged();
    return true;
}

void ImageCanvas::ResizePicture(int width, int height) {
    if (width == picture_.width() && height == picture_.height()) return;
    QImage resized(width, height, QImage::Format_RGB32);
    resized.fill(ColorOf(background_));
    QPainter painter(&resized);
    painter.drawImage(0, 0, picture_);
    painter.end();
    picture_ = resized;
    PictureChanged();
}
