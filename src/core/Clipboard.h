#pragma once

#include <string>

class Picture;

// The desktop's clipboard: the test data as text, the plot as a picture.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetImage(Picture& picture) = 0;
};
