#include <gtest/gtest.h>

#include "model/MissingFolders.h"
#include "model/TextEncoding.h"
#include "support/TempDir.h"

namespace kw {
namespace {

TEST(MissingRoutingFolders, ListsEachMissingMoveDestinationOnce) {
    test::TempDir dir;
    const std::string there = PathToUtf8(dir.Path());
    const std::string missing = PathToUtf8(dir / L"Missing");
    const std::string file = PathToUtf8(dir / L"a file");
    test::WriteFile(dir / L"a file", "x");

    AppSettings s;
    s.catchAllPath = PathToUtf8(dir / L"Unsorted");
    const auto rule = [](std::string destination, bool enabled = true, RuleAction action = RuleAction::move) {
        Rule r;
        r.destination = std::move(destination);
        r.enabled = enabled;
        r.action = action;
        return r;
    };
    s.rules = {rule(missing),          rule(there),
               rule(missing),          rule(PathToUtf8(dir / L"Disabled"), false),
               rule(""),               rule(PathToUtf8(dir / L"Recycled"), true, RuleAction::recycle),
               rule(file)};

    s.noMatchPolicy = NoMatchPolicy::leave_in_place;
    EXPECT_EQ(MissingRoutingFolders(s), (std::vector<std::string>{missing, file}));
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    EXPECT_EQ(MissingRoutingFolders(s), (std::vector<std::string>{missing, file, s.catchAllPath}));
}

TEST(FolderWarningText, OneLinePerFolderAndNoTrailingBreak) {
    EXPECT_EQ(FolderWarningText({}), "");
    EXPECT_EQ(FolderWarningText({"C:\\A", "D:\\B"}),
              "These folders will be created at the first move:\n- C:\\A\n- D:\\B");
    EXPECT_EQ(FolderWarningText({"C:\\A"}), "This folder will be created at the first move:\n- C:\\A");
}

}  // namespace
}  // namespace kw
