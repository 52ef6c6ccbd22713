#pragma once

#include <string>
#include <vector>

struct Controller;
struct ProfileSetUp;

// The values of a profile the controller cannot act on, replaced as the profile is read:
// an enumerated entry (a whole number from a small set) outside its set takes its
// default, and a sweep limit or dwell frequency outside the measurable band is held at
// the band's nearer end.
struct ReplacedValue {
    std::string name; // "P[68]", "dwell point 3 frequency"
    float was;
    float now;
    bool frequency; // held within the band, not a default
};
std::vector<ReplacedValue> ReplaceValuesOutOfRange(ProfileSetUp& setUp);

// One message naming every replaced value; nothing when none was.
void TellReplacedValues(Controller& c, const std::vector<ReplacedValue>& replaced);
