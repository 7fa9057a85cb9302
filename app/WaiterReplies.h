#pragma once
// The answers a `route --wait` process hears (its batch's log lines, then the exit code and the
// tally), sent from threads of their own, one per waiting process. A waiting console that stops
// answering (suspended, or its process hangs) holds only its own sender, never the window nor
// another console's answers. Each waiter hears its messages in the order handed in; a message a
// hung waiter refused is offered again until the waiter takes it or goes away, so none is lost
// while it lives (at exit, for a short while longer only).

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kw {

class WaiterReplies {
public:
    // What became of one message: taken (or handed to a waiter that took too long to say so),
    // refused by a hung waiter without being given to it (offered again later), or its waiter
    // is gone.
    enum class Delivery { taken, tryLater, gone };
    // Delivers one message to one waiter (WM_COPYDATA with `tag`); `from` is the program's window.
    using Send =
        std::function<Delivery(HWND waiter, HWND from, std::uintptr_t tag, const std::vector<std::byte>& data)>;
    // The default sends WM_COPYDATA. `retry`: how soon a refused message is offered again;
    // `lastChance`: how long Finish still offers what waiters refused.
    explicit WaiterReplies(Send send = {}, std::chrono::milliseconds retry = std::chrono::milliseconds(250),
                           std::chrono::milliseconds lastChance = std::chrono::seconds(5));
    ~WaiterReplies();
    WaiterReplies(const WaiterReplies&) = delete;
    WaiterReplies& operator=(const WaiterReplies&) = delete;

    // Queues the lines (in blocks a message can carry) and the closing reply for each waiter, and
    // returns at once.
    void Answer(const std::vector<HWND>& waiters, HWND from, const std::vector<std::string>& lines, int exitCode,
                const std::string& text);
    // Waits until every answer is delivered, or its waiter gone, or `lastChance` has passed (at exit).
    void Finish();

private:
    struct Message {
        std::uintptr_t tag;
        std::vector<std::byte> data;
    };
    struct Sender {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Deliver(HWND waiter, HWND from, const std::vector<Message>& messages, std::atomic<bool>& done);

    Send send;
    const std::chrono::milliseconds retry;
    const std::chrono::milliseconds lastChance;
    std::mutex mutex;
    std::condition_variable finishing;
    std::chrono::steady_clock::time_point giveUpAt = std::chrono::steady_clock::time_point::max();
    std::list<Sender> senders;  // finished ones are joined at the next answer
};

}  // namespace kw
