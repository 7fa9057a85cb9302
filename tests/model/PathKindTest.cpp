#include <gtest/gtest.h>

#include <windows.h>

#include "model/ExtendedPath.h"
#include "model/PathKind.h"
#include "support/LiteralFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {

// Looked up literally: past 260 characters, and names Win32 would otherwise trim or take as a
// device (std::filesystem::status sees nothing at "report." and a device at "CON").
TEST(KindOf, TellsFilesFoldersAndNothingLiterally) {
    test::TempDir dir;
    std::filesystem::path deep = dir.Path();
    while (deep.native().size() < 300) deep /= std::wstring(40, L'd');
    ASSERT_TRUE(CreateDirectoryW(ExtendedPath(dir / L"Folder").c_str(), nullptr));
    std::filesystem::path folder = dir / L"Folder";
    for (const std::filesystem::path& part : deep.lexically_relative(dir.Path())) {
        folder /= part;
        ASSERT_TRUE(CreateDirectoryW(ExtendedPath(folder).c_str(), nullptr));
    }
    test::WriteFile(folder / L"long.txt", "x");
    for (const wchar_t* odd : {L"report.", L"CON"}) test::WriteLiteral(dir / odd);
    EXPECT_EQ(KindOf(folder), PathKind::folder);
    EXPECT_EQ(KindOf(folder / L"long.txt"), PathKind::file);
    EXPECT_EQ(KindOf(dir / L"report."), PathKind::file);
    EXPECT_EQ(KindOf(dir / L"CON"), PathKind::file);
    EXPECT_EQ(KindOf(dir / L"missing"), PathKind::missing);
    EXPECT_EQ(KindOf(dir / L"report"), PathKind::missing);
}

}  // namespace
}  // namespace kw
