#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

// The View menu's choices, read once for a whole drawing.
struct TraceSelection {
    std::array<bool, 17> response{}; // channels 1..16 shown
    std::array<bool, 9> average{};   // channels 1..8 averaged
    bool drive = false;
    std::optional<int> output; // the last ticked Output and Input items
    std::optional<int> input;
};

// What the plot keeps between drawings: the scale factors the last frame drawing set,
// where each trace's last segment ended, and the transfer function's last values.
struct PlotState {
    float FrequencyScale = 0.1086f; // x per unit of ln(f), as a fraction of the width
    float AmplitudeScale = 0.1315f; // y per unit of ln(K v), as a fraction of the height
    int GridDecades = 3;            // amplitude decades that carry grid lines

    float PenX = 0.0f;            // x of the last drawn point
    std::array<float, 17> PenY{}; // y of the last point of channels 1..16
    float PenAverageY = 0.0f;
    float PenDriveY = 0.0f;
    float PenTransferY = 0.0f;

    float TransferRatio = 1.0f;  // of the present point, 0.01..200
    float TransferOutput = 0.0f; // the values it was last formed from; kept while no
    float TransferInput = 0.0f;  // Output or Input item is ticked

    // What the labels beside the plot were last written for: the frequency range, and
    // the amplitude range with the units system and decimal separator. Nothing else
    // writes them, so a status refresh leaves them alone until one of these changes.
    std::optional<float> FrequencyLabelsFor;
    std::optional<std::tuple<float, float, std::string>> AmplitudeLabelsFor;

    // The View menu's choices as the cycle last read them, with the menus' revision and
    // the channel group they were read at: some fifty ticks are looked up again only
    // when either has changed.
    TraceSelection Selection;
    std::optional<std::pair<std::uint64_t, float>> SelectionFor;
};
