#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "model/SettingsJson.h"
#include "model/SettingsFile.h"
#include "model/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/HeldFile.h"
#include "support/SettingsSamples.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const test::FakeClock kClock(0, LocalTime{2026, 3, 9, 14, 5, 31});

TEST(SettingsStore, DocumentHeldAtStartIsNeverSavedOverAndIsAdoptedOnceFree) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    const AppSettings mine = test::SettingsWithRule("Invoices");
    const std::string document = SerializeSettings(mine);
    WriteFile(config, document);
    SettingsStore store(config, kClock);
    test::HeldFile held(config);
    ASSERT_TRUE(held.Held());

    AppSettings live;
    StoreResult result = store.Load(live);
    EXPECT_TRUE(store.Held());
    EXPECT_EQ(live, test::DefaultSettings());
    EXPECT_EQ(result.message, "Settings could not be read: config.json is in use by another program \xE2\x80\x94 "
                              "running on defaults until it can be read.");

    live.overlayVisible = false;  // the user flips "Show drop zone"
    result = store.Save(live);
    EXPECT_FALSE(result.replaced);
    EXPECT_EQ(result.message, "Settings not saved: config.json is in use by another program.");
    EXPECT_TRUE(store.Held());
    EXPECT_FALSE(store.Retry(live).replaced);

    held.Release();
    EXPECT_EQ(ReadFile(config), document);
    EXPECT_EQ(test::EntryNames(dir.Path()), std::vector<std::string>{"config.json"});  // no temporary file, no copy

    result = store.Save(live);
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(result.message, "config.json can be read again \xE2\x80\x94 its settings are now in use.");
    EXPECT_FALSE(store.Held());
    EXPECT_EQ(live, mine);
    EXPECT_EQ(ReadFile(config), document);

    live.theme = Theme::light;
    result = store.Save(live);
    EXPECT_FALSE(result.replaced);
    EXPECT_EQ(result.message, "");
    AppSettings reread;
    EXPECT_EQ(SettingsStore(config, kClock).Load(reread).message, "");
    EXPECT_EQ(reread, live);
}

TEST(SettingsStore, RetryAdoptsTheDocumentWithoutASave) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(config, SerializeSettings(test::SettingsWithRule("Invoices")));
    SettingsStore store(config, kClock);
    AppSettings live;
    {
        test::HeldFile held(config);
        ASSERT_TRUE(held.Held());
        store.Load(live);
        EXPECT_EQ(store.Retry(live).message, "");
        EXPECT_TRUE(store.Held());
    }
    const StoreResult result = store.Retry(live);
    EXPECT_TRUE(result.replaced);
    EXPECT_FALSE(store.Held());
    EXPECT_EQ(live, test::SettingsWithRule("Invoices"));
    EXPECT_FALSE(store.Retry(live).replaced);
}

// Freed but damaged meanwhile (an editor saved half a file): kept aside, then the save goes ahead.
TEST(SettingsStore, DocumentFreedButDamagedIsKeptAsideBeforeTheSave) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(config, SerializeSettings(test::SettingsWithRule("Invoices")));
    SettingsStore store(config, kClock);
    AppSettings live;
    {
        test::HeldFile held(config);
        ASSERT_TRUE(held.Held());
        store.Load(live);
    }
    WriteFile(config, "{\"rules\": [{\"na");
    live.theme = Theme::light;
    const StoreResult result = store.Save(live);
    EXPECT_FALSE(result.replaced);
    EXPECT_EQ(result.message, "Settings saved; config.json could not be read in full and was kept as "
                              "config.json.unreadable-20260309-140531.");
    EXPECT_EQ(ReadFile(dir / L"config.json.unreadable-20260309-140531"), "{\"rules\": [{\"na");
    EXPECT_EQ(ReadFile(config), StoredSettingsText(live));
}

TEST(SettingsStore, DamagedDocumentAtStartIsNamedWithItsCopy) {
    TempDir dir;
    const fs::path config = dir / L"config.json";
    WriteFile(config, "{ this is not json");
    SettingsStore store(config, kClock);
    AppSettings live;
    EXPECT_EQ(store.Load(live).message,
              "Settings could not be read in full: a copy of config.json was kept as "
              "config.json.unreadable-20260309-140531.");
    EXPECT_FALSE(store.Held());
    EXPECT_EQ(live, test::DefaultSettings());
}

}  // namespace
}  // namespace kw
