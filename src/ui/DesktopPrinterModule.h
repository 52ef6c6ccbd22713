#pragma once

class Printer;

// The desktop printer as a module of its own (zek8-print.so), for the headless runner:
// a run that never prints then never loads Qt's widgets, its print support or the
// print server's client, which would otherwise cost every run their start-up. The
// window program links the same printer in directly.
//
// Made with `operator new`; the caller deletes it through Zek8DesktopPrinterDelete, so that
// the module's own destructor frees it. `stop` cuts a wait for the print server short
// when it says so (the program is ending); it may be null.
extern "C" {
Printer* Zek8DesktopPrinterNew(bool (*stop)());
void Zek8DesktopPrinterDelete(Printer* printer);
}

constexpr const char* DesktopPrinterModuleName = "zek8-print.so";
constexpr const char* DesktopPrinterNewSymbol = "Zek8DesktopPrinterNew";
constexpr const char* DesktopPrinterDeleteSymbol = "Zek8DesktopPrinterDelete";
