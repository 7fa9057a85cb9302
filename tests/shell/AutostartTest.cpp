#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "ShellTestSupport.h"
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
