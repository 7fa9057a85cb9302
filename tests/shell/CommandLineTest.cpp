#include <gtest/gtest.h>

#include <cstring>

#include "shell/CommandLine.h"
#include "shell/IntakeMessage.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace kw {
namespace {
using Mode = CommandLine::Mode;

TEST(CommandLine, ArgumentsBecomeAModeOptionsPathsAndProblems) {
    const struct {
        std::vector<std::wstring> arguments;
        Mode mode;
        bool copy, preview, dryRun, wait;
        std::vector<std::wstring> paths;
        size_t problems;
    } cases[] = {
        {{}, Mode::start, false, false, false, false, {}, 0},
        {{L"/?"}, Mode::help, false, false, false, false, {}, 0},
        {{L"C:\\a.pdf", L"D:\\b c"}, Mode::open, false, false, false, false, {L"C:\\a.pdf", L"D:\\b c"}, 0},
        // The shell passes only paths: an option was typed by someone, who hears of it, and
        // nothing is routed.
        {{L"--bogus", L"C:\\a.pdf"}, Mode::invalid, false, false, false, false, {}, 1},
        {{L"--bogus"}, Mode::invalid, false, false, false, false, {}, 1},
        {{L"--VERSION"}, Mode::version, false, false, false, false, {}, 0},
        {{L"--version", L"C:\\a.pdf"}, Mode::invalid, false, false, false, false, {}, 1},
        {{L"ROUTE", L"--Wait", L"--copy", L"a", L"--preview"}, Mode::route, true, true, false, true, {L"a"}, 0},
        {{L"route", L"--dry-run", L"--", L"--odd name", L"-"}, Mode::route, false, false, true, false,
         {L"--odd name", L"-"}, 0},
        {{L"route", L"--help", L"a"}, Mode::help, false, false, false, false, {L"a"}, 0},
        {{L"route", L"-x", L"a"}, Mode::route, false, false, false, false, {L"a"}, 1},
        {{L"route", L"--preview", L"--dry-run", L"a"}, Mode::route, false, true, true, false, {L"a"}, 1},
        {{L"route", L"--wait"}, Mode::route, false, false, false, true, {}, 1},  // no paths
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        const std::string label = c.arguments.empty() ? "(none)" : std::to_string(c.arguments.size()) + " arguments";
        EXPECT_EQ(line.mode, c.mode) << label;
        EXPECT_EQ(line.copy, c.copy) << label;
        EXPECT_EQ(line.preview, c.preview) << label;
        EXPECT_EQ(line.dryRun, c.dryRun) << label;
        EXPECT_EQ(line.wait, c.wait) << label;
        EXPECT_EQ(line.paths, c.paths) << label;
        EXPECT_EQ(line.problems.size(), c.problems) << label << ": " << (line.problems.empty() ? "" : line.problems[0]);
    }
}

// Paths are made absolute against the caller's folder (the running copy has another), and shell
// objects and missing paths are named in a problem each, not passed on.
TEST(CommandLine, CheckedPathsAreAbsoluteAndExist) {
    test::TempDir dir;
    test::WriteFile(dir / L"in" / L"a.txt", "a");
    std::vector<std::string> problems;
    const std::vector<std::wstring> kept = CheckedPaths(
        {L"in\\a.txt", (dir / L"in").native(), L"::{645FF040-5081-101B-9F00-00AA005B4382}", L"in\\gone.txt"},
        dir.Path(), problems);
    EXPECT_EQ(kept, (std::vector<std::wstring>{(dir / L"in" / L"a.txt").native(), (dir / L"in").native()}));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("Not a file or folder: \"::{645FF040"), std::string::npos) << problems[0];
    EXPECT_EQ(problems[1], "Not found: \"in\\gone.txt\".");
}

// What the running copy takes from another process is checked for size and form: the bytes of
// a well-formed list come back as sent; anything cut, padded or miscounted is refused whole.
TEST(IntakeMessage, ARequestRoundTripsAndMalformedBytesAreRefused) {
    IntakeRequest request;
    request.paths = {L"C:\\Docs\\\x0441\x0447\x0451\x0442.pdf", std::wstring(kMaxPathUnits, L'x')};
    request.notes = {"Unknown option \"--x\" ignored."};
    request.preview = true;
    request.fromConsole = true;
    const std::vector<std::byte> bytes = EncodeIntake(request);
    std::string why;
    const std::optional<IntakeRequest> back = DecodeIntake(bytes.data(), bytes.size(), why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(*back, request);

    const auto refused = [&](std::vector<std::byte> broken) {
        return !DecodeIntake(broken.data(), broken.size(), why).has_value();
    };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(std::vector<std::byte>(bytes.begin(), bytes.end() - 2)));  // last NUL cut
    std::vector<std::byte> padded = bytes;
    padded.resize(bytes.size() + 2);  // an extra empty string
    EXPECT_TRUE(refused(padded));
    std::vector<std::byte> odd = bytes;
    odd.push_back(std::byte{0});
    EXPECT_TRUE(refused(odd));
    std::vector<std::byte> miscounted = bytes;
    miscounted[12] = std::byte{3};  // three paths announced, two sent
    EXPECT_TRUE(refused(miscounted));
    std::vector<std::byte> foreign = bytes;
    foreign[0] = std::byte{'X'};
    EXPECT_TRUE(refused(foreign));
    IntakeRequest tooLong;
    tooLong.paths = {std::wstring(kMaxPathUnits + 1, L'x')};
    EXPECT_TRUE(refused(EncodeIntake(tooLong)));
    EXPECT_TRUE(refused(EncodeIntake(IntakeRequest())));  // nothing at all

    int code = 0;
    std::string text;
    const std::vector<std::byte> done = EncodeDone(1, "Done \xE2\x80\x94 moved 2");
    ASSERT_TRUE(DecodeDone(done.data(), done.size(), code, text));
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, "Done \xE2\x80\x94 moved 2");
}

}  // namespace
}  // namespace kw
