#include <gtest/gtest.h>

#include <windows.h>

#include "routing/ComApartment.h"
#include "shell/ExplorerVerb.h"
#include "shell/SendToShortcut.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;

// The Send To entry is a real shortcut whose target reads back as this exe; turning it off
// removes it only while it still opens this copy, and a moved copy sees it as another's.
TEST(SendToShortcut, IsMadeReadBackAndRemovedOnlyWhileItOpensThisCopy) {
    ComApartment com;
    test::TempDir dir;
    const fs::path folder = dir / L"SendTo";
    fs::create_directories(folder);
    const fs::path exe = dir / L"Portable apps" / L"KestraneFileweir.exe";
    const fs::path moved = dir / L"Moved" / L"KestraneFileweir.exe";
    test::WriteFile(exe, "MZ");
    test::WriteFile(moved, "MZ");

    EXPECT_EQ(ReadSendTo(folder, exe).state, SendToState::absent);
    ASSERT_EQ(AddSendTo(folder, exe), "");
    EXPECT_EQ(ShortcutTarget(folder / kSendToFileName), exe);
    EXPECT_EQ(ReadSendTo(folder, exe).state, SendToState::thisCopy);
    const SendToEntry seenFromMoved = ReadSendTo(folder, moved);
    EXPECT_EQ(seenFromMoved.state, SendToState::otherCopy);
    EXPECT_EQ(seenFromMoved.target, exe);

    EXPECT_EQ(RemoveSendTo(folder, moved), "");
    EXPECT_TRUE(fs::exists(folder / kSendToFileName)) << "another copy's entry was removed";
    ASSERT_EQ(AddSendTo(folder, moved), "");  // "update it" rewrites the same entry
    EXPECT_EQ(ShortcutTarget(folder / kSendToFileName), moved);
    EXPECT_EQ(RemoveSendTo(folder, moved), "");
    EXPECT_FALSE(fs::exists(folder / kSendToFileName));
}

// The verb is written for files and folders under the test's own key, with the multi-select
// model that lets a selection through, and removed with everything in it; another copy's verb
// is left alone.
TEST(ExplorerVerb, IsWrittenForFilesAndFoldersAndRemovedCleanly) {
    const std::wstring testRoot = L"Software\\KestraneFileweirTest\\Verb" + std::to_wstring(GetCurrentProcessId());
    const ClassesKey classes{HKEY_CURRENT_USER, testRoot + L"\\Classes", false};
    const fs::path exe = L"C:\\Tools\\Kestrane Fileweir\\KestraneFileweir.exe";
    const auto value = [&](const wchar_t* className, const wchar_t* sub, const wchar_t* name) {
        wchar_t text[512] = {};
        DWORD bytes = sizeof text;
        const std::wstring key = VerbKeyPath(classes, className) + sub;
        return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) == ERROR_SUCCESS
                   ? std::wstring(text)
                   : std::wstring(L"(none)");
    };

    ASSERT_EQ(AddExplorerVerb(classes, exe), "");
    for (const wchar_t* className : {L"*", L"Directory"}) {
        EXPECT_EQ(value(className, L"", nullptr), L"Route with Kestrane Fileweir");
        EXPECT_EQ(value(className, L"", L"MultiSelectModel"), L"Player");
        EXPECT_EQ(value(className, L"\\command", nullptr),
                  L"\"C:\\Tools\\Kestrane Fileweir\\KestraneFileweir.exe\" \"%1\"");
    }
    EXPECT_EQ(RemoveExplorerVerb(classes, L"D:\\Other\\KestraneFileweir.exe"), "");
    EXPECT_EQ(RegisteredVerbCommand(classes), VerbCommand(exe));

    EXPECT_EQ(RemoveExplorerVerb(classes, exe), "");
    for (const wchar_t* className : {L"*", L"Directory"}) {
        HKEY key = nullptr;
        EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, VerbKeyPath(classes, className).c_str(), 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        if (key) RegCloseKey(key);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KestraneFileweirTest");
}

}  // namespace
}  // namespace kw
