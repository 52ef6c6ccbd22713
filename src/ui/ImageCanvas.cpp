#include "ui/ImageCanvas.h"

#include "core/FileErrors.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cmath>

namespace {
QColor ColorOf(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }
constexpr int LargestSide = 16384;
// Coordinates beyond this are drawn at it: far outside any picture, and within what
// the painter can take.
constexpr double FarOutside = 1.0e6;
double Bounded(double v) { return std::isfinite(v) ? std::clamp(v, -FarOutside, FarOutside) : 0.0; }
QPointF At(double x, double y) { return {Bounded(x), Bounded(y)}; }
} // namespace

ImageCanvas::ImageCanvas(int width, int height) : picture_(width, height, QImage::Format_RGB32) {
    picture_.fill(ColorOf(background_));
    font_.setFamily(QStringLiteral("DejaVu Sans"));
    font_.setPixelSize(12);
    font_.setStyleStrategy(QFont::NoAntialias);
}

ImageCanvas::~ImageCanvas() { EndPainting(); }

int ImageCanvas::Width() const { return static_cast<int>(std::lround(picture_.deviceIndependentSize().width())); }
int ImageCanvas::Height() const { return static_cast<int>(std::lround(picture_.deviceIndependentSize().height())); }

QPainter& ImageCanvas::Painter() {
    if (!painter_.isActive()) {
        painter_.begin(&picture_);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, false);
        painter_.setFont(font_);
    }
    return painter_;
}

void ImageCanvas::EndPainting() const {
    if (painter_.isActive()) painter_.end();
}

const QImage& ImageCanvas::Image() const {
    EndPainting();
    return picture_;
}

void ImageCanvas::Cls(Rgb background) {
    EndPainting();
    background_ = background;
    picture_.fill(ColorOf(background));
    PictureChanged();
}

void ImageCanvas::SetPenWidth(int width) { penWidth_ = width == 2 ? 2 : 1; }

void ImageCanvas::Line(double x1, double y1, double x2, double y2, Rgb color) {
    QPainter& painter = Painter();
    painter.setPen(QPen(ColorOf(color), penWidth_));
    painter.drawLine(At(x1, y1), At(x2, y2));
    PictureChanged();
}

void ImageCanvas::Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) {
    QPainter& painter = Painter();
    const QRectF box = QRectF(At(x1, y1), At(x2, y2)).normalized();
    if (filled) {
        painter.fillRect(box, ColorOf(color));
    } else {
        painter.setPen(QPen(ColorOf(color), penWidth_));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
    }
    PictureChanged();
}

void ImageCanvas::Text(double x, double y, const std::string& text, Rgb color) {
    QPainter& painter = Painter();
    painter.setPen(ColorOf(color));
    const QFontMetricsF metrics(painter.font());
    const QPointF corner = At(x, y);
    painter.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), QString::fromStdString(text));
    PictureChanged();
}

void ImageCanvas::Point(double x, double y, Rgb color) {
    QPainter& painter = Painter();
    painter.setPen(QPen(ColorOf(color), penWidth_));
    painter.drawPoint(At(x, y));
    PictureChanged();
}

bool ImageCanvas::SaveBmp(const std::string& path) {
    // Made whole in memory and written as every file of the controller is, so a full
    // disk, a read-only file or a link meets the same rules and error numbers.
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    if (!Image().convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP")) return false;
    ReplaceTextFile(path, std::string_view(bitmap.constData(), static_cast<std::size_t>(bitmap.size())));
    return true;
}

bool ImageCanvas::LoadBmp(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) && ReadBmp(file);
}

bool ImageCanvas::ReadBmp(QIODevice& device) {
    QImageReader reader(&device, "BMP");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > LargestSide || size.height() > LargestSide) return false;
    QImage loaded;
    if (!reader.read(&loaded)) return false;
    Painter().drawImage(0, 0, loaded);
    PictureChanged();
    return true;
}

void ImageCanvas::ResizePicture(int width, int height, double pixelRatio) {
    const double ratio = pixelRatio > 0.0 && std::isfinite(pixelRatio) ? pixelRatio : 1.0;
    if (width == Width() && height == Height() && ratio == picture_.devicePixelRatio()) return;
    EndPainting();
    QImage resized(static_cast<int>(std::lround(width * ratio)), static_cast<int>(std::lround(height * ratio)),
                   QImage::Format_RGB32);
    resized.setDevicePixelRatio(ratio);
    resized.fill(ColorOf(background_));
    {
        QPainter painter(&resized);
        painter.drawImage(0, 0, picture_);
    }
    picture_ = resized;
    PictureChanged();
}
