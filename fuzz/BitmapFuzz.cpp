// A report picture opened into the plot area: the plot's own canvas reading a bitmap
// from bytes, with Qt's BMP reader behind it. Qt itself is not instrumented, so the
// fuzzer steers by the canvas alone and mostly checks that no input harms the process.
#include "ui/ImageCanvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

// Fontconfig keeps what it loads for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's warnings about a damaged file would be printed for every input.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz-bitmap";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* const application = new QGuiApplication(argc, argv);
    // Fonts and the painter are set up once here, not on the first input.
    ImageCanvas warmUp(8, 8);
    warmUp.Text(0, 0, "0", 0xFFFFFF);
    warmUp.Image();
    return application != nullptr ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ImageCanvas canvas(64, 48);
    if (canvas.ReadBmp(buffer)) canvas.Image();
    return 0;
}
