// How long the printed report of a full history takes from the call to the finished
// PDF file (at most 1 s), and how large that file is (under 1 MB).

#include "BusyPlot.h"
#include "print/ReportPage.h"
#include "ui/QtPrinter.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <filesystem>

namespace {

void BM_PrintedReportOfAFullHistoryAsPdf(benchmark::State& state) {
    EnsureApplication();
    BusyPlot plot;
    plot.c.PrintColorMode = 2;
    QtPrinter printer(nullptr, true);
    const std::string path = QDir::temp().filePath(QStringLiteral("zek8-bench-report.pdf")).toStdString();
    for (auto _ : state) {
        DrawReportPage(plot.c, printer.BeginPage(path));
        printer.EndPage();
    }
    state.counters["pdf_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_PrintedReportOfAFullHistoryAsPdf)->Unit(benchmark::kMillisecond);

} // namespace
