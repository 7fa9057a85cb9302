#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <random>

#include "model/AppFolder.h"
#include "model/SettingsFile.h"
#include "model/TextEncoding.h"
#include "model/SettingsJson.h"
#include "support/FakeClock.h"
#include "support/Fixtures.h"
#include "support/SettingsSamples.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const test::FakeClock kClock(0, LocalTime{2026, 3, 9, 14, 5, 31});

TEST(SettingsFile, MissingFileIsCreatedWithTheDefaults) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    AppSettings s;
    s.overlayX = 5;
    EXPECT_FALSE(LoadSettingsFile(config, s, kClock));
    EXPECT_EQ(s, test::DefaultSettings());
    const std::string text = ReadFile(config);
    AppSettings stored = test::DefaultSettings();
    stored.catchAllPath = "Unsorted";  // inside the program's folder: stored relative to it
    EXPECT_EQ(text, SerializeSettings(stored));
    EXPECT_NE(text.find("\"rules\": []"), std::string::npos);
    EXPECT_EQ(text.rfind("{\n  \"autoRename\"", 0), 0u);
    EXPECT_EQ(text.back(), '}');
}

TEST(SettingsFile, SaveThenLoadGivesTheSameSettings) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    const AppSettings saved = test::SettingsWithRule("Invoices \xE2\x80\x94 \xD0\x96");
    ASSERT_TRUE(WriteSettingsFile(config, saved));
    EXPECT_FALSE(fs::exists(dir / L"config.json.tmp"));
    AppSettings loaded;
    EXPECT_TRUE(LoadSettingsFile(config, loaded, kClock));
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(test::EntryNames(dir.Path()), std::vector<std::string>{"config.json"});
}

// A copied or moved program folder (or a stick under another drive letter) keeps its folders:
// paths inside it are stored relative to it; variables are kept as typed; other paths, and
// absolute paths inside it from older documents, load as they are.
TEST(SettingsFile, PathsInsideTheProgramFolderTravelWithIt) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    const std::string program = PathToUtf8(AppFolder());
    Json document = Json::parse(R"({"noMatchPolicy": "unsorted", "catchAllPath": "Unsorted", "rules": [
        {"name": "a", "destination": "Sorted\\Photos"}, {"name": "b", "destination": "%USERPROFILE%\\Docs"},
        {"name": "c", "destination": "D:\\Elsewhere"}]})");
    document["rules"].push_back(Json{{"name", "d"}, {"destination", program + "\\Old"}});
    WriteFile(config, document.dump());
    AppSettings loaded;
    ASSERT_TRUE(LoadSettingsFile(config, loaded, kClock));
    EXPECT_EQ(loaded.catchAllPath, program + "\\Unsorted");
    ASSERT_EQ(loaded.rules.size(), 4u);
    EXPECT_EQ(loaded.rules[0].destination, program + "\\Sorted\\Photos");
    EXPECT_EQ(loaded.rules[1].destination, "%USERPROFILE%\\Docs");
    EXPECT_EQ(loaded.rules[2].destination, "D:\\Elsewhere");
    EXPECT_EQ(loaded.rules[3].destination, program + "\\Old");

    ASSERT_TRUE(WriteSettingsFile(config, loaded));
    const std::string text = ReadFile(config);
    for (const char* stored : {R"("catchAllPath": "Unsorted")", R"("destination": "Sorted\\Photos")",
                               R"("destination": "%USERPROFILE%\\Docs")", R"("destination": "D:\\Elsewhere")",
                               R"("destination": "Old")"})
        EXPECT_NE(text.find(stored), std::string::npos) << stored << " in " << text;
}

TEST(SettingsFile, SaveReplacesAReadOnlyDocument) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(config, "{}");
    SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteSettingsFile(config, test::SettingsWithRule("new")));
    AppSettings loaded;
    EXPECT_TRUE(LoadSettingsFile(config, loaded, kClock));
    EXPECT_EQ(loaded.rules.at(0).name, "new");
}

TEST(SettingsFile, SaveThatCannotCreateItsTemporaryFileChangesNothing) {
    TempDir dir;
    EXPECT_FALSE(WriteSettingsFile(dir / L"missing folder" / L"config.json", test::DefaultSettings()));
    fs::create_directory(dir / L"config.json.tmp");  // a folder where the temporary file goes
    WriteFile(dir / L"config.json", "{\"theme\": \"light\"}");
    EXPECT_FALSE(WriteSettingsFile(dir / L"config.json", test::DefaultSettings()));
    EXPECT_EQ(ReadFile(dir / L"config.json"), "{\"theme\": \"light\"}");
}

// The fixture folder holds config.json.tmp as a link to /dev/full, so every write to the
// temporary file fails with "disk full" after it opened fine.
TEST(SettingsFile, FullDiskLeavesTheDocumentWholeAndRemovesTheTemporaryFile) {
    const auto fixture = test::FixturePath("full-disk");
    if (!fixture) GTEST_SKIP() << "needs the full-disk fixture (run through ctest)";
    const fs::path dir = *fixture;
    const fs::path config = dir / L"config.json";
    const std::string good = SerializeSettings(test::SettingsWithRule("keep me"));
    WriteFile(config, good);

    EXPECT_FALSE(WriteSettingsFile(config, test::SettingsWithRule("lost")));
    EXPECT_EQ(ReadFile(config), good);
    EXPECT_FALSE(fs::exists(dir / L"config.json.tmp"));
}

TEST(SettingsFile, UnreadableDocumentIsKeptAsideBeforeAnythingIsSaved) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(config, "{ this is not json");
    AppSettings s;
    EXPECT_FALSE(LoadSettingsFile(config, s, kClock));
    EXPECT_EQ(s, test::DefaultSettings());
    EXPECT_EQ(ReadFile(config), "{ this is not json");  // untouched
    EXPECT_EQ(ReadFile(dir / L"config.json.unreadable-20260309-140531"), "{ this is not json");

    // Same second, second start: the earlier copy is not overwritten.
    EXPECT_FALSE(LoadSettingsFile(config, s, kClock));
    EXPECT_TRUE(fs::exists(dir / L"config.json.unreadable-20260309-140531 (2)"));
}

TEST(SettingsFile, WrongMemberTypeGivesThePartialStateAndKeepsACopy) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    const std::string text = R"({"theme": "light", "overlayX": "80", "rules": [{"name": "mine"}]})";
    WriteFile(config, text);
    AppSettings s;
    EXPECT_FALSE(LoadSettingsFile(config, s, kClock));
    EXPECT_EQ(s.theme, Theme::light);
    EXPECT_TRUE(s.rules.empty());
    EXPECT_EQ(ReadFile(dir / L"config.json.unreadable-20260309-140531"), text);
}

TEST(SettingsFile, LeftoverTemporaryFileIsAdoptedWhenTheDocumentIsGone) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(dir / L"config.json.tmp", SerializeSettings(test::SettingsWithRule("from tmp")));
    AppSettings s;
    EXPECT_TRUE(LoadSettingsFile(config, s, kClock));
    EXPECT_EQ(s.rules.at(0).name, "from tmp");
    EXPECT_EQ(test::EntryNames(dir.Path()), std::vector<std::string>{"config.json"});
}

TEST(SettingsFile, BrokenTemporaryFileIsKeptAsideNotAdopted) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(dir / L"config.json.tmp", "{\"rules\": [{\"na");
    AppSettings s;
    EXPECT_FALSE(LoadSettingsFile(config, s, kClock));
    EXPECT_EQ(s, test::DefaultSettings());
    EXPECT_EQ(ReadFile(dir / L"config.json.tmp.unreadable-20260309-140531"), "{\"rules\": [{\"na");
    EXPECT_EQ(ReadFile(config), StoredSettingsText(test::DefaultSettings()));
}

TEST(SettingsFile, BackupAndRestoreReportEachFailure) {
    TempDir dir;
    std::string error = "stale";
    AppSettings target;

    EXPECT_TRUE(BackupSettingsFile(dir / L"KestraneFileweir-backup.json", test::SettingsWithRule("backed up"), error));
    EXPECT_EQ(error, "");
    EXPECT_TRUE(RestoreSettingsFile(dir / L"KestraneFileweir-backup.json", target, error));
    EXPECT_EQ(target.rules.at(0).name, "backed up");

    EXPECT_FALSE(BackupSettingsFile(dir / L"no folder" / L"b.json", test::DefaultSettings(), error));
    EXPECT_EQ(error, "Could not write settings file.");

    EXPECT_FALSE(RestoreSettingsFile(dir / L"absent.json", target, error));
    EXPECT_EQ(error, "Could not open settings file.");

    WriteFile(dir / L"empty.json", "");
    EXPECT_FALSE(RestoreSettingsFile(dir / L"empty.json", target, error));
    EXPECT_EQ(error, "Settings file is not valid JSON.");

    WriteFile(dir / L"wrong.json", "{\"overlayX\": \"80\"}");
    EXPECT_FALSE(RestoreSettingsFile(dir / L"wrong.json", target, error));
    EXPECT_EQ(error, "Settings file is invalid or incomplete.");

    WriteFile(dir / L"trailing.json", "{\"theme\": \"light\"} and more");
    EXPECT_TRUE(RestoreSettingsFile(dir / L"trailing.json", target, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(target.theme, Theme::light);
}

TEST(SettingsFile, RestoreSurvivesMutatedFiles) {
    TempDir dir;
    const std::string seed = SerializeSettings(test::SettingsWithRule("fuzz"));
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string text = seed;
        for (int e = 0; e < 4; ++e) text[random() % text.size()] = static_cast<char>(random() % 256);
        WriteFile(dir / L"mutated.json", text);
        AppSettings target;
        std::string error;
        ASSERT_NO_THROW(RestoreSettingsFile(dir / L"mutated.json", target, error));
    }
}

}  // namespace
}  // namespace kw
