#include "ui/DesktopPrinterModule.h"

#include "ui/QtPrinter.h"

#define ZEK8_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

ZEK8_MODULE_EXPORT Printer* Zek8DesktopPrinterNew(bool (*stop)()) {
    return new QtPrinter(nullptr, false, stop == nullptr ? std::function<bool()>{} : std::function<bool()>(stop));
}

ZEK8_MODULE_EXPORT void Zek8DesktopPrinterDelete(Printer* printer) { delete printer; }
}
