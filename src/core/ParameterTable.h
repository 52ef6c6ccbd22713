#pragma once

#include <array>
#include <cstddef>

// Every setting of a test: P[0]..P[200], single precision. Switches keep their own
// encodings (on/off 0-1, check-mark 1-2, enumerations) because profile files store
// the values exactly as they are.
struct ParameterTable {
    static constexpr int Size = 201;
    std::array<float, Size> values{};

    float& operator[](int i) { return values.at(static_cast<std::size_t>(i)); }
    float operator[](int i) const { return values.at(static_cast<std::size_t>(i)); }
};

// The flag tests of the controller: exact comparisons with single-precision 1 and 2.
inline bool IsOn(float entry) { return entry == 1.0f; }
inline bool IsChecked(float entry) { return entry == 2.0f; }
