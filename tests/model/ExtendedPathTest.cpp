#include <gtest/gtest.h>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

TEST(ExtendedPath, GivesTheLiteralFormOfAbsolutePathsOnly) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\in\\CON", L"\\\\?\\C:\\in\\CON"},
        {L"C:\\in\\report. ", L"\\\\?\\C:\\in\\report. "},  // trailing dot and space kept
        {L"C:/in/sub/../a.txt", L"\\\\?\\C:\\in\\a.txt"},
        {L"C:\\in\\folder\\", L"\\\\?\\C:\\in\\folder"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"\\\\server\\share\\a.txt", L"\\\\?\\UNC\\server\\share\\a.txt"},
        {L"//server/share/sub/../b.txt", L"\\\\?\\UNC\\server\\share\\b.txt"},
        {L"\\\\?\\C:\\already\\x.", L"\\\\?\\C:\\already\\x."},
        {L"\\\\.\\pipe\\name", L"\\\\.\\pipe\\name"},
        {L"relative\\a.txt", L"relative\\a.txt"},
        {L"C:relative", L"C:relative"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(ExtendedPath(path), expected) << ToUtf8(path);
}

}  // namespace
}  // namespace kw
