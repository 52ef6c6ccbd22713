#pragma once

#include "core/Canvas.h"
#include "core/Printer.h"
#include "ui/PrintServerCalls.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>

#include <functional>
#include <memory>
#include <optional>

class QPdfWriter;
class QWidget;

// The desktop's printers, and PDF files written in memory and then put in place as every
// file of the controller is. A page for a printer is made as a PDF in memory too and
// sent as a job; the print server is asked on a thread of its own with bounded waits,
// so the control cycle goes on meanwhile and a server that does not answer is a
// printer error. Qt's print support is brought up only by the print dialog.
class QtPrinter final : public Printer {
public:
    // `window` gives the main window, for printing it as an image and as the parent of
    // the print dialog; `pdfOnly` leaves the printers alone (the headless runner).
    // `stop` cuts a wait for the print server short (the program is ending).
    explicit QtPrinter(std::function<QWidget*()> window, bool pdfOnly = false, std::function<bool()> stop = {});
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    std::string PrinterName() override;
    Canvas& BeginPage(const std::string& pdfPath) override;
    void EndPage() override;
    void PrintWindow(const std::string& pdfPath) override;
    void Setup(const std::string& title) override;

private:
    // The printer pages go to, asked anew: one may have been installed or removed.
    PrinterChoice Ask();
    // The painter open on a PDF writer, for `pdfPath` or for the printer.
    QPainter& Begin(const std::string& pdfPath);
    void End();

    std::function<QWidget*()> window_;
    bool pdfOnly_;
    std::function<bool()> stop_;
    std::string chosenName_;                  // chosen in the print dialog; "" for the default
    std::optional<QPageLayout> chosenLayout_; // and the paper chosen there
    std::optional<PrinterChoice> forPage_;    // the printer of the page under way
    QByteArray pdfBytes_;
    QBuffer pdfBuffer_;
    std::unique_ptr<QPdfWriter> pdf_;
    std::string pdfPath_;
    QPainter painter_;
    std::unique_ptr<Canvas> page_;
};
