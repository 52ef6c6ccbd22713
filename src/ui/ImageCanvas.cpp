#include "ui/ImageCanvas.h"

#include "core/FileErrors.h"
#include "ui/CanvasPainting.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cmath>
#include <cstdlib>

namespace {
constexpr int LargestSide = 16384;

// The bitmap's header, looked at before Qt's reader decodes it: the picture is at most
// LargestSide a side (a negative height only says it is stored top-down), and a file
// of rows stored as they are holds every row its header promises; Qt's reader would
// show a file cut short as if it were whole.
bool WholeBitmapOfBearableSize(QIODevice& device) {
    constexpr int HeaderBytes = 54;
    const QByteArray head = device.peek(HeaderBytes);
    if (head.size() < HeaderBytes || !head.startsWith("BM")) return false;
    const auto field32 = [&head](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    const auto field16 = [&head](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    const bool core = field32(14) == 12; // the oldest header, with 16-bit sides
    const qint64 width = core ? field16(18) : static_cast<qint32>(field32(18));
    const qint64 height = std::abs(core ? static_cast<qint64>(field16(20)) : static_cast<qint32>(field32(22)));
    const qint64 bits = core ? field16(24) : field16(28);
    const quint32 compression = core ? 0 : field32(30);
    if (width < 1 || height < 1 || width > LargestSide || height > LargestSide) return false;
    const qint64 pixels = field32(10);
    constexpr quint32 Plain = 0;
    constexpr quint32 BitFields = 3;
    if (compression == Plain || compression == BitFields) {
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        return device.size() >= pixels + rowBytes * height;
    }
    // Run-length rows have no fixed size; the header may still say how many bytes they take.
    return device.size() >= pixels + static_cast<qint64>(field32(34));
}
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

void ImageCanvas::SetLineStyle(LineStyle style) { lineStyle_ = style; }

void ImageCanvas::Line(double x1, double y1, double x2, double y2, Rgb color) {
    // The picture's units are the screen's pixels.
    PaintLine(Painter(), penWidth_, lineStyle_, 1.0, x1, y1, x2, y2, color);
    PictureChanged();
}

void ImageCanvas::Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) {
    PaintBox(Painter(), penWidth_, x1, y1, x2, y2, color, filled);
    PictureChanged();
}

void ImageCanvas::Text(double x, double y, const std::string& text, Rgb color) {
    PaintText(Painter(), x, y, text, color);
    PictureChanged();
}

void ImageCanvas::TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) {
    PaintTextInBox(Painter(), x, y, right, bottom, text, color);
    PictureChanged();
}

void ImageCanvas::Point(double x, double y, Rgb color) {
    PaintPoint(Painter(), penWidth_, x, y, color);
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
    if (!WholeBitmapOfBearableSize(device)) return false;
    QImageReader reader(&device, "BMP");
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
