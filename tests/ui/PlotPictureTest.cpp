#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "plot/PlotFrame.h"
#include "support/TestController.h"
#include "ui/ImageCanvas.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <fstream>

// The plot as pixels: the picture a saved report or a copied plot carries. A 1600 x 300
// area on the widest axes: x = 173.76 ln f, y = 300 - 39.45 ln(10 v). A line one pixel
// wide at y fills row floor(y), one two pixels wide the row above it too.
class PlotPictureTest : public QObject {
    Q_OBJECT

    struct Rig {
        TestController t;
        ImageCanvas picture{1600, 300};
        Rig() {
            SetDefaults(t.c);
            SyncMenusToTable(t.c);
            t.c.ports.plot = &picture;
        }
        QColor At(int x, int y) const { return picture.Image().pixelColor(x, y); }
        // Pixels of `color` in row y between columns x1 and x2.
        int CountInRow(int y, int x1, int x2, QColor color) const {
            int count = 0;
            for (int x = x1; x <= x2; ++x) count += At(x, y) == color ? 1 : 0;
            return count;
        }
    };

private slots:
    void gridLinesInDarkCyanAtTheirColumnsAndRows() {
        Rig rig;
        RefreshPlot(rig.t.c);
        const QColor grid(0, 128, 128);
        // 2 Hz: x = 173.76 ln 2 = 120.44; 0.2 G: y = 300 - 39.45 ln 2 = 272.66.
        QCOMPARE(rig.At(120, 150), grid);
        QCOMPARE(rig.At(10, 272), grid);
        QCOMPARE(rig.At(130, 150), QColor(Qt::black));
    }

    void referenceLineWhiteOnBlackAndBlackOnWhite() {
        Rig rig;
        rig.t.c.Menu.SetChecked("mnuViewAbort", false);
        // The default profile holds 10 G from 20 to 44.3 Hz: y = 300 - 39.45 ln 100 = 118.33,
        // from x = 520.5 to 658.7.
        RefreshPlot(rig.t.c);
        QVERIFY(rig.CountInRow(118, 530, 650, Qt::white) > 100);
        rig.t.c.P[53] = 1.0f;
        RefreshPlot(rig.t.c);
        QCOMPARE(rig.At(5, 5), QColor(Qt::white));
        // The white reference points stand on the black line every 3.6 pixels.
        QVERIFY(rig.CountInRow(118, 530, 650, Qt::black) > 50);
    }

    void tracesInTheirColoursAtTheirPoints() {
        Rig rig;
        Controller& c = rig.t.c;
        c.Menu.SetChecked("mnuViewResponse", 1, true);
        c.Menu.SetChecked("mnuViewResponse", 4, true);
        // Channel 1 at 100 G (y 27.49), channel 2 at 50 G (y 54.8), channel 5 at 5 G (y 145.67),
        // at 100 Hz (x 800.2) and 200 Hz (x 920.6).
        c.HistoryCount = 3;
        for (int row : {1, 2}) {
            c.History.at(row, 1) = row == 1 ? 100.0f : 200.0f;
            c.History.at(row, 2) = 100.0f;
            c.History.at(row, 3) = 50.0f;
            c.History.at(row, 6) = 5.0f;
        }
        RefreshPlot(c);
        QCOMPARE(rig.At(860, 26), QColor(255, 0, 0));
        QCOMPARE(rig.At(860, 27), QColor(255, 0, 0)); // two pixels wide
        QCOMPARE(rig.At(860, 55), QColor(255, 0, 255));
        QVERIFY(rig.CountInRow(145, 918, 922, QColor(255, 0, 0)) > 0); // channel 5 as a point ...
        QCOMPARE(rig.CountInRow(145, 802, 915, QColor(255, 0, 0)), 0); // ... and only a point
    }

    void legendsOnlyForTickedChannels() {
        Rig rig;
        RefreshPlot(rig.t.c);
        // Channel 1's legend at y 15 in red; channel 2's line, 12 pixels lower, stays empty.
        int red = 0;
        int magenta = 0;
        for (int y = 15; y < 27; ++y) red += rig.CountInRow(y, 16, 80, QColor(255, 0, 0));
        for (int y = 27; y < 39; ++y) magenta += rig.CountInRow(y, 16, 80, QColor(255, 0, 255));
        QVERIFY(red > 10);
        QCOMPARE(magenta, 0);
    }

    void savedPictureKeepsTheColours() {
        Rig rig;
        RefreshPlot(rig.t.c);
        const QString path = QDir::temp().filePath(QStringLiteral("zek8-plot-picture.bmp"));
        QVERIFY(rig.picture.SaveBmp(path.toStdString()));
        const QImage saved(path, "BMP");
        QFile::remove(path);
        QCOMPARE(saved.size(), QSize(1600, 300));
        QCOMPARE(saved.pixelColor(120, 150), QColor(0, 128, 128));
    }

    // A 2 x 2 24-bit bitmap whose first stored row is red and second blue: the bottom
    // row of a picture stored bottom-up (height 2), the top row of one stored top-down
    // (height -2). A file cut short of its rows is no picture.
    void bitmapsTopDownBottomUpAndCutShort() {
        const auto bitmap = [](std::int32_t height, std::size_t cut) {
            QByteArray bytes;
            const auto put = [&bytes](std::uint32_t value, int size) {
                for (int k = 0; k < size; ++k) bytes.append(static_cast<char>((value >> (8 * k)) & 0xFF));
            };
            bytes.append("BM");
            for (const std::uint32_t field : {70u, 0u, 54u, 40u, 2u}) put(field, 4);
            put(static_cast<std::uint32_t>(height), 4);
            put(1, 2);
            put(24, 2);
            for (const std::uint32_t field : {0u, 16u, 2835u, 2835u, 0u, 0u}) put(field, 4);
            for (const std::uint32_t blueGreenRed : {0xFF0000u, 0x0000FFu}) { // red, then blue
                for (int pixel = 0; pixel < 2; ++pixel) put(blueGreenRed, 3);
                put(0, 2); // each row padded to 4 bytes
            }
            return bytes.left(static_cast<qsizetype>(bytes.size() - cut));
        };
        struct Case {
            std::int32_t height;
            std::size_t cut;
            QColor top; // invalid: refused
        };
        const Case cases[] = {{2, 0, Qt::blue}, {-2, 0, Qt::red}, {2, 1, QColor()}, {-2, 8, QColor()}};
        for (const Case& k : cases) {
            const QString path = QDir::temp().filePath(QStringLiteral("zek8-loaded.bmp"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bitmap(k.height, k.cut));
            file.close();
            ImageCanvas canvas(4, 4);
            const bool loaded = canvas.LoadBmp(path.toStdString());
            QFile::remove(path);
            QCOMPARE(loaded, k.top.isValid());
            if (!loaded) continue;
            QCOMPARE(canvas.Image().pixelColor(0, 0), k.top);
            QCOMPARE(canvas.Image().pixelColor(1, 1), k.top == Qt::red ? QColor(Qt::blue) : QColor(Qt::red));
        }
    }

    // Save Report replaces a file as every save does: one nobody may write is refused
    // and kept, the new picture keeps the old file's permissions, a link is followed.
    void savedReportKeepsWhatTheOldFileWas() {
        namespace fs = std::filesystem;
        Rig rig;
        RefreshPlot(rig.t.c);
        const fs::path folder = fs::temp_directory_path() / "zek8-report-kept";
        fs::remove_all(folder);
        fs::create_directories(folder / "real");
        const fs::path file = folder / "real" / "report.bmp";
        fs::create_symlink("real/report.bmp", folder / "link.bmp");
        const auto save = [&](const fs::path& path, unsigned mode) {
            std::ofstream(file, std::ios::binary) << "BM old";
            fs::permissions(file, static_cast<fs::perms>(mode));
            rig.t.dialogs.QueueFileName(path.string());
            RunMenuCommand(rig.t.c, "mnuFileSaveReport");
        };
        save(file, 0444);
        QCOMPARE(rig.t.dialogs.History().back().title, std::string("Error # 70 Occured"));
        QCOMPARE(fs::file_size(file), std::uintmax_t{6});
        save(folder / "link.bmp", 0600);
        QVERIFY(fs::is_symlink(folder / "link.bmp"));
        QCOMPARE(QImage(QString::fromStdString(file.string()), "BMP").size(), QSize(1600, 300));
        QCOMPARE(static_cast<unsigned>(fs::status(file).permissions()), 0600u);
        QCOMPARE(std::distance(fs::directory_iterator(folder / "real"), fs::directory_iterator()), 1);
        fs::remove_all(folder);
    }
};

QTEST_MAIN(PlotPictureTest)
#include "PlotPictureTest.moc"
