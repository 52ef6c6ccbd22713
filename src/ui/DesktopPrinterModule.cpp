#include "ui/DesktopPrinterModule.h"

#include "ui/QtPrinter.h"

#define ZEK8_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {

ZEK8_MODULE_EXPORT Printer* Zek8DesktopPrinterNew() { return new QtPrinter(nullptr); }

ZEK8_MODULE_EXPORT void Zek8DesktopPrinterDelete(Printer* printer) { delete printer; }
}
