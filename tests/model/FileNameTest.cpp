#include <gtest/gtest.h>

#include "model/FileName.h"
#include "model/FileTypeGroups.h"

namespace kw {
namespace {

TEST(SplitFileName, FollowsTheExtensionRules) {
    struct Case {
        const wchar_t* name;
        const wchar_t* stem;
        const wchar_t* ext;
    };
    const Case cases[] = {
        {L"report.pdf", L"report", L".pdf"},
        {L"archive.tar.gz", L"archive.tar", L".gz"},
        {L".gitignore", L".gitignore", L""},
        {L"..foo", L".", L".foo"},
        {L"file.", L"file", L"."},
        {L".", L".", L""},
        {L"..", L"..", L""},
        {L"Photos", L"Photos", L""},
        {L"Photos.2024", L"Photos", L".2024"},
        {L"a.txt:stream", L"a", L".txt"},
        {L"noext:stream.bin", L"noext", L""},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        const FileNameParts parts = SplitFileName(c.name);
        EXPECT_EQ(parts.stem, c.stem) << c.name;
        EXPECT_EQ(parts.ext, c.ext) << c.name;
    }
}

TEST(Win32KeepsName, OnlyNamesThatPlainPathsReachAsThemselves) {
    for (const wchar_t* kept : {L"report.pdf", L"CONSOLE.txt", L"COM10", L"LPT", L".gitignore", L"a b", L"nul-list.txt"})
        EXPECT_TRUE(Win32KeepsName(kept)) << kept;
    for (const wchar_t* changed : {L"report.", L"report ", L"CON", L"con.txt", L"NUL .tar.gz", L"COM1", L"lpt9.log",
                                   L"COM\u00B9", L"AUX", L"PRN.x", L""})
        EXPECT_FALSE(Win32KeepsName(changed)) << changed;
}

TEST(FileTypeGroupOf, FindsTheGroupWhateverTheCaseOrDot) {
    ASSERT_NE(FileTypeGroupOf(L".JPG"), nullptr);
    EXPECT_STREQ(FileTypeGroupOf(L".JPG")->name, "Pictures");
    EXPECT_STREQ(FileTypeGroupOf(L"pdf")->name, "Documents");
    EXPECT_STREQ(FileTypeGroupOf(L".msi")->name, "Installers");
    EXPECT_EQ(FileTypeGroupOf(L".jp"), nullptr);  // a prefix of a listed extension is not it
    EXPECT_EQ(FileTypeGroupOf(L""), nullptr);
    EXPECT_EQ(FileTypeGroupOf(L"."), nullptr);
}

}  // namespace
}  // namespace kw
