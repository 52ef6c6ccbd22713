#pragma once

#include "core/Canvas.h"
#include "core/Printer.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QPrinter>

#include <functional>
#include <memory>

class QPdfWriter;
class QWidget;

// The desktop's printers through Qt's print support (CUPS on Linux), and PDF files
// written in memory and then put in place as every file of the controller is.
class QtPrinter final : public Printer {
public:
    // `window` gives the main window, for printing it as an image and as the parent of
    // the print dialog; `pdfOnly` leaves the printers alone (the headless runner).
    explicit QtPrinter(std::function<QWidget*()> window, bool pdfOnly = false);
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    std::string PrinterName() override;
    Canvas& BeginPage(const std::string& pdfPath) override;
    void EndPage() override;
    void PrintWindow(const std::string& pdfPath) override;
    void Setup(const std::string& title) override;

private:
    // The painter open on the chosen printer, or on a PDF writer for `pdfPath`.
    QPainter& Begin(const std::string& pdfPath);
    void End();

    std::function<QWidget*()> window_;
    bool pdfOnly_;
    QPrinter printer_; // the chosen printer and its settings, kept between reports
    QByteArray pdfBytes_;
    QBuffer pdfBuffer_;
    std::unique_ptr<QPdfWriter> pdf_;
    std::string pdfPath_;
    QPainter painter_;
    std::unique_ptr<Canvas> page_;
};
