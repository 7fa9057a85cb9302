#pragma once
// What a click in the settings window asks for, kept until the frame has drawn. A button is
// drawn in the middle of the lists it acts on (the plan of a drop below "Route", the batches
// around "Undo", the rows around "Delete"), and Dear ImGui goes on reading them after the click
// is seen: an action that frees or reorders them there would leave the rest of the frame reading
// what is gone. So buttons record their action here, and the window runs them once it has ended.

#include <functional>
#include <vector>

namespace kw {

class AfterFrame {
public:
    void Add(std::function<void()> action);
    // Runs what was recorded, in order, and forgets it; an action may record more, which runs too.
    void Run();
    bool Empty() const { return pending_.empty(); }

private:
    std::vector<std::function<void()>> pending_;
};

}  // namespace kw
