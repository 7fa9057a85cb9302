#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/WaiterReplies.h"
#include "shell/IntakeMessage.h"

namespace kw {
namespace {
using namespace std::chrono_literals;

// A waiting console that stops answering (here: `stalled` refuses every message, as a hung
// process does, until it runs again) holds neither the caller nor the other waiters: the caller
// returns at once, the live waiter hears its answers meanwhile, and the stalled one hears all of
// its own, in order, once it answers again. A waiter that never does is given up at exit.
TEST(WaiterReplies, AStalledWaiterHoldsNoOneElseAndLosesNothingWhileItLives) {
    const HWND stalled = reinterpret_cast<HWND>(0x10), live = reinterpret_cast<HWND>(0x20),
               never = reinterpret_cast<HWND>(0x30);
    std::mutex mutex;
    bool runsAgain = false;
    std::vector<std::string> heard;
    std::vector<std::string> lines(3, std::string(300 * 1024, 'x'));  // more than one message holds
    lines[0] = "[ok] a";
    const auto record = [&](HWND waiter, std::uintptr_t tag, const std::vector<std::byte>& data) {
        std::string text(reinterpret_cast<const char*>(data.data()), data.size());
        if (tag == kReplyDoneTag) {
            int code = -1;
            DecodeDone(data.data(), data.size(), code, text);
            text = "done " + std::to_string(code) + " " + text;
        } else {
            text = "lines " + std::to_string(text.size());
        }
        heard.push_back((waiter == stalled ? "stalled " : "live ") + text);
    };
    WaiterReplies replies(
        [&](HWND waiter, HWND, std::uintptr_t tag, const std::vector<std::byte>& data) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (waiter == never || (waiter == stalled && !runsAgain)) return WaiterReplies::Delivery::tryLater;
            record(waiter, tag, data);
            return WaiterReplies::Delivery::taken;
        },
        10ms, 200ms);
    const auto start = std::chrono::steady_clock::now();
    replies.Answer({stalled, live}, nullptr, lines, 1, "Done \xE2\x80\x94 could not route 1");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);

    const std::string done = "done 1 Done \xE2\x80\x94 could not route 1";
    const std::string first = "lines " + std::to_string(lines[0].size() + 1 + 300 * 1024 + 1);
    const std::string second = "lines " + std::to_string(300 * 1024 + 1);
    const std::vector<std::string> liveHeard = {"live " + first, "live " + second, "live " + done};
    for (int i = 0; i < 200; ++i) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (heard.size() >= liveHeard.size()) break;
        }
        std::this_thread::sleep_for(10ms);
    }
    {
        const std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(heard, liveHeard);  // while the stalled one still refuses
        runsAgain = true;
    }
    replies.Answer({never}, nullptr, {}, 0, "No files to route.");
    const auto finishing = std::chrono::steady_clock::now();
    replies.Finish();
    EXPECT_LT(std::chrono::steady_clock::now() - finishing, 2s);  // `never` is given up
    std::vector<std::string> expected = liveHeard;
    for (const std::string& text : {first, second, done}) expected.push_back("stalled " + text);
    EXPECT_EQ(heard, expected);
}

}  // namespace
}  // namespace kw
