#pragma once

#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "support/RecordingCanvas.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

// The default set-up drawing onto a recorded 1000 x 600 plot: on the widest axes
// x = 108.6 ln f, y = 600 - 78.9 ln(K v).
struct RecordedPlotTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    RecordingCanvas plot{1000, 600};

    RecordedPlotTest() {
        SetDefaults(c);
        SyncMenusToTable(c);
        c.ports.plot = &plot;
    }
};
