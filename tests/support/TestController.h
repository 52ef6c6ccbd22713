#pragma once

#include "core/Canvas.h"
#include "core/Clock.h"
#include "core/Controller.h"
#include "core/ScriptedDialogs.h"

#include <string>
#include <vector>

// A canvas that only knows its size; drawing goes nowhere.
class BlankCanvas final : public Canvas {
public:
    BlankCanvas(int width, int height) : width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Cls(Rgb) override {}
    void Line(double, double, double, double, Rgb) override {}
    void Box(double, double, double, double, Rgb, bool) override {}
    void Text(double, double, const std::string&, Rgb) override {}
    void Point(double, double, Rgb) override {}
    bool SaveBmp(const std::string&) override { return false; }
    bool LoadBmp(const std::string&) override { return false; }

private:
    int width_;
    int height_;
};

class NullClipboard final : public Clipboard {
public:
    void SetText(const std::string& text) override { lastText = text; }
    void SetImage(Canvas&) override { ++images; }
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
    BlankCanvas plot{1000, 600};
    NullClipboard clipboard;
    RecordingShell shell;
    Controller c;

    TestController() { c.ports = Ports{&clock, &dialogs, &plot, &clipboard, &shell}; }
};
