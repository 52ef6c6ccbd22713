#pragma once

#include <string>

class Canvas;

// The desktop's printing: the printer reports go to, or a PDF file where no printer is
// installed. A page is landscape, its text 10 points high, and measured in the
// printer's own units from the top left corner of what it can print.
class Printer {
public:
    virtual ~Printer() = default;

    // The printer the next page goes to: the one last chosen in the print dialog, else
    // the desktop's default; "" when no printer is installed.
    virtual std::string PrinterName() = 0;
    // Starts a page on that printer, or for the PDF file `pdfPath` when it is not empty.
    // The canvas lasts until the page ends; a page begun again starts afresh. Throws
    // FileError.
    virtual Canvas& BeginPage(const std::string& pdfPath) = 0;
    // Ends the page and sends it to the printer, or writes the PDF file as every file of
    // the controller is written (a failed write leaves the old file). Throws FileError.
    virtual void EndPage() = 0;
    // The main window as it stands on screen, scaled to fill the page. Throws FileError.
    virtual void PrintWindow(const std::string& pdfPath) = 0;
    // The desktop's print dialog under `title`; what is chosen there holds for the next
    // page. Throws FileError when the dialog cannot be shown.
    virtual void Setup(const std::string& title) = 0;
};
