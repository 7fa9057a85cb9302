#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/WaiterReplies.h"
#include "shell/IntakeMessage.h"

namespace kw {
namespace {

// A waiting console that stalls (here: the first waiter, until released, as a suspended
// process holds a sent message for seconds) holds neither the caller nor anyone's order: the
// caller returns at once, and every answer arrives, each waiter's lines before its closing reply,
// in the order handed in, even when the program finishes while the stall lasts.
TEST(WaiterReplies, AStalledWaiterHoldsNeitherTheCallerNorTheOrderOfAnswers) {
    const HWND stalled = reinterpret_cast<HWND>(0x10), live = reinterpret_cast<HWND>(0x20);
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    std::vector<std::string> heard;
    std::vector<std::string> lines(3, std::string(300 * 1024, 'x'));  // more than one message holds
    lines[0] = "[ok] a";
    WaiterReplies replies([&](HWND waiter, HWND, std::uintptr_t tag, const std::vector<std::byte>& data) {
        std::unique_lock<std::mutex> lock(mutex);
        if (waiter == stalled) changed.wait(lock, [&] { return released; });
        std::string text(reinterpret_cast<const char*>(data.data()), data.size());
        if (tag == kReplyDoneTag) {
            int code = -1;
            DecodeDone(data.data(), data.size(), code, text);
            text = "done " + std::to_string(code) + " " + text;
        } else {
            text = "lines " + std::to_string(text.size());
        }
        heard.push_back((waiter == stalled ? "stalled " : "live ") + text);
    });
    const auto start = std::chrono::steady_clock::now();
    replies.Answer({stalled, live}, nullptr, lines, 1, "Done \xE2\x80\x94 could not route 1");
    replies.Answer({live}, nullptr, {}, 0, "No files to route.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    {
        const std::lock_guard<std::mutex> lock(mutex);
        EXPECT_TRUE(heard.empty());  // the stalled waiter is first in line
        released = true;
    }
    changed.notify_all();
    replies.Finish();
    const std::string done = "done 1 Done \xE2\x80\x94 could not route 1";
    const std::string first = "lines " + std::to_string(lines[0].size() + 1 + 300 * 1024 + 1);
    const std::string second = "lines " + std::to_string(300 * 1024 + 1);
    EXPECT_EQ(heard, (std::vector<std::string>{"stalled " + first, "stalled " + second, "stalled " + done,
                                               "live " + first, "live " + second, "live " + done,
                                               "live done 0 No files to route."}));
}

}  // namespace
}  // namespace kw
