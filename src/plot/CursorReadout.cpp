#include "plot/CursorReadout.h"

#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/ParameterNames.h"
#include "plot/PlotTarget.h"

#include <string>

namespace {

// The words and the factor that turn K v into the units shown: tenths of the
// multiplier K, m/s^2 from G at 0.962.
struct AmplitudeWording {
    const char* words;
    double factor;
};

bool WordingFor(float units, float range, AmplitudeWording& wording) {
    const bool lowest = range == 0.0f;
    if (units == 0.0f || units == 2.0f) {
        wording = lowest ? AmplitudeWording{", G = ", 0.01} : AmplitudeWording{", Acc = ", 0.1};
        return true;
    }
    if (units == 1.0f) {
        wording = lowest ? AmplitudeWording{", G = ", 0.0962} : AmplitudeWording{", Acc = ", 0.962};
        return true;
    }
    return false;
}

} // namespace

void ShowCursorReadout(Controller& c, double x, double y) {
    c.CursorShownTime = c.ports.clock->MonotonicSeconds();
    AmplitudeWording wording{};
    if (WordingFor(c.P[Param::UnitsSystem], c.P[Param::AmplitudeRange], wording)) {
        // The plot's own mapping read backwards: a click on a grid line reads that line.
        const PlotMapping mapping = ScreenTarget(c).mapping;
        const char point = c.DecimalSeparator.empty() ? '.' : c.DecimalSeparator.front();
        c.Indicators.SetText("lblCursor", "  Freq. = " + FormatMask(mapping.FrequencyAt(x), "####.#", point) + " Hz. " +
                                              wording.words +
                                              FormatMask(mapping.RatioAt(y) * wording.factor, "###.##", point));
    }
    c.Indicators.SetVisible("lblCursor", true);
}

void CopyPlotToClipboard(Controller& c) {
    c.ports.dialogs->MessageBox(
        " This menu command copies the plot to the system clipboard to be pasted in other applications; press the "
        "PrintScreen key to copy the entire screen to the clipboard. The plot background color will be that set in the "
        "VIEW|PLOTBACKGROUND menu.",
        "Copy To Clipboard", MessageButtons::Ok, MessageIcon::None);
    c.ports.clipboard->SetImage(*c.ports.plot);
}
