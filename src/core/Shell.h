#pragma once

// What the core asks of the program around it.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void ShowMainWindow() = 0;
    virtual void EndProgram() = 0;
    // The modeless profile editor; a host without one has nothing to show.
    virtual void ShowProfileEditor() {}
};
