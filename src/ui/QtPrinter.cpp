#include "ui/QtPrinter.h"

#include "core/FileErrors.h"
#include "ui/CanvasPainting.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QWidget>

#include <cmath>

namespace {

constexpr int PrinterError = 482;
constexpr int PdfResolution = 600; // dots per inch of a PDF page's units

// The page as a canvas: the painter's device measured in whole device units.
class PageCanvas final : public Canvas {
public:
    explicit PageCanvas(QPainter& painter) : painter_(painter) {}

    int Width() const override { return painter_.device()->width(); }
    int Height() const override { return painter_.device()->height(); }
    void Cls(Rgb background) override { painter_.fillRect(0, 0, Width(), Height(), ColorOf(background)); }
    void SetPenWidth(int width) override { penWidth_ = width < 1 ? 1 : width; }
    void Line(double x1, double y1, double x2, double y2, Rgb color) override {
        PaintLine(painter_, penWidth_, x1, y1, x2, y2, color);
    }
    void Box(double x1, double y1, double x2, double y2, Rgb color, bool filled) override {
        PaintBox(painter_, penWidth_, x1, y1, x2, y2, color, filled);
    }
    void Text(double x, double y, const std::string& text, Rgb color) override {
        PaintText(painter_, x, y, text, color);
    }
    void TextInBox(double x, double y, double right, double bottom, const std::string& text, Rgb color) override {
        PaintTextInBox(painter_, x, y, right, bottom, text, color);
    }
    void Point(double x, double y, Rgb color) override { PaintPoint(painter_, penWidth_, x, y, color); }

private:
    QPainter& painter_;
    int penWidth_ = 1;
};

FileError PrinterFailure() { return MakeFileError(PrinterError); }

} // namespace

QtPrinter::QtPrinter(std::function<QWidget*()> window, bool pdfOnly)
    : window_(std::move(window)), pdfOnly_(pdfOnly), printer_(QPrinter::HighResolution), pdfBuffer_(&pdfBytes_) {
    printer_.setPageOrientation(QPageLayout::Landscape);
}

QtPrinter::~QtPrinter() {
    if (painter_.isActive()) painter_.end();
}

std::string QtPrinter::PrinterName() {
    if (pdfOnly_) return "";
    // A printer chosen in the dialog holds while it is still installed.
    if (!printer_.printerName().isEmpty() && !QPrinterInfo::printerInfo(printer_.printerName()).isNull())
        return printer_.printerName().toStdString();
    QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty())
        name = QPrinterInfo::availablePrinterNames().first();
    return name.toStdString();
}

QPainter& QtPrinter::Begin(const std::string& pdfPath) {
    if (painter_.isActive()) painter_.end();
    pdf_.reset();
    pdfPath_ = pdfPath;
    bool begun = false;
    if (pdfPath.empty()) {
        const std::string name = PrinterName();
        if (name.empty()) throw PrinterFailure();
        printer_.setOutputFormat(QPrinter::NativeFormat);
        printer_.setPrinterName(QString::fromStdString(name));
        printer_.setPageOrientation(QPageLayout::Landscape);
        begun = painter_.begin(&printer_);
    } else {
        pdfBuffer_.close();
        pdfBytes_.clear();
        pdfBuffer_.open(QIODevice::WriteOnly);
        pdf_ = std::make_unique<QPdfWriter>(&pdfBuffer_);
        pdf_->setCreator(QStringLiteral("ZEK-8"));
        pdf_->setResolution(PdfResolution);
        // The paper of the chosen printer (the locale's where there is none), landscape.
        QPageLayout layout = printer_.pageLayout();
        layout.setOrientation(QPageLayout::Landscape);
        pdf_->setPageLayout(layout);
        begun = painter_.begin(pdf_.get());
    }
    if (!begun) throw PrinterFailure();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    painter_.setFont(font);
    return painter_;
}

void QtPrinter::End() {
    const bool ended = painter_.end();
    page_.reset();
    if (pdf_ == nullptr) {
        if (!ended || printer_.printerState() == QPrinter::Error) throw PrinterFailure();
        return;
    }
    pdf_.reset();
    pdfBuffer_.close();
    if (!ended) throw PrinterFailure();
    ReplaceTextFile(pdfPath_, std::string_view(pdfBytes_.constData(), static_cast<std::size_t>(pdfBytes_.size())));
}

Canvas& QtPrinter::BeginPage(const std::string& pdfPath) {
    QPainter& painter = Begin(pdfPath);
    page_ = std::make_unique<PageCanvas>(painter);
    return *page_;
}

void QtPrinter::EndPage() {
    if (!painter_.isActive()) throw PrinterFailure();
    End();
}

void QtPrinter::PrintWindow(const std::string& pdfPath) {
    QWidget* window = window_ ? window_() : nullptr;
    if (window == nullptr) throw PrinterFailure();
    const QPixmap image = window->grab();
    QPainter& painter = Begin(pdfPath);
    const QSize page(painter.device()->width(), painter.device()->height());
    const QSize fitted = image.size().scaled(page, Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(QPoint(0, 0), fitted), image);
    End();
}

void QtPrinter::Setup(const std::string& title) {
    QPrintDialog dialog(&printer_, window_ ? window_() : nullptr);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.exec();
}
