#include <gtest/gtest.h>

#include <future>

#include "app/RoutingFolderCheck.h"
#include "model/TextEncoding.h"
#include "support/TempDir.h"

namespace kw {
namespace {

// The folders are looked at on a thread of the check's own, which wakes the window; the answer is
// for the newest question, and an unchanged question is not asked again at every frame.
TEST(RoutingFolderCheck, AnswersOffTheWindowThreadForTheNewestQuestion) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / L"here");
    std::promise<std::thread::id> woke;
    std::atomic<int> wakes{0};
    RoutingFolderCheck check([&] {
        if (wakes++ == 0) woke.set_value(std::this_thread::get_id());
    });
    AppSettings settings;
    settings.noMatchPolicy = NoMatchPolicy::unsorted;
    settings.catchAllPath = PathToUtf8(dir / L"gone");
    Rule here;
    here.destination = PathToUtf8(dir / L"here");
    settings.rules = {here};
    check.Ask(settings, true);
    auto wokeOn = woke.get_future();
    ASSERT_EQ(wokeOn.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_TRUE(wokeOn.get() != std::this_thread::get_id());
    const std::optional<RoutingFolderCheck::Answer> answer = check.Take();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->missing, std::vector<std::string>{PathToUtf8(dir / L"gone")});
    EXPECT_TRUE(answer->showBox);
    EXPECT_FALSE(check.Take()) << "taken once";

    check.Ask(settings, false);  // the same folders again, at once: not looked at again
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(check.Take());
}

}  // namespace
}  // namespace kw
