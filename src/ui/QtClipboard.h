#pragma once

#include "core/Clipboard.h"

// The clipboard of the desktop.
class QtClipboard final : public Clipboard {
public:
    void SetText(const std::string& text) override;
    void SetImage(Picture& picture) override;
};
