#pragma once

#include <string>

struct Controller;

// The station's status as the lab network is told it: one JSON object, in this order,
//   "time"           the clock's local date and time, ISO 8601 to the millisecond
//                    ("2026-01-05T09:00:01.500"), without a zone
//   "servo"          "on" | "off"
//   "sweep"          "running" | "held"
//   "frequencyHz"    the drive frequency
//   "referenceG"     the reference, G peak
//   "controlG"       the control value the servo acts on, G peak
//   "drivePercent"   the drive output in percent of full drive
//   "compressionDb"  the drive's compression, dB
//   "sweepCount"     the sweep the panel counts (SWEEP#)
//   "elapsedSeconds" the test's run time
//   "abortCode"      0, or the code of the last abort
//   "abortMessage"   "" or the text of the last abort
//   "profile"        the profile's title
//   "profileFile"    the profile's file name
//   "units"          the profile's units: "English" | "Metric" | "Hybrid"
// A number that is not finite is null. Nothing else of the station goes out in it.
std::string NetworkStatusJson(const Controller& c);

// What a status goes out at once on a change of: the servo, the sweep running or held,
// an abort, the profile loaded.
std::string NetworkStatusState(const Controller& c);
