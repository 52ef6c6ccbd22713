#pragma once

#include <optional>

struct Controller;

// The limit channels at work: where a channel on the specimen would pass its limit,
// the servo holds that channel on its limit instead of the control channel on its
// reference (a notch in the control channel's response), and a channel that passes
// its limit by its abort margin ends the test.

// A channel's limit at one frequency and the abort margin of the segment it lies in.
struct ChannelLimit {
    float level = 0.0f;   // G peak
    float abortDb = 0.0f; // above `level`
};
// The limit of `channel` at `frequency`: from the channel's row at or below it, the
// last row only at its own frequency; nothing outside the channel's rows.
std::optional<ChannelLimit> LimitAt(const Controller& c, int channel, float frequency);

// The highest response in G the channel may reach before it aborts, over all its rows
// (its limit raised by the margin); nothing for a channel without rows. The input range
// of a limit channel is chosen for it: a range clipped below it would hide the very
// excess the channel is there to catch.
std::optional<float> LimitAbortPeak(const Controller& c, int channel);

// The cycle's step between the measurement and the drive law: `LimitingChannel` is the
// channel whose raw response stands highest over its limit at `CurrentFrequency`, when
// higher than the control value stands over the reference, and the control value the
// drive law acts on becomes that channel's response scaled to the reference. No channel
// limits with the servo off or in Manual control.
void ApplyLimits(Controller& c);

// The step after the drive law. The block of a cycle was made under the drive before
// last, and the law's steps are small near the reference: on a mode's flank the law
// alone lets a limit channel stand over its limit for cycles. So the drive about to go
// out is held to the highest each limit channel allows, predicted from its response over
// the drive that made it and that ratio's change over the last cycle; the channel that
// holds it back limits. While a channel limits, the drive also rises as that prediction
// allows, as far as the control channel's reference allows, predicted the same way.
// Nothing is held with the servo off, in Manual control or off the board path.
void HoldDriveUnderLimits(Controller& c);

// The first channel whose response in this cycle's block lies above its limit by more
// than its abort margin, or 0. The block itself, not the smoothed response: a sweep
// through a sharp mode passes it in a few cycles, less than the smoothing needs to
// rise, and the specimen takes the excess all the same.
int LimitChannelOverAbort(const Controller& c);
