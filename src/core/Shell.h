#pragma once

// What the core asks of the program around it.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void ShowMainWindow() = 0;
    virtual void EndProgram() = 0;
};
