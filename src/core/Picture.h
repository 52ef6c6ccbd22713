#pragma once

#include "core/Canvas.h"

#include <string>

// A canvas that keeps what was drawn on it, as the plot area does: the picture can be
// saved as a bitmap file (the test report) and a saved one loaded back into it.
class Picture : public Canvas {
public:
    // The whole picture as a 24-bit Windows bitmap; false when it cannot be written or read.
    // A picture that writes its file as the controller's files are written may throw
    // that write's FileError instead, which tells why.
    virtual bool SaveBmp(const std::string& path) = 0;
    virtual bool LoadBmp(const std::string& path) = 0;
};
