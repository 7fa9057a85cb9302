#include "app/RoutingFolderCheck.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "model/MissingFolders.h"

namespace kw {

struct RoutingFolderCheck::State {
    std::mutex mutex;  // guards what follows
    std::condition_variable wake;
    std::optional<AppSettings> question;  // asked, not yet taken by the thread
    bool showBox = false;
    std::optional<Answer> answer;
    bool threadStarted = false;
    bool ended = false;
    std::vector<std::string> lastAsked;  // the folders of the newest question
    std::chrono::steady_clock::time_point askedAt;
    std::function<void()> answered;

    void Loop() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return question || ended; });
            if (ended) return;
            const AppSettings settings = std::move(*question);
            const bool box = showBox;
            question.reset();
            lock.unlock();
            Answer found{MissingRoutingFolders(settings), box};
            lock.lock();
            if (ended) return;
            if (!question) {  // a newer question makes this answer stale
                answer = std::move(found);
                if (const std::function<void()> call = answered) {
                    lock.unlock();
                    call();
                    lock.lock();
                }
            }
        }
    }
};

RoutingFolderCheck::RoutingFolderCheck(std::function<void()> answered) : state(std::make_shared<State>()) {
    state->answered = std::move(answered);
}

RoutingFolderCheck::~RoutingFolderCheck() {
    std::lock_guard lock(state->mutex);
    state->ended = true;
    state->answered = nullptr;
    state->wake.notify_all();
}

void RoutingFolderCheck::Ask(const AppSettings& settings, bool showBox) {
    std::vector<std::string> folders = RoutingFolders(settings);
    std::lock_guard lock(state->mutex);
    // A folder may be made or removed meanwhile: the same folders are looked at again now and then.
    const auto now = std::chrono::steady_clock::now();
    if (!showBox && state->threadStarted && folders == state->lastAsked && now - state->askedAt < std::chrono::seconds(2))
        return;
    state->lastAsked = std::move(folders);
    state->askedAt = now;
    state->question = settings;
    state->showBox = showBox;
    if (!state->threadStarted) {
        // Detached on purpose: it holds only the shared state, and a look-up stuck on a share
        // that does not answer must never be joined by the window's thread.
        std::thread([state = state] { state->Loop(); }).detach();
        state->threadStarted = true;
    }
    state->wake.notify_all();
}

std::optional<RoutingFolderCheck::Answer> RoutingFolderCheck::Take() {
    std::lock_guard lock(state->mutex);
    std::optional<Answer> taken = std::move(state->answer);
    state->answer.reset();
    return taken;
}

}  // namespace kw
