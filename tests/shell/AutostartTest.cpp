#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "ShellTestSupport.h"
#include "model/TextEncoding.h"
#include "shell/Autostart.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"KestraneFileweir";

std::wstring ThisExecutable() {
    std::wstring path(0x8000, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

struct RawValue {
    DWORD type = REG_NONE;
    std::string bytes;
};

std::optional<RawValue> ReadRunValue() {
    RawValue value;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.resize(size);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                     value.bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.resize(size);
    return value;
}

// The Run value is the user's: each test has it to itself and puts back what was there before.
class RunValueGuard {
public:
    RunValueGuard() : saved(ReadRunValue()) {}
    ~RunValueGuard() {
        if (saved)
            RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, saved->type, saved->bytes.data(),
                            static_cast<DWORD>(saved->bytes.size()));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    }
    RunValueGuard(const RunValueGuard&) = delete;
    RunValueGuard& operator=(const RunValueGuard&) = delete;

private:
    test::DesktopLock lock{L"run-value"};
    std::optional<RawValue> saved;
};

TEST(StartWithWindows, WritesTheQuotedExecutablePathAndDeletesIt) {
    RunValueGuard guard;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    SetStartWithWindows(false);
    EXPECT_EQ(StartWithWindowsValue(), std::nullopt);
    SetStartWithWindows(false);  // nothing to delete is not a failure
    EXPECT_EQ(StartWithWindowsValue(), std::nullopt);

    SetStartWithWindows(true);
    const std::wstring expected = L"\"" + ThisExecutable() + L"\"";
    EXPECT_EQ(StartWithWindowsValue(), expected);
    const std::optional<RawValue> raw = ReadRunValue();
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->bytes.size(), (expected.size() + 1) * sizeof(wchar_t));  // with its NUL
    EXPECT_EQ(raw->bytes.substr(raw->bytes.size() - 2), std::string(2, '\0'));

    SetStartWithWindows(true);
    EXPECT_EQ(StartWithWindowsValue(), expected);
    SetStartWithWindows(false);
    EXPECT_EQ(StartWithWindowsValue(), std::nullopt);
}

void WriteRunCommand(const std::wstring& command) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

// Two copies of the program share the one Run value (an installed copy, one on a stick): a copy
// that starts with the switch off, or whose switch is turned on, leaves another copy's value as
// it is; only the user's request makes this copy the one that starts. This copy's value, however
// spelt, is its own to change.
TEST(StartWithWindows, AnotherCopysValueIsTouchedOnlyAtTheUsersRequest) {
    RunValueGuard guard;
    const std::wstring self = ThisExecutable();
    std::wstring upper = self;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    const std::wstring other = L"\"C:\\Program Files\\Kestrane Fileweir\\KestraneFileweir.exe\"";
    const std::wstring quotedSelf = L"\"" + self + L"\"";
    const struct {
        std::optional<std::wstring> before;
        bool enable;
        StartupOwner owner;
        std::optional<std::wstring> after;
    } rows[] = {
        {other, false, StartupOwner::otherCopy, other},
        {other, true, StartupOwner::otherCopy, other},
        {L"E:\\Tools\\KestraneFileweir.exe --minimized", false, StartupOwner::otherCopy,
         L"E:\\Tools\\KestraneFileweir.exe --minimized"},
        {quotedSelf, false, StartupOwner::thisCopy, std::nullopt},
        {L"\"" + upper + L"\"", false, StartupOwner::thisCopy, std::nullopt},
        {self, true, StartupOwner::thisCopy, quotedSelf},  // unquoted: written again, quoted
        {std::nullopt, true, StartupOwner::none, quotedSelf},
        {std::nullopt, false, StartupOwner::none, std::nullopt},
    };
    for (const auto& row : rows) {
        const std::string label = row.before ? ToUtf8(*row.before) : "(none)";
        if (row.before) WriteRunCommand(*row.before);
        else RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
        EXPECT_EQ(ReadStartWithWindows(self).owner, row.owner) << label;
        SetStartWithWindows(row.enable);
        EXPECT_EQ(StartWithWindowsValue(), row.after) << label << (row.enable ? " on" : " off");
    }
    WriteRunCommand(other);
    EXPECT_EQ(ReadStartWithWindows(self).program, fs::path(L"C:\\Program Files\\Kestrane Fileweir\\KestraneFileweir.exe"));
    StartThisCopyWithWindows();
    EXPECT_EQ(StartWithWindowsValue(), quotedSelf);
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Runs in the copy started by the test below.
TEST(StartWithWindows, DISABLED_EnableFromThisCopy) { SetStartWithWindows(true); }

// Wine cannot start a program from a path of 260 characters or more, so the copy sits just
// below that: in a folder with spaces, as under Program Files.
TEST(StartWithWindows, RecordsThePathOfTheCopyThatRuns) {
    RunValueGuard guard;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);  // (another copy's would be left)
    test::TempDir dir;
    const std::wstring name = L"kw shell tests.exe";
    const fs::path base = dir / L"Program Files with spaces";
    const size_t filler = 255 - base.native().size() - 2 - name.size();
    ASSERT_GT(filler, 10u);
    const fs::path folder = base / std::wstring(filler, L'p');
    const fs::path copy = folder / name;
    fs::create_directories(folder);
    ASSERT_TRUE(CopyFileW(ThisExecutable().c_str(), copy.c_str(), TRUE));

    std::wstring command = L"\"" + copy.native() +
                           L"\" --gtest_also_run_disabled_tests --gtest_filter=StartWithWindows.DISABLED_EnableFromThisCopy";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
        << GetLastError();
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    ASSERT_EQ(exitCode, 0u);

    EXPECT_EQ(StartWithWindowsValue(), L"\"" + copy.native() + L"\"");
}

}  // namespace
}  // namespace kw
