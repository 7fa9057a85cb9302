#pragma once
// The answers a `route --wait` process hears (its batch's log lines, then the exit code and the
// tally), sent from a thread of their own. A waiting console that stops answering (suspended,
// or its process hangs) would hold whoever sends to it for up to the send's timeout per message:
// here that is this thread, never the window's. Answers go out in the order they were handed
// in, each waiter's lines before its closing reply, and none is dropped: what is handed in before
// Finish is sent before Finish returns.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kw {

class WaiterReplies {
public:
    // Delivers one message to one waiter (WM_COPYDATA with `tag`); `from` is the program's window.
    using Send = std::function<void(HWND waiter, HWND from, std::uintptr_t tag, const std::vector<std::byte>& data)>;
    // The default sends WM_COPYDATA, skipping a waiter that is gone, with a timeout per message.
    explicit WaiterReplies(Send send = {});
    ~WaiterReplies();
    WaiterReplies(const WaiterReplies&) = delete;
    WaiterReplies& operator=(const WaiterReplies&) = delete;

    // Queues the lines (in blocks a message can carry) and the closing reply for each waiter, and
    // returns at once.
    void Answer(const std::vector<HWND>& waiters, HWND from, const std::vector<std::string>& lines, int exitCode,
                const std::string& text);
    // Sends everything queued, then ends the thread (at exit).
    void Finish();

private:
    struct Message {
        HWND waiter;
        HWND from;
        std::uintptr_t tag;
        std::vector<std::byte> data;
    };
    void Run();

    Send send;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Message> queue;
    bool finishing = false;
    std::thread thread;  // started with the first answer
};

}  // namespace kw
