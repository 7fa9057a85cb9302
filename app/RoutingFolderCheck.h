#pragma once
// Finds which routing folders are missing on a thread of its own: a destination on a share that
// does not answer, or a mapped drive that is gone, must not hold the window for the network's
// time-out (at start-up, or at every frame of the Settings tab). Only the newest question is
// answered; one still stuck on an old question is not waited for, not even when the check is
// destroyed (its thread ends on its own once the system answers, holding nothing of the caller).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/AppSettings.h"

namespace kw {

class RoutingFolderCheck {
public:
    struct Answer {
        std::vector<std::string> missing;
        bool showBox = false;  // the question asked for a message box when something is missing
    };

    // `answered` is called on the checking thread when an answer is ready (to wake the window).
    explicit RoutingFolderCheck(std::function<void()> answered);
    ~RoutingFolderCheck();
    RoutingFolderCheck(const RoutingFolderCheck&) = delete;
    RoutingFolderCheck& operator=(const RoutingFolderCheck&) = delete;

    // Asks about the routing folders of `settings`. The same folders asked again without a box
    // within two seconds are not looked up again (the Settings tab asks at every frame).
    void Ask(const AppSettings& settings, bool showBox);
    // The newest answer, once.
    std::optional<Answer> Take();

private:
    struct State;
    std::shared_ptr<State> state;
};

}  // namespace kw
