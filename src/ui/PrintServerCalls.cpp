#include "ui/PrintServerCalls.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <memory>

namespace {

constexpr const char* NoAnswer = "The print server does not answer";

// When a call to the server has waited long enough.
struct Deadline {
    std::chrono::steady_clock::time_point end;
    const std::atomic<bool>* cutOff;
    bool Passed() const { return cutOff->load() || std::chrono::steady_clock::now() >= end; }
};

// CUPS asks this whenever the server has been silent for the timeout set below: 1 waits
// on, 0 gives the call up.
int KeepWaiting(http_t*, void* deadline) { return static_cast<const Deadline*>(deadline)->Passed() ? 0 : 1; }

struct HttpClose {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpClose>;

// The connection to the server CUPS_SERVER or the client's configuration names; null
// when none takes it.
Connection Connect(Deadline& deadline, std::chrono::milliseconds limit) {
    int cancel = 0;
    Connection http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                 static_cast<int>(limit.count()), &cancel));
    constexpr double SilenceSeconds = 0.1;
    if (http) httpSetTimeout(http.get(), SilenceSeconds, KeepWaiting, &deadline);
    return http;
}

std::string NameOf(const cups_dest_t* dests, int count, const std::string& preferred) {
    const cups_dest_t* chosen = nullptr;
    for (int i = 0; i < count; ++i) {
        if (!preferred.empty() && preferred == dests[i].name) return preferred;
        if (dests[i].is_default && chosen == nullptr) chosen = &dests[i];
    }
    if (chosen == nullptr && count > 0) chosen = &dests[0];
    return chosen == nullptr ? std::string() : std::string(chosen->name);
}

} // namespace

PrinterChoice AskPrinter(const std::string& preferred, std::chrono::milliseconds limit,
                         const std::atomic<bool>& cutOff) {
    Deadline deadline{std::chrono::steady_clock::now() + limit, &cutOff};
    PrinterChoice choice;
    const Connection http = Connect(deadline, limit);
    if (!http) return choice; // no server runs: no printer is installed
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http.get(), &dests);
    choice.name = NameOf(dests, count, preferred);
    cupsFreeDests(count, dests);
    if (deadline.Passed()) throw PrintServerSilent{NoAnswer};
    if (choice.name.empty()) return choice;
    // The server has answered: its printer's paper and printable area as Qt reads them.
    QPrinter printer(QPrinterInfo::printerInfo(QString::fromStdString(choice.name)), QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    choice.layout = printer.pageLayout();
    choice.resolution = printer.resolution();
    return choice;
}

std::string SendPdfJob(const std::string& printer, const std::string& title, const QByteArray& pdf,
                       std::chrono::milliseconds limit, const std::atomic<bool>& cutOff) {
    Deadline deadline{std::chrono::steady_clock::now() + limit, &cutOff};
    const Connection http = Connect(deadline, limit);
    if (!http) return "No print server";
    const auto failure = [&deadline] { return deadline.Passed() ? std::string(NoAnswer) : cupsLastErrorString(); };
    const int job = cupsCreateJob(http.get(), printer.c_str(), title.c_str(), 0, nullptr);
    if (job == 0) return failure();
    if (cupsStartDocument(http.get(), printer.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
        return failure();
    if (cupsWriteRequestData(http.get(), pdf.constData(), static_cast<std::size_t>(pdf.size())) != HTTP_STATUS_CONTINUE)
        return failure();
    if (cupsFinishDocument(http.get(), printer.c_str()) != IPP_STATUS_OK) return failure();
    return "";
}
