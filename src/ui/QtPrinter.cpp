#include "ui/QtPrinter.h"

#include "core/FileErrors.h"
#include "ui/CanvasPainting.h"
#include "ui/OffThread.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
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
    void SetLineStyle(LineStyle style) override { lineStyle_ = style; }
    void Line(double x1, double y1, double x2, double y2, Rgb color) override {
        PaintLine(painter_, penWidth_, lineStyle_, ScreenPixel(), x1, y1, x2, y2, color);
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
    // The page's units a screen pixel takes: a screen has 96 of them an inch.
    double ScreenPixel() const { return static_cast<double>(painter_.device()->logicalDpiX()) / ScreenDpi; }

    static constexpr double ScreenDpi = 96.0;
    QPainter& painter_;
    int penWidth_ = 1;
    LineStyle lineStyle_ = LineStyle::Solid;
};

FileError PrinterFailure() { return MakeFileError(PrinterError); }

// A print server that answers at all does so within this; a job of one page is sent
// within the second.
constexpr std::chrono::seconds AskLimit{5};
constexpr std::chrono::seconds JobLimit{10};
// The local wait outlasts the calls' own limits a little, so that they end by themselves.
constexpr std::chrono::seconds WaitMargin{2};

} // namespace

QtPrinter::QtPrinter(std::function<QWidget*()> window, bool pdfOnly, std::function<bool()> stop)
    : window_(std::move(window)), pdfOnly_(pdfOnly), stop_(std::move(stop)), pdfBuffer_(&pdfBytes_) {}

QtPrinter::~QtPrinter() {
    if (painter_.isActive()) painter_.end();
}

PrinterChoice QtPrinter::Ask() {
    if (pdfOnly_) return {};
    std::optional<PrinterChoice> choice;
    try {
        choice = RunOffThread<PrinterChoice>(
            [preferred = chosenName_](const std::atomic<bool>& cutOff) {
                return AskPrinter(preferred, AskLimit, cutOff);
            },
            AskLimit + WaitMargin, stop_);
    } catch (const PrintServerSilent& silent) {
        throw FileError{PrinterError, silent.what};
    }
    if (!choice) throw FileError{PrinterError, "The print server does not answer"};
    if (chosenLayout_ && choice->name == chosenName_) choice->layout = *chosenLayout_;
    return *choice;
}

std::string QtPrinter::PrinterName() { return Ask().name; }

QPainter& QtPrinter::Begin(const std::string& pdfPath) {
    if (painter_.isActive()) painter_.end();
    pdf_.reset();
    pdfPath_ = pdfPath;
    forPage_.reset();
    std::optional<PrinterChoice> printer;
    if (pdfPath.empty()) {
        printer = Ask();
        if (printer->name.empty()) throw PrinterFailure();
        forPage_ = printer;
    } else {
        // A PDF file has the paper of the printer (the locale's where there is none, or
        // the server does not answer).
        try {
            if (const PrinterChoice asked = Ask(); !asked.name.empty()) printer = asked;
        } catch (const FileError&) {
        }
    }
    pdfBuffer_.close();
    pdfBytes_.clear();
    pdfBuffer_.open(QIODevice::WriteOnly);
    pdf_ = std::make_unique<QPdfWriter>(&pdfBuffer_);
    pdf_->setCreator(QStringLiteral("ZEK-8"));
    pdf_->setResolution(printer && pdfPath.empty() ? printer->resolution : PdfResolution);
    QPageLayout layout = printer ? printer->layout : pdf_->pageLayout();
    layout.setOrientation(QPageLayout::Landscape);
    pdf_->setPageLayout(layout);
    if (!painter_.begin(pdf_.get())) throw PrinterFailure();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    painter_.setFont(font);
    return painter_;
}

void QtPrinter::End() {
    const bool ended = painter_.end();
    page_.reset();
    pdf_.reset();
    pdfBuffer_.close();
    if (!ended) throw PrinterFailure();
    if (!forPage_) {
        ReplaceTextFile(pdfPath_, std::string_view(pdfBytes_.constData(), static_cast<std::size_t>(pdfBytes_.size())));
        return;
    }
    const std::optional<std::string> failure = RunOffThread<std::string>(
        [name = forPage_->name, pdf = pdfBytes_](const std::atomic<bool>& cutOff) {
            return SendPdfJob(name, "ZEK-8 Report", pdf, JobLimit, cutOff);
        },
        JobLimit + WaitMargin, stop_);
    forPage_.reset();
    if (!failure) throw FileError{PrinterError, "The print server does not answer"};
    if (!failure->empty()) throw FileError{PrinterError, *failure};
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
    // The dialog asks the server through Qt without a bound: it opens only on a server
    // that has just answered.
    const PrinterChoice current = Ask();
    QPrinter printer(QPrinterInfo::printerInfo(QString::fromStdString(current.name)), QPrinter::HighResolution);
    if (chosenLayout_) printer.setPageLayout(*chosenLayout_);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, window_ ? window_() : nullptr);
    dialog.setWindowTitle(QString::fromStdString(title));
    if (dialog.exec() != QDialog::Accepted) return;
    chosenName_ = printer.printerName().toStdString();
    chosenLayout_ = printer.pageLayout();
}
