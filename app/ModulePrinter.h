#pragma once

#include "core/Printer.h"

#include <string>

// The desktop printer of the printing module, loaded when this is made: from beside the
// program (a build tree), else from the module folder of the installation it is in. Without the module every
// page fails as a printer error, and `LoadError` says why.
class ModulePrinter final : public Printer {
public:
    // `stop` cuts a wait for the print server short when it says so.
    explicit ModulePrinter(bool (*stop)());
    ~ModulePrinter() override;
    ModulePrinter(const ModulePrinter&) = delete;
    ModulePrinter& operator=(const ModulePrinter&) = delete;

    const std::string& LoadError() const { return loadError_; }

    std::string PrinterName() override;
    Canvas& BeginPage(const std::string& pdfPath) override;
    void EndPage() override;
    void PrintWindow(const std::string& pdfPath) override;
    void Setup(const std::string& title) override;

private:
    Printer& Loaded();

    void* module_ = nullptr;
    Printer* printer_ = nullptr;
    void (*delete_)(Printer*) = nullptr;
    std::string loadError_;
};
