#include "ui/AfterFrame.h"

namespace kw {

void AfterFrame::Add(std::function<void()> action) {
    if (action) pending_.push_back(std::move(action));
}

void AfterFrame::Run() {
    while (!pending_.empty()) {
        std::vector<std::function<void()>> now;
        now.swap(pending_);
        for (std::function<void()>& action : now) action();
    }
}

}  // namespace kw
