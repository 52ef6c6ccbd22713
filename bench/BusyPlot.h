#pragma once

// A plot with every trace on and a full history, for the benchmarks of the screen and
// the printed page.

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "core/ScriptedDialogs.h"
#include "ui/ImageCanvas.h"

#include <QGuiApplication>

#include <cmath>

// Text needs the application's fonts; the picture itself needs no screen.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "zek8-bench";
    static char* argv[] = {name, nullptr};
    static const bool made = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
        return true;
    }();
    (void)made;
}

// Every trace on: 16 channels, the average of 1..8, the drive, a transfer function,
// the abort points; a history of 900 points from 5 to 5000 Hz.
struct BusyPlot {
    SimulatedClock clock;
    ScriptedDialogs dialogs;
    ImageCanvas picture{1600, 1000};
    Controller c;

    BusyPlot() {
        c.ports.clock = &clock;
        c.ports.dialogs = &dialogs;
        c.ports.plot = &picture;
        SetDefaults(c);
        SyncMenusToTable(c);
        for (int k = 0; k < 16; ++k) c.Menu.SetChecked("mnuViewResponse", k, true);
        for (int k = 0; k < 8; ++k) c.Menu.SetChecked("mnuViewAveResponse", k, true);
        c.P[55] = 255.0f;
        c.Menu.SetChecked("mnuViewTransferOut", 1, true);
        c.P[56] = 2.0f;
        c.Menu.SetChecked("mnuViewDrive", true);
        c.Menu.SetChecked("mnuViewAbort", true);
        for (int row = 1; row <= 900; ++row) {
            const float f = 5.0f * std::pow(1000.0f, static_cast<float>(row - 1) / 899.0f);
            c.History.at(row, 1) = f;
            for (int column = 2; column <= 20; ++column)
                c.History.at(row, column) = 1.0f + 0.5f * std::sin(0.01f * static_cast<float>(row * column));
            c.History.at(row, 10) = 0.3f;
        }
        c.HistoryCount = 901;
        c.ChannelResponse.fill(2.0f);
        c.CurrentFrequency = 100.0f;
        c.DriveOutput = 0.3f;
        c.SweepDirection = 2.0f;
    }
};
