#include "ModulePrinter.h"

#include "core/FileErrors.h"
#include "ui/DesktopPrinterModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr int PrinterError = 482;

std::vector<std::filesystem::path> ModuleCandidates() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const std::filesystem::path folder = program.parent_path();
    return {folder / DesktopPrinterModuleName, folder / ZEK8_MODULE_DIR / DesktopPrinterModuleName};
}

} // namespace

ModulePrinter::ModulePrinter(bool (*stop)()) {
    for (const auto& candidate : ModuleCandidates()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(candidate, error)) continue;
        module_ = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module_ == nullptr) {
            loadError_ = dlerror();
            return;
        }
        auto* make = reinterpret_cast<Printer* (*)(bool (*)())>(dlsym(module_, DesktopPrinterNewSymbol));
        delete_ = reinterpret_cast<void (*)(Printer*)>(dlsym(module_, DesktopPrinterDeleteSymbol));
        if (make == nullptr || delete_ == nullptr) {
            loadError_ = candidate.string() + " is not the printing module";
            return;
        }
        printer_ = make(stop);
        return;
    }
    loadError_ = std::string("the printing module ") + DesktopPrinterModuleName + " is not installed";
}

ModulePrinter::~ModulePrinter() {
    if (printer_ != nullptr) delete_(printer_);
    // The module stays loaded: Qt may keep what it registered from it until the program ends.
}

Printer& ModulePrinter::Loaded() {
    if (printer_ == nullptr) throw MakeFileError(PrinterError);
    return *printer_;
}

std::string ModulePrinter::PrinterName() { return printer_ == nullptr ? "" : printer_->PrinterName(); }
Canvas& ModulePrinter::BeginPage(const std::string& pdfPath) { return Loaded().BeginPage(pdfPath); }
void ModulePrinter::EndPage() { Loaded().EndPage(); }
void ModulePrinter::PrintWindow(const std::string& pdfPath) { Loaded().PrintWindow(pdfPath); }
void ModulePrinter::Setup(const std::string& title) { Loaded().Setup(title); }
