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

TEST(ExtendedPath, TellsWholeVolumesFromItemsAndGivesThePlainForm) {
    for (const wchar_t* root : {L"C:\\", L"C:", L"c:/", L"C:\\Windows\\..", L"\\\\server\\share", L"\\\\server\\share\\",
                                L"\\\\server", L"\\\\?\\C:\\", L"\\\\?\\UNC\\server\\share\\",
                                L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\", L"\\\\.\\C:", L""})
        EXPECT_TRUE(IsVolumeRoot(root)) << ToUtf8(root);
    for (const wchar_t* item : {L"C:\\a", L"C:\\a\\", L"\\\\server\\share\\a", L"\\\\?\\C:\\a",
                                L"\\\\?\\UNC\\server\\share\\a", L"\\\\?\\Volume{0}\\a", L"relative"})
        EXPECT_FALSE(IsVolumeRoot(item)) << ToUtf8(item);

    const std::pair<const wchar_t*, const wchar_t*> plain[] = {
        {L"C:\\Docs\\PDF\\", L"C:\\Docs\\PDF"},
        {L"\\\\?\\C:\\Docs\\x\\..\\PDF", L"C:\\Docs\\PDF"},
        {L"C:/Docs/./PDF//", L"C:\\Docs\\PDF"},
        {L"C:\\", L"C:\\"},
        {L"\\\\?\\UNC\\server\\share\\a\\", L"\\\\server\\share\\a"},
        {L"C:\\in\\report. ", L"C:\\in\\report. "},
    };
    for (const auto& [path, expected] : plain) EXPECT_EQ(PlainPath(path).native(), expected) << ToUtf8(path);
}

// The staging sweep of a drive root joins names onto "\\?\E:\"; a doubled separator there is
// another name to Windows.
TEST(ChildPath, PutsOneSeparatorBetweenFolderAndName) {
    const struct {
        std::wstring folder;
        const wchar_t* name;
        const wchar_t* expected;
    } cases[] = {
        {ExtendedPath(L"E:\\"), L"~kfpart-*", L"\\\\?\\E:\\~kfpart-*"},
        {ExtendedPath(L"E:\\Docs\\"), L"a.txt", L"\\\\?\\E:\\Docs\\a.txt"},
        {ExtendedPath(L"\\\\server\\share\\"), L"*", L"\\\\?\\UNC\\server\\share\\*"},
        {L"relative", L"b", L"relative\\b"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChildPath(c.folder, c.name), c.expected) << ToUtf8(c.folder);
}

}  // namespace
}  // namespace kw
