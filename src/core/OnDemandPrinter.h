#pragma once

#include "core/Printer.h"

#include <functional>

// A printer made on its first use: a run that never prints never brings up what
// printing needs (the desktop's printing system, its fonts).
class OnDemandPrinter final : public Printer {
public:
    explicit OnDemandPrinter(std::function<Printer&()> makePrinter) : makePrinter_(std::move(makePrinter)) {}

    std::string PrinterName() override { return Made().PrinterName(); }
    Canvas& BeginPage(const std::string& pdfPath) override { return Made().BeginPage(pdfPath); }
    void EndPage() override { Made().EndPage(); }
    void PrintWindow(const std::string& pdfPath) override { Made().PrintWindow(pdfPath); }
    void Setup(const std::string& title) override { Made().Setup(title); }

private:
    Printer& Made() {
        if (printer_ == nullptr) printer_ = &makePrinter_();
        return *printer_;
    }

    std::function<Printer&()> makePrinter_;
    Printer* printer_ = nullptr;
};
