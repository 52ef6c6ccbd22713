#include "core/AfterCycle.h"

#include "core/Controller.h"

void DoAfterCycle(Controller& c, std::function<void(Controller&)> work) {
    if (c.WorkAfterCycle != nullptr) {
        c.WorkAfterCycle->push_back(std::move(work));
        return;
    }
    work(c);
}
