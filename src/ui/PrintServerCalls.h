#pragma once

#include <QByteArray>
#include <QPageLayout>

#include <atomic>
#include <chrono>
#include <string>

// The desktop's print server asked with bounded waits, from a thread that is not the
// control cycle's: a server that takes the connection and never answers ends each call
// once `limit` has passed or `cutOff` is set.

// A print server that took the connection and did not answer.
struct PrintServerSilent {
    std::string what;
};

// The printer a page goes to and its page.
struct PrinterChoice {
    std::string name;   // "" when no printer is installed or no print server runs
    QPageLayout layout; // its paper, landscape; the printable area is the page
    int resolution = 0; // page units per inch
};

// `preferred` while it is still installed, else the server's default, else its first
// printer. Throws PrintServerSilent.
PrinterChoice AskPrinter(const std::string& preferred, std::chrono::milliseconds limit,
                         const std::atomic<bool>& cutOff);

// Sends a PDF to `printer` as one job. Returns "" once the server has taken it, else
// what went wrong.
std::string SendPdfJob(const std::string& printer, const std::string& title, const QByteArray& pdf,
                       std::chrono::milliseconds limit, const std::atomic<bool>& cutOff);
