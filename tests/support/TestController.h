#pragma once

#include "core/Canvas.h"
#include "core/Clock.h"
#include "core/Controller.h"
#include "core/ScriptedDialogs.h"
#include "core/SizeOnlyCanvas.h"

#include <string>
#include <vector>

class NullClipboard final : public Clipboard {
public:
    void SetText(const std::string& text) override { lastText = text; }
    void SetImage(Picture&) override { ++images; }
    std::string lastText;
    int images = 0;
};

class RecordingShell final : public Shell {
public:
    void ShowMainWindow() override { ++shown; }
    void EndProgram() override { ++ended; }
    int shown = 0;
    int ended = 0;
};

// A controller wired to a simulated clock, scripted dialogs and a blank plot.
struct TestController {
    SimulatedClock clock;
    ScriptedDialogs dialogs;
    SizeOnlyCanvas plot{1000, 600};
    NullClipboard clipboard;
    RecordingShell shell;
    Controller c;

    TestController() { c.ports = Ports{&clock, &dialogs, &plot, &clipboard, &shell}; }
};
