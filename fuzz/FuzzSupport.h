#pragma once

#include "core/Canvas.h"
#include "core/Clock.h"
#include "core/Controller.h"
#include "core/Defaults.h"
#include "core/ScriptedDialogs.h"
#include "core/SizeOnlyCanvas.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// What every fuzz target shares: a controller as start-up leaves it before it reads
// any file, and the check that turns a broken promise of a reader into a finding.

// A property of what a reader gave back that does not hold: reported and stopped, so
// the fuzzer keeps the input.
inline void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

class NoClipboard final : public Clipboard {
public:
    void SetText(const std::string&) override {}
    void SetImage(Picture&) override {}
};

class NoShell final : public Shell {
public:
    void ShowMainWindow() override {}
    void EndProgram() override {}
};

// The defaults on a simulated clock; dialogs answer as the headless runner's do, so a
// file error box gets Cancel and never loops.
struct FuzzController {
    SimulatedClock clock;
    ScriptedDialogs dialogs;
    SizeOnlyCanvas plot{640, 480};
    NoClipboard clipboard;
    NoShell shell;
    Controller c;

    FuzzController() {
        c.ports = Ports{&clock, &dialogs, &plot, &clipboard, &shell};
        SetDefaults(c);
    }
};
